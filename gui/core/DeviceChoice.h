// Which of the attached emulators the desktop program works on: the one whose serial number the
// user chose last, else the first.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace zel::gui {

int chooseDeviceIndex(std::span<const std::uint32_t> serials, std::optional<std::uint32_t> wanted);

}  // namespace zel::gui
