// What one chip slot of a command-frame emulator holds, for people and tests: the slot's
// registers in its own numbering, the device's levels and the slot's SFDP and protection tables.
#pragma once

#include <string>

namespace zel::sim {

class SimDevice;

// Each chip slot owns a block of kSlotRegisterCount registers: slot 0 the device registers from
// 0x00, slot 1 those from 0x70 (its register r is device register r + 0x70). Only non-zero
// registers are listed, and not the table selects and data ports (0xC1-0xC9), which show as the
// tables they fill. The level channels belong to the device, not to a slot. Throws
// std::out_of_range for a slot other than 0 and 1, Unsupported for a device without slots.
std::string describeChipSlot(const SimDevice& device, unsigned slot);

inline constexpr unsigned kSlotRegisterCount = 0x70;

}  // namespace zel::sim
