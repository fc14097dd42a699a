#include "HexField.h"

namespace zel::gui::editor {
namespace {

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view blanks = " \t\r\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::optional<unsigned> digitValue(char c) {
    if (c >= '0' && c <= '9') return unsigned(c - '0');
    if (c >= 'a' && c <= 'f') return unsigned(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return unsigned(c - 'A' + 10);
    return std::nullopt;
}

}  // namespace

std::optional<uint64_t> parseHexField(std::string_view text) {
    text = trimmed(text);
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        if (text.empty()) return std::nullopt;
    }
    if (text.size() > 16) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        const auto digit = digitValue(c);
        if (!digit) return std::nullopt;
        value = value << 4 | *digit;
    }
    return value;
}

}  // namespace zel::gui::editor
