#include "FpgaCommands.h"

namespace zel::devlink {

bool FpgaCommands::switchImage(uint32_t address) {
    return channel_.sendCommand(CommandFrame(Opcode::SwitchFpgaImage).put32(1, address));
}

bool FpgaCommands::reconfigure() { return channel_.sendCommand(CommandFrame(Opcode::ReconfigureFpga)); }

}  // namespace zel::devlink
