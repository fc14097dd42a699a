// Trace read-out of one device: bursts of 8,192-byte trace blocks appended to the caller's
// capture buffer, a plain read, and the reset of the device's recording.
#pragma once

#include "CommandChannel.h"

#include <cstdint>
#include <span>

namespace zel::devlink {

inline constexpr size_t kTraceBlockSize = 8192;
inline constexpr size_t kTraceRecordSize = 8;
inline constexpr size_t kMaxRecordsPerBlock = 1023;  // 8,190 bytes after the 2-byte count
// The capture buffer the read-out serves (128 MiB); a fill level above this guard leaves no
// room for another 64 KiB and the burst read does nothing.
inline constexpr uint32_t kCaptureBufferSize = 0x8000000;
inline constexpr uint32_t kFullGuard = 0x7FEFFFF;

class TraceCommands {
public:
    explicit TraceCommands(CommandChannel channel) : channel_(channel) {}

    // length / 8,192 blocks (a remainder is ignored); the valid records of each block are
    // appended to `buffer` at `filled`, which advances. True when the frame and every block
    // read succeeded. After a failed read nothing more is appended; the remaining blocks are
    // still read to keep the stream in step, unless a read got no answer at all: a device that
    // does not answer is not asked again in this burst. Records never pass the end of the
    // capture buffer (kCaptureBufferSize bytes).
    bool burstRead(uint8_t* buffer, uint32_t length, uint32_t& filled, uint8_t mode);
    // Frame 0xBB, then `into.size()` bytes; true when both transfers succeeded.
    bool read(std::span<uint8_t> into, uint32_t address, uint8_t mode);
    bool reset();

private:
    CommandChannel channel_;
};

}  // namespace zel::devlink
