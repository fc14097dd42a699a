// Command 4: make one chip slot of the emulator impersonate the chip of a .cfg file. The file's
// record body becomes register writes (opcode 0x23) and level frames (opcode 0x11), all sent to
// the device slot the caller names.
#pragma once

#include "CommandChannel.h"
#include "chipcfg/SectionWalk.h"

#include <filesystem>

namespace zel::devlink {

enum class ChipConfigResult {
    Applied,         // the walk ran to its end and every transfer succeeded
    NotApplied,      // the file cannot be read or is shorter than its header: nothing was sent
    TransferFailed,  // a transfer failed; nothing was sent after it
};

// Applies the file at `path` to chip slot `slot` of the device behind `channel`.
ChipConfigResult applyChipConfig(CommandChannel channel, const std::filesystem::path& path, chipcfg::ChipSlot slot);

}  // namespace zel::devlink
