// A request to cancel the running operations, raised from anywhere: a button, another thread or
// an async-signal handler (one lock-free atomic flag, nothing else).
#pragma once

#include <atomic>

namespace zel::session {

class CancelToken {
public:
    // Async-signal-safe.
    void request() noexcept { requested_.store(true, std::memory_order_relaxed); }
    bool requested() const noexcept { return requested_.load(std::memory_order_relaxed); }
    void reset() noexcept { requested_.store(false, std::memory_order_relaxed); }

private:
    static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler may only touch lock-free atomics");
    std::atomic<bool> requested_{false};
};

}  // namespace zel::session
