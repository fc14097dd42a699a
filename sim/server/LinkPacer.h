// The pace of a device's USB link: bulk transfers take as long as their bytes need at the link's
// rate (`speed=MBPS`, megabytes of 10^6 bytes per second), one after the other in both
// directions as on a USB 2.0 bus. A rate of 0 does not pace.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>

namespace zel::sim {

class LinkPacer {
public:
    using Clock = std::chrono::steady_clock;

    explicit LinkPacer(double megabytesPerSecond) : bytesPerSecond_(megabytesPerSecond * 1e6) {}

    bool paced() const { return bytesPerSecond_ > 0; }
    // Returns once `bytes` that began crossing the link at `start` (or when the link came free
    // after it) are through. The model lock must not be held: the sleep stands for the bus.
    void pace(uint64_t bytes, Clock::time_point start);

private:
    double bytesPerSecond_;
    std::mutex mutex_;
    Clock::time_point busyUntil_{};
};

}  // namespace zel::sim
