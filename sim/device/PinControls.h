// The target-side pin settings the host keeps in registers: the reset pin (0x10), its level byte
// (0x12), hold-pin mode and MISO drive (0x2A), chip-select mode (0xE0) and timing (0xE1).
// Register 0x10 keeps the pin's state, not the value written: 0x0C asserts the reset pin and
// reads back 1, 0 releases it and reads back 0.
#pragma once

#include "core/Findings.h"
#include "device/FpgaRegisters.h"

#include <string>

namespace zel::sim {

class SimDevice;

namespace pins {
inline constexpr uint8_t kResetControl = 0x10;
inline constexpr uint8_t kResetLevel = 0x12;
inline constexpr uint8_t kHoldAndMiso = 0x2A;
inline constexpr uint8_t kChipSelectMode = 0xE0;
inline constexpr uint8_t kChipSelectTiming = 0xE1;
inline constexpr uint16_t kResetAssert = 0x0C;
inline constexpr unsigned kSupplyChannel = 4;
}  // namespace pins

// Makes register 0x10 behave as the reset-pin control. Other written values than 0x0C and 0 are
// flagged; bits 2-3 both set still assert the pin.
void installPinControls(FpgaRegisters& registers, Findings& findings);

// The `pins` control command: one key=value line per setting.
std::string describePins(const SimDevice& device);

}  // namespace zel::sim
