// The "Last Issued Command" and "Pin Status" panel's texts from the last-command value (CliGetSPILastCommandOf):
// bits 16-23 the target's last opcode, bits 8-15 register 0x2C's high byte, whose two top bits
// are both set while the target's SPI bus (chip select) is idle.
#pragma once

#include <cstdint>
#include <string>

namespace zel::gui {

struct LastCommandView {
    std::string opcode;     // "0x03"
    std::string chipSelect; // "High", "Low" or "Toggling"

    bool operator==(const LastCommandView&) const = default;
};

LastCommandView describeLastCommand(std::uint32_t value);

}  // namespace zel::gui
