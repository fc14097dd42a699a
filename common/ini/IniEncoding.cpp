#include "ini/IniEncoding.h"

#include "ini/Utf16.h"
#include "text/TextCodec.h"

namespace zel::ini {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// Invalid sequences decode to U+FFFD, which encodes differently from the bytes it replaced.
bool isValidUtf8(std::string_view bytes) {
    return text::wideToUtf8(text::utf8ToWide(bytes)) == bytes;
}

}  // namespace

DecodedIniText decodeIniText(std::string_view bytes) {
    if (bytes.starts_with(kUtf16LeBom))
        return {IniEncoding::Utf16LeBom, utf16ToWide(bytes.substr(2), ByteOrder::LittleEndian)};
    if (bytes.starts_with(kUtf16BeBom))
        return {IniEncoding::Utf16BeBom, utf16ToWide(bytes.substr(2), ByteOrder::BigEndian)};
    if (bytes.starts_with(kUtf8Bom)) return {IniEncoding::Utf8Bom, text::utf8ToWide(bytes.substr(3))};
    if (isValidUtf8(bytes)) return {IniEncoding::Utf8, text::utf8ToWide(bytes)};
    return {IniEncoding::Windows1252, text::windows1252ToWide(bytes)};
}

bool canEncode(std::wstring_view text, IniEncoding encoding) {
    if (encoding != IniEncoding::Windows1252) return true;
    return text::windows1252ToWide(text::wideToWindows1252(text)) == text;
}

std::string encodeIniText(std::wstring_view text, IniEncoding encoding) {
    std::string out;
    switch (encoding) {
        case IniEncoding::Utf8:
            return text::wideToUtf8(text);
        case IniEncoding::Utf8Bom:
            return std::string(kUtf8Bom) + text::wideToUtf8(text);
        case IniEncoding::Utf16LeBom:
            out = kUtf16LeBom;
            appendUtf16(out, text, ByteOrder::LittleEndian);
            return out;
        case IniEncoding::Utf16BeBom:
            out = kUtf16BeBom;
            appendUtf16(out, text, ByteOrder::BigEndian);
            return out;
        case IniEncoding::Windows1252:
            return text::wideToWindows1252(text);
    }
    return out;
}

}  // namespace zel::ini
