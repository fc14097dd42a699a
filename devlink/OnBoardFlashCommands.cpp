#include "OnBoardFlashCommands.h"

#include "CommandDispatcher.h"

#include <array>

namespace zel::devlink {
namespace {

constexpr uint32_t kAddressMask = 0xFFFFFF;  // the frame carries 24 bits

}  // namespace

std::optional<uint32_t> OnBoardFlashCommands::readJedecId() {
    if (!channel_.sendCommand(CommandFrame(Opcode::ReadFlashId))) return std::nullopt;
    std::array<uint8_t, 3> reply;
    if (!channel_.readReply(reply)) return std::nullopt;
    return uint32_t{reply[0]} << 16 | uint32_t{reply[1]} << 8 | reply[2];
}

bool OnBoardFlashCommands::readPage(uint32_t address, std::span<uint8_t, kFlashPageSize> page) {
    if (!channel_.sendCommand(CommandFrame(Opcode::ReadFlashPage).put24(1, address & kAddressMask))) return false;
    return channel_.receiveData(page);
}

bool OnBoardFlashCommands::writePage(uint32_t address, std::span<const uint8_t, kFlashPageSize> page) {
    if (!channel_.sendCommand(CommandFrame(Opcode::WriteFlashPage).put24(1, address & kAddressMask).fill(4, 0xFF)))
        return false;
    return channel_.sendData(page);
}

bool OnBoardFlashCommands::prepareForWrite() { return channel_.sendCommand(CommandFrame(Opcode::PrepareFlashWrite)); }

bool OnBoardFlashCommands::eraseSector(uint32_t address) {
    return channel_.sendCommand(CommandFrame(Opcode::EraseFlashSector).put24(1, address & kAddressMask));
}

bool OnBoardFlashCommands::eraseChip() { return channel_.sendCommand(CommandFrame(Opcode::EraseFlashChip)); }

uint8_t OnBoardFlashCommands::eraseStatus() {
    std::array<uint8_t, 1> reply{};
    if (channel_.sendCommand(CommandFrame(Opcode::ReadFlashEraseStatus))) channel_.readReply(reply);
    return reply[0];
}

// 0xB2: arg = 256-byte buffer, value1 = address. 1 only when the whole page was read.
long readFlashPageCommand(CommandContext& context) {
    auto* buffer = reinterpret_cast<uint8_t*>(context.request.arg);
    if (buffer == nullptr) return 0;
    std::span<uint8_t, kFlashPageSize> page(buffer, kFlashPageSize);
    return OnBoardFlashCommands(context.channel).readPage(context.request.value1, page) ? 1 : 0;
}

// 0xB3: arg = 256 bytes, value1 = address. 1 only when the frame and the page went out.
long writeFlashPageCommand(CommandContext& context) {
    const auto* buffer = reinterpret_cast<const uint8_t*>(context.request.arg);
    if (buffer == nullptr) return 0;
    std::span<const uint8_t, kFlashPageSize> page(buffer, kFlashPageSize);
    return OnBoardFlashCommands(context.channel).writePage(context.request.value1, page) ? 1 : 0;
}

}  // namespace zel::devlink
