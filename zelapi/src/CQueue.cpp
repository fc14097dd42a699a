#include "CQueue.h"

#include <algorithm>

namespace zel::api {

CQueue::CQueue()
    : storage_(std::make_unique<uint8_t[]>(kCapacity))
{
}

bool CQueue::push(uint8_t byte)
{
    return pushAll(std::span<const uint8_t>(&byte, 1)) == 1;
}

uint8_t CQueue::pop()
{
    uint8_t byte = 0;
    popInto(std::span<uint8_t>(&byte, 1));
    return byte;
}

size_t CQueue::pushAll(std::span<const uint8_t> bytes)
{
    std::lock_guard guard(lock_);
    const uint32_t head = head_.load(std::memory_order_relaxed);
    uint32_t tail = tail_.load(std::memory_order_relaxed);
    size_t kept = 0;
    for (uint8_t byte : bytes) {
        const uint32_t slot = next(tail);
        if (slot == head)
            break;  // full: this byte and the rest are dropped
        storage_[slot] = byte;
        tail = slot;
        ++kept;
    }
    tail_.store(tail, std::memory_order_release);
    return kept;
}

size_t CQueue::popInto(std::span<uint8_t> into)
{
    std::lock_guard guard(lock_);
    uint32_t head = head_.load(std::memory_order_relaxed);
    const uint32_t tail = tail_.load(std::memory_order_relaxed);
    size_t taken = 0;
    while (taken < into.size() && head != tail) {
        head = next(head);
        into[taken++] = storage_[head];  // read while the lock keeps the slot from being reused
    }
    head_.store(head, std::memory_order_release);
    return taken;
}

bool CQueue::IsFull() const
{
    return next(tail()) == head();
}

bool CQueue::IsEmpty() const
{
    return head() == tail();
}

uint32_t CQueue::Count() const
{
    const uint32_t h = head(), t = tail();
    return t >= h ? t - h : capacity_ + t - h;
}

}  // namespace zel::api
