#include "target/TraceStore.h"

#include <algorithm>

namespace zel::sim::target {
namespace {

constexpr size_t kCommandPayload = 5, kContinuationPayload = 6;

uint8_t validBits(size_t bytes) { return static_cast<uint8_t>(bytes * 8); }

}  // namespace

void TraceStore::record(uint64_t ticks, std::span<const uint8_t> bytes) {
    if (bytes.empty() || capacity_ == 0) return;
    bytes = bytes.first(std::min(bytes.size(), kMaxRecordedBytes));
    sequence_ = static_cast<uint8_t>(sequence_ >= 254 ? 1 : sequence_ + 1);

    TraceRecord stamp{0xFF, 0xFF};
    for (int i = 0; i < 6; ++i) stamp[static_cast<size_t>(2 + i)] = static_cast<uint8_t>(ticks >> (40 - 8 * i));
    append(stamp);

    // The command record holds the opcode and up to five more bytes.
    const size_t head = std::min(bytes.size(), 1 + kCommandPayload);
    TraceRecord command{sequence_, validBits(head)};
    std::copy_n(bytes.begin(), head, command.begin() + 2);
    append(command);

    unsigned fragment = 0;
    for (size_t at = head; at < bytes.size(); at += kContinuationPayload) {
        fragment = (fragment + 1) % 4;
        const size_t n = std::min(kContinuationPayload, bytes.size() - at);
        TraceRecord more{sequence_, static_cast<uint8_t>(fragment << 6 | validBits(n))};
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), n, more.begin() + 2);
        append(more);
    }
}

void TraceStore::append(const TraceRecord& record) {
    if (records_.size() < capacity_) {
        records_.push_back(record);
        return;
    }
    records_[next_] = record;
    next_ = (next_ + 1) % capacity_;
}

std::vector<TraceRecord> TraceStore::last(size_t count) const {
    count = std::min(count, records_.size());
    std::vector<TraceRecord> out;
    out.reserve(count);
    // Oldest record sits at next_ once the ring is full (next_ stays 0 until then).
    const size_t oldest = records_.size() < capacity_ ? 0 : next_;
    for (size_t i = records_.size() - count; i < records_.size(); ++i) out.push_back(records_[(oldest + i) % records_.size()]);
    return out;
}

void TraceStore::clear() {
    records_.clear();
    records_.shrink_to_fit();
    next_ = 0;
    sequence_ = 0;
}

}  // namespace zel::sim::target
