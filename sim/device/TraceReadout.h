// Trace read-out over USB: 0xBC streams blocks of unread trace records, 0xBB reads retained
// records without consuming them, 0xBD empties the store. Every block is taken from the store
// when the host reads it, so a long burst carries what the target produced meanwhile.
#pragma once

#include "device/CommandTable.h"
#include "target/TraceStore.h"

namespace zel::sim {

class TraceReadout {
public:
    static constexpr uint64_t kBlockSize = 8192;
    static constexpr size_t kRecordsPerBlock = 1023;  // 8,190 bytes after the 2-byte count

    explicit TraceReadout(target::TraceStore& store) : store_(store) {}

    void install(CommandTable& table);
    // The mode byte of the last 0xBB/0xBC frame: kept for inspection, it selects nothing.
    uint8_t lastMode() const { return lastMode_; }

private:
    target::TraceStore& store_;
    uint8_t lastMode_ = 0;
};

}  // namespace zel::sim
