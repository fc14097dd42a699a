#include "FirmwareVersionQuery.h"

#include <array>

namespace zel::devlink {

std::optional<FirmwareVersion> queryFirmwareVersion(CommandChannel channel) {
    if (!channel.sendCommand(CommandFrame(Opcode::ReadFirmwareVersion))) return std::nullopt;
    std::array<uint8_t, 5> reply;
    if (!channel.readReply(reply)) return std::nullopt;
    // The reply carries major before minor; byte 0 is not part of the version.
    return FirmwareVersion{reply[2], reply[1], reply[4], reply[3]};
}

}  // namespace zel::devlink
