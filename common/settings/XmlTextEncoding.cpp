#include "settings/XmlTextEncoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "ini/Utf16.h"
#include "text/TextCodec.h"

namespace zel::settings {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::size_t kStatisticsWindow = 100;

// Mostly-Latin UTF-16 text has a zero byte in one half of most code units and never in the
// other; 8-bit text has no zero bytes at all.
std::optional<ini::ByteOrder> guessUnmarkedUtf16(std::string_view bytes) {
    const std::size_t units = std::min(bytes.size(), kStatisticsWindow) / 2;
    std::size_t highZero = 0, lowZero = 0;
    for (std::size_t k = 0; k < units; ++k) {
        const bool first = bytes[2 * k] == 0, second = bytes[2 * k + 1] == 0;
        if (second && !first) ++highZero;  // little-endian: the high byte comes second
        if (first && !second) ++lowZero;
    }
    if (units == 0) return std::nullopt;
    if (highZero * 2 >= units && lowZero == 0) return ini::ByteOrder::LittleEndian;
    if (lowZero * 2 >= units && highZero == 0) return ini::ByteOrder::BigEndian;
    return std::nullopt;
}

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool equalsAsciiIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

// The declaration's encoding name: empty when it names none; nothing when there is no
// declaration at the start (after white space) or it is not closed.
std::optional<std::string> declaredEncoding(std::string_view bytes) {
    auto start = std::find_if_not(bytes.begin(), bytes.end(), isXmlSpace) - bytes.begin();
    auto text = bytes.substr(static_cast<std::size_t>(start));
    if (!text.starts_with("<?xml") || text.size() < 6 || !isXmlSpace(text[5])) return std::nullopt;
    auto close = text.find("?>");
    if (close == std::string_view::npos) return std::nullopt;
    auto declaration = text.substr(5, close - 5);
    for (auto at = declaration.find("encoding"); at != std::string_view::npos;
         at = declaration.find("encoding", at + 1)) {
        if (!isXmlSpace(declaration[at - 1])) continue;
        auto i = at + 8;
        while (i < declaration.size() && isXmlSpace(declaration[i])) ++i;
        if (i >= declaration.size() || declaration[i] != '=') continue;
        ++i;
        while (i < declaration.size() && isXmlSpace(declaration[i])) ++i;
        if (i >= declaration.size() || (declaration[i] != '"' && declaration[i] != '\'')) return std::nullopt;
        auto end = declaration.find(declaration[i], i + 1);
        if (end == std::string_view::npos) return std::nullopt;
        return std::string(declaration.substr(i + 1, end - i - 1));
    }
    return std::string();
}

struct IconvCloser {
    void operator()(void* cd) const { ::iconv_close(static_cast<iconv_t>(cd)); }
};

std::optional<std::string> convert(std::string_view input, const char* to, const char* from) {
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::unique_ptr<void, IconvCloser> guard(cd);
    std::string output(input.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::size_t used = 0;
    for (bool flushing = false;;) {
        char* out = output.data() + used;
        std::size_t outLeft = output.size() - used;
        std::size_t rc = flushing ? ::iconv(cd, nullptr, nullptr, &out, &outLeft) : ::iconv(cd, &in, &inLeft, &out, &outLeft);
        used = output.size() - outLeft;
        if (rc != static_cast<std::size_t>(-1)) {
            if (flushing) break;
            flushing = true;  // stateful encodings end with a shift back to the initial state
            continue;
        }
        if (errno != E2BIG) return std::nullopt;  // a character that does not convert
        output.resize(output.size() * 2);
    }
    output.resize(used);
    return output;
}

bool namesUtf16Or32(std::string_view name) {
    auto upper = std::string(name);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    return upper.starts_with("UTF-16") || upper.starts_with("UTF16") || upper.starts_with("UTF-32") ||
           upper.starts_with("UCS-2") || upper.starts_with("UCS-4") || upper == "UNICODE";
}

}  // namespace

std::optional<XmlTextEncoding> detectXmlEncoding(std::string_view bytes) {
    if (bytes.starts_with(kUtf16LeBom)) return XmlTextEncoding{XmlEncodingKind::Utf16Le, true, {}};
    if (auto order = guessUnmarkedUtf16(bytes)) {
        if (*order == ini::ByteOrder::LittleEndian) return XmlTextEncoding{XmlEncodingKind::Utf16Le, false, {}};
        return XmlTextEncoding{XmlEncodingKind::Utf16Be, bytes.starts_with(kUtf16BeBom), {}};
    }
    if (bytes.starts_with(kUtf8Bom)) return XmlTextEncoding{XmlEncodingKind::Utf8, true, {}};
    auto name = declaredEncoding(bytes);
    if (!name) return std::nullopt;
    if (name->empty() || equalsAsciiIgnoringCase(*name, "UTF-8") || equalsAsciiIgnoringCase(*name, "UTF8"))
        return XmlTextEncoding{XmlEncodingKind::Utf8, false, {}};
    // The bytes were 8-bit text (the UTF-16 test failed), so a 16- or 32-bit name is a false claim.
    if (namesUtf16Or32(*name)) return std::nullopt;
    iconv_t cd = ::iconv_open("UTF-8", name->c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    ::iconv_close(cd);
    return XmlTextEncoding{XmlEncodingKind::Declared, false, *name};
}

std::optional<std::string> decodeXmlText(std::string_view bytes, const XmlTextEncoding& encoding) {
    switch (encoding.kind) {
        case XmlEncodingKind::Utf16Le:
        case XmlEncodingKind::Utf16Be: {
            if (encoding.byteOrderMark) bytes.remove_prefix(std::min<std::size_t>(2, bytes.size()));
            auto order = encoding.kind == XmlEncodingKind::Utf16Le ? ini::ByteOrder::LittleEndian : ini::ByteOrder::BigEndian;
            return text::wideToUtf8(ini::utf16ToWide(bytes, order));
        }
        case XmlEncodingKind::Utf8:
            if (encoding.byteOrderMark && bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
            return std::string(bytes);
        case XmlEncodingKind::Declared:
            return convert(bytes, "UTF-8", encoding.declaredName.c_str());
    }
    return std::nullopt;
}

std::optional<std::string> encodeXmlText(std::string_view utf8, const XmlTextEncoding& encoding) {
    switch (encoding.kind) {
        case XmlEncodingKind::Utf16Le:
        case XmlEncodingKind::Utf16Be: {
            const bool little = encoding.kind == XmlEncodingKind::Utf16Le;
            std::string out;
            if (encoding.byteOrderMark) out = little ? kUtf16LeBom : kUtf16BeBom;
            ini::appendUtf16(out, text::utf8ToWide(utf8), little ? ini::ByteOrder::LittleEndian : ini::ByteOrder::BigEndian);
            return out;
        }
        case XmlEncodingKind::Utf8:
            return encoding.byteOrderMark ? std::string(kUtf8Bom) + std::string(utf8) : std::string(utf8);
        case XmlEncodingKind::Declared:
            return convert(utf8, encoding.declaredName.c_str(), "UTF-8");
    }
    return std::nullopt;
}

}  // namespace zel::settings
