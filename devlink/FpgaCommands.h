// Loading the FPGA from a bitstream stored in the on-board flash, and reconfiguring it. Both
// reload the FPGA, so its registers return to their power-up values.
#pragma once

#include "CommandChannel.h"

#include <cstdint>

namespace zel::devlink {

class FpgaCommands {
public:
    explicit FpgaCommands(CommandChannel channel) : channel_(channel) {}

    // Opcode 0x24: load the bitstream that starts at this on-board flash address.
    bool switchImage(uint32_t address);
    // Opcode 0x20.
    bool reconfigure();

private:
    CommandChannel channel_;
};

}  // namespace zel::devlink
