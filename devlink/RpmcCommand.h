// The RPMC settings download: a 164-byte block built by the caller, sent as its 16-byte
// command frame (opcode 0x68) and then its 148-byte settings payload. No reply.
#pragma once

#include "CommandChannel.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace zel::devlink {

inline constexpr size_t kRpmcFrameSize = 16;
inline constexpr size_t kRpmcPayloadSize = 148;
inline constexpr size_t kRpmcBlockSize = kRpmcFrameSize + kRpmcPayloadSize;

// True when both transfers went out whole. A block shorter than kRpmcBlockSize is refused
// (nothing is read past its end, nothing is sent); bytes beyond it are not sent. The payload
// does not follow a frame that failed, so the device never takes it for command frames.
bool writeRpmcBlock(CommandChannel channel, std::span<const uint8_t> block);

}  // namespace zel::devlink
