#include "TraceCommands.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zel::devlink {
namespace {

// The whole records of a block the buffer can still take: the block's count, clamped to what a
// block holds and to the room left.
size_t recordBytes(std::span<const uint8_t, kTraceBlockSize> block, uint32_t filled) {
    const size_t count = std::min<size_t>(size_t{block[0]} << 8 | block[1], kMaxRecordsPerBlock);
    const size_t room = filled < kCaptureBufferSize ? (kCaptureBufferSize - filled) / kTraceRecordSize : 0;
    return std::min(count, room) * kTraceRecordSize;
}

}  // namespace

bool TraceCommands::burstRead(uint8_t* buffer, uint32_t length, uint32_t& filled, uint8_t mode) {
    const uint32_t blocks = length / kTraceBlockSize;
    CommandFrame frame(Opcode::BurstReadTrace);
    frame.put24(2, blocks).put8(9, mode);
    if (!channel_.sendCommand(frame)) return false;

    std::array<uint8_t, kTraceBlockSize> block;
    bool ok = true;
    for (uint32_t i = 0; i < blocks; ++i) {
        const auto result = channel_.device()->bulkIn(kReplyEndpoint, block);
        if (!result.complete(block.size())) {
            ok = false;
            if (result.transferred == 0) break;  // no answer: the rest would only wait out time-outs
            continue;
        }
        if (!ok) continue;
        const size_t bytes = recordBytes(block, filled);
        std::memcpy(buffer + filled, block.data() + 2, bytes);
        filled += static_cast<uint32_t>(bytes);
    }
    return ok;
}

bool TraceCommands::read(std::span<uint8_t> into, uint32_t address, uint8_t mode) {
    CommandFrame frame(Opcode::ReadTrace);
    frame.put32(1, static_cast<uint32_t>(into.size())).put32(5, address).put8(9, mode);
    return channel_.sendCommand(frame) && channel_.receiveData(into);
}

bool TraceCommands::reset() { return channel_.sendCommand(CommandFrame(Opcode::ResetTrace)); }

}  // namespace zel::devlink
