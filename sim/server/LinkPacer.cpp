#include "server/LinkPacer.h"

#include <algorithm>
#include <thread>

namespace zel::sim {

void LinkPacer::pace(uint64_t bytes, Clock::time_point start) {
    if (!paced() || bytes == 0) return;
    Clock::time_point done;
    {
        std::lock_guard lock(mutex_);
        // Idle time earns no credit: a transfer starts when it arrives or when the link frees.
        const auto begin = std::max(start, busyUntil_);
        const auto duration = std::chrono::duration<double>(static_cast<double>(bytes) / bytesPerSecond_);
        done = begin + std::chrono::duration_cast<Clock::duration>(duration);
        busyUntil_ = done;
    }
    std::this_thread::sleep_until(done);
}

}  // namespace zel::sim
