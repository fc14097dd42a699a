#include "settings/SettingsValues.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

namespace zel::settings {
namespace {

std::wstring formatWithPattern(const wchar_t* pattern, std::uint32_t value) {
    wchar_t buffer[16];
    std::swprintf(buffer, std::size(buffer), pattern, static_cast<unsigned>(value));
    return buffer;
}

int hexDigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

wchar_t upper(wchar_t c) { return c >= L'a' && c <= L'z' ? c - 32 : c; }

}  // namespace

std::wstring formatBool(bool value) { return value ? L"Yes" : L"No"; }
bool parseBool(std::wstring_view text) { return text == L"Yes"; }

std::wstring formatHex(std::uint32_t value) { return formatWithPattern(L"%x", value); }
std::wstring formatUpperHex(std::uint32_t value) { return formatWithPattern(L"%X", value); }

std::optional<std::uint32_t> parseHex(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || (text.front() >= L'\t' && text.front() <= L'\r')))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == L'+' || text.front() == L'-')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X') && hexDigitValue(text[2]) >= 0)
        text.remove_prefix(2);
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (; digits < text.size() && hexDigitValue(text[digits]) >= 0; ++digits)
        value = std::min<std::uint64_t>(value * 16 + static_cast<unsigned>(hexDigitValue(text[digits])), 0xFFFFFFFFu);
    if (digits == 0) return std::nullopt;
    auto result = static_cast<std::uint32_t>(value);
    return negative ? static_cast<std::uint32_t>(0u - result) : result;
}

std::wstring formatFlag(bool value) { return value ? L"1" : L"0"; }

std::wstring adjustLength(std::wstring_view text, std::size_t length) {
    if (text.size() >= length) return std::wstring(text.substr(text.size() - length));
    return std::wstring(length - text.size(), L'0') + std::wstring(text);
}

std::wstring imageFormatName(std::wstring_view imagePath) {
    auto name = imagePath.substr(imagePath.find_last_of(L"/\\") + 1);  // npos + 1 == 0
    auto dot = name.rfind(L'.');
    std::wstring extension;
    if (dot != std::wstring_view::npos)
        for (wchar_t c : name.substr(dot)) extension += upper(c);
    if (extension == L".HEX") return L"IntelHex";
    if (extension == L".S19") return L"MotorolaS19";
    if (extension == L".ROM") return L"ROM";
    return L"RawBin";
}

std::uint32_t holdPinSettingFor(int holdOption) {
    switch (holdOption) {
        case 2: return 3;
        case 3: return 2;
        default: return 0;
    }
}

}  // namespace zel::settings
