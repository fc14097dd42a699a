// The hyper-terminal receive ring: bytes that the target sends through the emulator's upload
// FIFO wait here until the reader takes them. One per process, owned by the API object.
//
// Threads: one thread fills (push, pushAll) while another drains (pop, popInto); both take the
// lock while a byte moves. Count, IsFull and IsEmpty read the indices without it and may be one
// byte out of date. When the ring is full the newest bytes are dropped, never the oldest.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

namespace zel::api {

class CQueue {
public:
    static constexpr uint32_t kCapacity = 0x20000;  // holds at most kCapacity - 1 bytes

    CQueue();
    virtual ~CQueue() = default;
    CQueue(const CQueue&) = delete;
    CQueue& operator=(const CQueue&) = delete;

    // False when the byte was dropped (ring full).
    virtual bool push(uint8_t byte);
    // 0 when the ring is empty.
    virtual uint8_t pop();
    virtual bool IsFull() const;
    virtual bool IsEmpty() const;
    virtual uint32_t Count() const;

    // As push for each byte in order, under one lock; returns how many were kept.
    size_t pushAll(std::span<const uint8_t> bytes);
    // As pop until `into` is full or the ring is empty, under one lock; returns how many.
    size_t popInto(std::span<uint8_t> into);

    uint32_t head() const { return head_.load(std::memory_order_acquire); }
    uint32_t tail() const { return tail_.load(std::memory_order_acquire); }
    uint32_t capacity() const { return capacity_; }

protected:
    std::mutex lock_;
    std::unique_ptr<uint8_t[]> storage_;
    std::atomic<uint32_t> head_{0};  // index of the last byte taken out
    std::atomic<uint32_t> tail_{0};  // index of the last byte put in
    const uint32_t capacity_ = kCapacity;

private:
    uint32_t next(uint32_t index) const { return index + 1 == capacity_ ? 0 : index + 1; }
};

}  // namespace zel::api
