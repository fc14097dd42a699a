#include "OnBoardFlashCommands.h"

#include "CommandDispatcher.h"

#include <array>

namespace zel::devlink {

std::optional<uint32_t> OnBoardFlashCommands::readJedecId() {
    if (!channel_.sendCommand(CommandFrame(Opcode::ReadFlashId))) return std::nullopt;
    std::array<uint8_t, 3> reply;
    if (!channel_.readReply(reply)) return std::nullopt;
    return uint32_t{reply[0]} << 16 | uint32_t{reply[1]} << 8 | reply[2];
}

bool OnBoardFlashCommands::readPage(uint32_t address, std::span<uint8_t, kFlashPageSize> page) {
    if (!channel_.sendCommand(CommandFrame(Opcode::ReadFlashPage).put24(1, address & 0xFFFFFF))) return false;
    return channel_.receiveData(page);
}

// 0xB2: arg = 256-byte buffer, value1 = address. 1 only when the whole page was read.
long readFlashPageCommand(CommandContext& context) {
    auto* buffer = reinterpret_cast<uint8_t*>(context.request.arg);
    if (buffer == nullptr) return 0;
    std::span<uint8_t, kFlashPageSize> page(buffer, kFlashPageSize);
    return OnBoardFlashCommands(context.channel).readPage(context.request.value1, page) ? 1 : 0;
}

}  // namespace zel::devlink
