#include "RingCursor.h"

#include <algorithm>

namespace zel::capture {

std::optional<uint32_t> RingCursor::roomInRing() {
    uint64_t fill = fill_.load(std::memory_order_relaxed);
    const uint64_t saved = saved_.load(std::memory_order_acquire);
    if (lap(fill) == lap(saved)) {
        // Strictly below the end: the device link reads nothing at a fill of size - fetch.
        if (uint64_t{position(fill)} + fetch_ < size_) return position(fill);
        wrapEnd_.store(position(fill), std::memory_order_relaxed);
        fill = pack(lap(fill) + 1, 0);
        fill_.store(fill, std::memory_order_release);
    }
    // One lap ahead: the room is what lies between the fill and the first unsaved record.
    if (uint64_t{position(fill)} + fetch_ <= position(saved)) return position(fill);
    return std::nullopt;
}

std::optional<uint32_t> RingCursor::roomInLine() const {
    const uint32_t at = position(fill_.load(std::memory_order_relaxed));
    if (uint64_t{at} + fetch_ >= size_) return std::nullopt;
    return at;
}

void RingCursor::filled(uint32_t length) {
    const uint64_t fill = fill_.load(std::memory_order_relaxed);
    fill_.store(pack(lap(fill), length), std::memory_order_release);
}

RingCursor::Pending RingCursor::pending() const {
    const uint64_t saved = saved_.load(std::memory_order_relaxed);
    const uint64_t fill = fill_.load(std::memory_order_acquire);
    if (lap(fill) == lap(saved)) return {position(saved), position(fill), false};
    return {position(saved), wrapEnd_.load(std::memory_order_relaxed), true};
}

void RingCursor::saved(uint32_t position) {
    const uint64_t saved = saved_.load(std::memory_order_relaxed);
    saved_.store(pack(lap(saved), position), std::memory_order_release);
}

void RingCursor::wrapSaved() {
    const uint64_t saved = saved_.load(std::memory_order_relaxed);
    saved_.store(pack(lap(saved) + 1, 0), std::memory_order_release);
}

RingCursor::Held RingCursor::held() const {
    const uint64_t fill = fill_.load(std::memory_order_acquire);
    const uint32_t end = position(fill);
    if (lap(fill) == 0) return {0, 0, end};
    const uint32_t lapBefore = wrapEnd_.load(std::memory_order_relaxed);
    return {end, std::max(end, lapBefore), end};
}

}  // namespace zel::capture
