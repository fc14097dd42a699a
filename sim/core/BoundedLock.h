// Taking a mutex with a bound on the wait, for control commands that must not hang behind a
// long transfer. (A plain mutex polled with try_lock: timed mutexes upset thread checkers.)
#pragma once

#include <chrono>
#include <mutex>
#include <thread>

namespace zel::sim {

// A lock that owns the mutex only when it was free within `wait`.
inline std::unique_lock<std::mutex> lockWithin(std::mutex& mutex, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        std::unique_lock lock(mutex, std::try_to_lock);
        if (lock.owns_lock() || std::chrono::steady_clock::now() >= deadline) return lock;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace zel::sim
