#include "SerialNumberInput.h"

#include <cctype>
#include <charconv>

#include "DeviceApi.h"
#include "DeviceIdentity.h"

namespace zel::gui::help {
namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

}  // namespace

std::variant<std::uint32_t, SerialNumberProblem> parseSerialNumber(std::string_view text) {
    text = trimmed(text);
    const std::string prefix = upper(text.substr(0, 2));
    const bool prefixed = prefix == "VK" || prefix == "ZL";
    if (prefixed) text.remove_prefix(2);
    if (text.empty()) return SerialNumberProblem{"Enter the serial number."};
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return SerialNumberProblem{"A serial number is a decimal number, optionally led by VK or ZL."};
    std::uint32_t serial = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), serial);
    if (error != std::errc() || end != text.data() + text.size() || serial == session::kSerialNotAvailable)
        return SerialNumberProblem{"The serial number must lie between 0 and 4294967294."};
    if (prefixed && prefix != serialText(serial).substr(0, 2))
        return SerialNumberProblem{"VK numbers lie below 100000, ZL numbers at 100000 and above."};
    return serial;
}

}  // namespace zel::gui::help
