// The target bus's recorded transactions as 8-byte trace records, in the layout the trace
// viewer decodes. Bounded: once full, the oldest records make room.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zel::sim::target {

using TraceRecord = std::array<uint8_t, 8>;

class TraceStore {
public:
    static constexpr size_t kDefaultCapacity = size_t{1} << 20;  // 8 MiB of records
    // Bytes of one transaction that are recorded (opcode included); the rest only counts on the bus.
    static constexpr size_t kMaxRecordedBytes = 256;

    explicit TraceStore(size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

    // One transaction: a timestamp record (10 ns ticks), a command record and as many
    // continuation records as its bytes need. `bytes` are the bus bytes in order: what the
    // master sent, then what it read. Nothing is recorded for a transaction without bytes.
    void record(uint64_t ticks, std::span<const uint8_t> bytes);
    // The newest `count` records (or all there are), oldest first.
    std::vector<TraceRecord> last(size_t count) const;
    size_t size() const { return records_.size(); }
    size_t capacity() const { return capacity_; }
    void clear();

private:
    void append(const TraceRecord& record);

    size_t capacity_;
    std::vector<TraceRecord> records_;  // a ring once it reaches capacity_
    size_t next_ = 0;                   // where the next record goes once the ring is full
    uint8_t sequence_ = 0;              // 1..254, then 1 again
};

}  // namespace zel::sim::target
