#include "FileBytes.h"

#include <string>

namespace zel::zeldev {

namespace {

constexpr size_t kMaxPathCharacters = 32768;

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool validCodePoint(char32_t c)
{
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

}  // namespace

std::optional<std::filesystem::path> pathFromWide(const wchar_t* text)
{
    if (text == nullptr || *text == L'\0')
        return std::nullopt;
    std::string utf8;
    for (size_t i = 0; text[i] != L'\0'; ++i) {
        const auto c = static_cast<char32_t>(text[i]);
        if (i >= kMaxPathCharacters || !validCodePoint(c))
            return std::nullopt;
        appendUtf8(utf8, c);
    }
    return std::filesystem::path(utf8);
}

std::optional<uint32_t> wordAt(std::span<const uint8_t> bytes, uint64_t offset)
{
    if (offset > bytes.size() || bytes.size() - offset < 4)
        return std::nullopt;
    const auto* p = bytes.data() + offset;
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace zel::zeldev
