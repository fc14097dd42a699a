#include "ini/Utf16.h"

namespace zel::ini {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

char16_t unitAt(std::string_view bytes, size_t i, ByteOrder order) {
    auto lo = static_cast<unsigned char>(bytes[order == ByteOrder::LittleEndian ? i : i + 1]);
    auto hi = static_cast<unsigned char>(bytes[order == ByteOrder::LittleEndian ? i + 1 : i]);
    return static_cast<char16_t>(lo | (hi << 8));
}

void appendUnit(std::string& out, char16_t unit, ByteOrder order) {
    auto lo = static_cast<char>(unit & 0xFF);
    auto hi = static_cast<char>(unit >> 8);
    if (order == ByteOrder::LittleEndian) {
        out += lo;
        out += hi;
    } else {
        out += hi;
        out += lo;
    }
}

bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::wstring utf16ToWide(std::string_view bytes, ByteOrder order) {
    std::wstring out;
    out.reserve(bytes.size() / 2 + 1);
    const size_t units = bytes.size() / 2;
    for (size_t k = 0; k < units; ++k) {
        char32_t c = unitAt(bytes, 2 * k, order);
        if (isHighSurrogate(c) && k + 1 < units && isLowSurrogate(unitAt(bytes, 2 * (k + 1), order))) {
            char32_t low = unitAt(bytes, 2 * ++k, order);
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            c = kReplacement;
        }
        out += static_cast<wchar_t>(c);
    }
    if (bytes.size() % 2 != 0) out += static_cast<wchar_t>(kReplacement);
    return out;
}

void appendUtf16(std::string& out, std::wstring_view text, ByteOrder order) {
    out.reserve(out.size() + 2 * text.size());
    for (wchar_t w : text) {
        auto c = static_cast<char32_t>(w);
        if (c > 0x10FFFF || isHighSurrogate(c) || isLowSurrogate(c)) c = kReplacement;
        if (c < 0x10000) {
            appendUnit(out, static_cast<char16_t>(c), order);
        } else {
            c -= 0x10000;
            appendUnit(out, static_cast<char16_t>(0xD800 + (c >> 10)), order);
            appendUnit(out, static_cast<char16_t>(0xDC00 + (c & 0x3FF)), order);
        }
    }
}

}  // namespace zel::ini
