#include "SerialSelection.h"

#include <cctype>
#include <charconv>
#include <string>

namespace zel::session {
namespace {

std::string_view trimBrackets(std::string_view text) {
    if (text.size() >= 2 && text.front() == '(' && text.back() == ')') return text.substr(1, text.size() - 2);
    return text;
}

bool startsWithLetters(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

}  // namespace

std::optional<std::uint32_t> parseSerial(std::string_view text) {
    text = trimBrackets(text);
    if (startsWithLetters(text, "VK") || startsWithLetters(text, "ZL")) text.remove_prefix(2);
    if (text.empty()) return std::nullopt;
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    // All ones is how an unreadable identity page reads: it names no emulator.
    if (value == 0xFFFFFFFF) return std::nullopt;
    return value;
}

Outcome<int> findBySerial(std::uint32_t serial, int count, const std::function<std::uint32_t(int)>& serialOf) {
    std::optional<int> found;
    for (int index = 0; index < count; ++index) {
        if (serialOf(index) != serial) continue;
        if (found) return DeviceProblem{Reason::BadInput, "two emulators report serial number " + std::to_string(serial)};
        found = index;
    }
    if (!found)
        return DeviceProblem{Reason::NoDevice, "no emulator with serial number " + std::to_string(serial) + " is attached"};
    return *found;
}

}  // namespace zel::session
