#include "LastCommand.h"

#include <cstdio>

namespace zel::gui {

LastCommandView describeLastCommand(std::uint32_t value) {
    char opcode[8];
    std::snprintf(opcode, sizeof opcode, "0x%02x", (value >> 16) & 0xFF);
    const std::uint32_t idleBits = value & 0xC000;
    const char* pins = idleBits == 0xC000 ? "High" : idleBits == 0 ? "Low" : "Toggling";
    return {opcode, pins};
}

}  // namespace zel::gui
