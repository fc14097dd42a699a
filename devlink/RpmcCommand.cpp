#include "RpmcCommand.h"

namespace zel::devlink {

bool writeRpmcBlock(CommandChannel channel, std::span<const uint8_t> block) {
    if (block.size() < kRpmcBlockSize || !channel.isOpen()) return false;
    if (!channel.sendData(block.first(kRpmcFrameSize))) return false;
    return channel.sendData(block.subspan(kRpmcFrameSize, kRpmcPayloadSize));
}

}  // namespace zel::devlink
