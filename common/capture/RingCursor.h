// The fill and save positions of a capture buffer shared by one producer (the capture thread)
// and one consumer (the continuous writer thread), lock-free.
//
// Each position carries a lap count in the same atomic word, so "the writer has saved
// everything" (same lap, equal positions) and "the buffer is full" (producer one lap ahead,
// equal positions) are never confused. The producer fetches only into room the writer has
// saved for a whole fetch, so no unsaved record is ever overwritten. When a whole fetch no
// longer fits before the end, the producer publishes where the fill ended and starts the next
// lap at 0; the writer saves up to that end and then jumps to the start, so records left from
// the lap before never reach the file.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

namespace zel::capture {

class RingCursor {
public:
    // `size` bytes of buffer, fetches of at most `fetch` bytes. Linear use never wraps.
    RingCursor(uint32_t size, uint32_t fetch) : size_(size), fetch_(fetch) {}

    // Producer, ring use: where the next fetch may append (wrapping first when a whole fetch no
    // longer fits before the end); nothing while the writer has not saved room for a whole fetch.
    std::optional<uint32_t> roomInRing();
    // Producer, linear use: where the next fetch may append; nothing once a whole fetch no longer
    // fits (the buffer is full).
    std::optional<uint32_t> roomInLine() const;
    // Producer: the fill now ends at `length`, in the lap of the last room given.
    void filled(uint32_t length);

    // The records the writer has not saved, as one contiguous range [begin, end); `wrapsAfter`
    // when the fill continues at the buffer's start once this range is saved.
    struct Pending {
        uint32_t begin = 0, end = 0;
        bool wrapsAfter = false;
        bool empty() const { return begin == end && !wrapsAfter; }
    };
    // Consumer.
    Pending pending() const;
    // Consumer: records before `position` (inside the current pending range) are saved.
    void saved(uint32_t position);
    // Consumer: the range before the wrap is saved; continue with the next lap at 0.
    void wrapSaved();

    // Where the fill ends now (either side may ask; the producer's own view).
    uint32_t fillLength() const { return position(fill_.load(std::memory_order_acquire)); }

    // What the buffer still holds once the producer has stopped, oldest first: [olderBegin,
    // olderEnd) of the lap before, which the last lap did not reach, then [0, newerEnd) of the
    // last lap. Records of earlier laps beyond the lap before's end are stale and left out.
    struct Held {
        uint32_t olderBegin = 0, olderEnd = 0, newerEnd = 0;
        uint32_t bytes() const { return olderEnd - olderBegin + newerEnd; }
    };
    Held held() const;

private:
    static uint64_t pack(uint32_t lap, uint32_t position) { return uint64_t{lap} << 32 | position; }
    static uint32_t lap(uint64_t word) { return static_cast<uint32_t>(word >> 32); }
    static uint32_t position(uint64_t word) { return static_cast<uint32_t>(word); }

    const uint32_t size_, fetch_;
    std::atomic<uint64_t> fill_{0};     // written by the producer only
    std::atomic<uint64_t> saved_{0};    // written by the consumer only
    std::atomic<uint32_t> wrapEnd_{0};  // producer, before it publishes the next lap
};

}  // namespace zel::capture
