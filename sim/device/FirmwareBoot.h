// What the device starts at power-up: the firmware in its on-board flash when the flash holds a
// complete update (boot marker page, then valid synthetic MCU and FPGA images), else the
// firmware it was configured with.
#pragma once

#include "device/OnBoardFlash.h"

#include <cstdint>
#include <optional>

namespace zel::sim {

// The firmware version word (byte 0 FPGA minor, 1 FPGA major, 2 MCU minor, 3 MCU major) of the
// images in `flash`; nothing when they would not boot.
std::optional<uint32_t> firmwareInFlash(const OnBoardFlash& flash);

}  // namespace zel::sim
