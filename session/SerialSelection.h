// Choosing emulators by serial number instead of enumeration position, the same way in every
// tool: a serial is typed as printed ("ZL204711", "VK002222", with or without the brackets) or
// as a plain decimal number.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "DeviceProblem.h"

namespace zel::session {

// The serial number a user typed; nullopt when the text is not one.
std::optional<std::uint32_t> parseSerial(std::string_view text);

// The 0-based enumeration index of the emulator with that serial among `count` found ones,
// reading each serial through `serialOf`; a problem naming the serial when none or two match.
Outcome<int> findBySerial(std::uint32_t serial, int count, const std::function<std::uint32_t(int)>& serialOf);

}  // namespace zel::session
