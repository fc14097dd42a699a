// Switching a G2 emulator's FPGA image to the supply voltage of the chosen chip: the 1.8 V image
// for an 1800 mV chip, the 3.3 V image otherwise. On success the pins are back at their defaults.
#pragma once

#include <cstdint>

#include "device/DeviceFacts.h"

namespace zel::cmd {

class CommandContext;

inline constexpr std::uint8_t kFpgaMajor18V = device::kG2FpgaMajor18V;
inline constexpr std::uint8_t kFpgaMajor33V = device::kG2FpgaMajor33V;

bool switchFpgaImage(CommandContext& context, int index, std::uint32_t chipVoltage);

}  // namespace zel::cmd
