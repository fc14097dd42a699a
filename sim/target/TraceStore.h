// The target bus's recorded transactions as 8-byte trace records, in the layout the trace
// viewer decodes. Bounded: once full, the oldest records make room. Besides the newest records
// (for the control interface) it keeps a read-out cursor for the host: records not yet read
// over USB are "unread"; one that has to make room while still unread counts as an overflow.
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

    // Moves the oldest unread records (at most into.size()) into `into`; returns how many.
    size_t takeUnread(std::span<TraceRecord> into);
    // `count` retained records from the `first`-th oldest on, without moving the cursor; fewer
    // when the store holds fewer.
    std::vector<TraceRecord> retained(size_t first, size_t count) const;
    size_t unread() const { return unread_; }
    uint64_t produced() const { return produced_; }   // records appended since the last clear
    uint64_t overflows() const { return overflows_; } // unread records lost to make room

    // Empties the store, the cursor and the counters; the next sequence number is 1 again.
    void clear();

private:
    void append(const TraceRecord& record);
    const TraceRecord& at(uint64_t logical) const { return records_[logical % capacity_]; }

    size_t capacity_;
    std::vector<TraceRecord> records_;  // record k (since the clear) sits at k % capacity_
    uint64_t produced_ = 0;
    size_t unread_ = 0;
    uint64_t overflows_ = 0;
    uint8_t sequence_ = 0;  // 1..254, then 1 again
};

}  // namespace zel::sim::target
