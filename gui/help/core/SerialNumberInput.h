// The factory page's serial-number input. Accepted: a decimal number, optionally led by the
// prefix the program shows it with ("VK" below 100000, "ZL" from 100000 up, either case); spaces
// around it are ignored. 0xFFFFFFFF is refused: it is what an unwritten identity page reads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace zel::gui::help {

struct SerialNumberProblem {
    std::string text;
};

// The number, or why the text is not one.
std::variant<std::uint32_t, SerialNumberProblem> parseSerialNumber(std::string_view text);

}  // namespace zel::gui::help
