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
    if (records_.size() < capacity_) records_.push_back(record);
    else records_[produced_ % capacity_] = record;
    ++produced_;
    if (unread_ < capacity_) ++unread_;
    else ++overflows_;
}

std::vector<TraceRecord> TraceStore::last(size_t count) const {
    count = std::min(count, records_.size());
    std::vector<TraceRecord> out;
    out.reserve(count);
    for (uint64_t i = produced_ - count; i < produced_; ++i) out.push_back(at(i));
    return out;
}

size_t TraceStore::takeUnread(std::span<TraceRecord> into) {
    const size_t n = std::min(into.size(), unread_);
    const uint64_t first = produced_ - unread_;
    for (size_t i = 0; i < n; ++i) into[i] = at(first + i);
    unread_ -= n;
    return n;
}

std::vector<TraceRecord> TraceStore::retained(size_t first, size_t count) const {
    std::vector<TraceRecord> out;
    if (first >= records_.size()) return out;
    count = std::min(count, records_.size() - first);
    out.reserve(count);
    const uint64_t oldest = produced_ - records_.size();
    for (size_t i = 0; i < count; ++i) out.push_back(at(oldest + first + i));
    return out;
}

void TraceStore::clear() {
    records_.clear();
    records_.shrink_to_fit();
    produced_ = 0;
    unread_ = 0;
    overflows_ = 0;
    sequence_ = 0;
}

}  // namespace zel::sim::target
