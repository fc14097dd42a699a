// The hyper-terminal receive ring: bytes that the target sends through the emulator's upload
// FIFO wait here until the reader takes them. One per process, owned by the API object.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace zel::api {

class CQueue {
public:
    static constexpr uint32_t kCapacity = 0x20000;

    CQueue();
    CQueue(const CQueue&) = delete;
    CQueue& operator=(const CQueue&) = delete;

    uint32_t head() const { return head_.load(); }
    uint32_t tail() const { return tail_.load(); }
    uint32_t capacity() const { return capacity_; }

protected:
    // The filling side (a polling thread) and the draining side (the display) run concurrently;
    // the lock guards storage and indices while a byte moves. Counters read the indices without
    // it, hence atomics.
    std::mutex lock_;
    std::unique_ptr<uint8_t[]> storage_;
    std::atomic<uint32_t> head_{0};  // index of the last byte taken out
    std::atomic<uint32_t> tail_{0};  // index of the last byte put in
    const uint32_t capacity_ = kCapacity;
};

}  // namespace zel::api
