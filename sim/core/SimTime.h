// Device-side durations (flash erase, busy states) shrink with the simulator's time scale, in
// step with the host's fixed waits, which the host scales by the same factor.
#pragma once

#include <chrono>

namespace zel::sim {

using SteadyClock = std::chrono::steady_clock;

class SimTime {
public:
    explicit SimTime(double scale = 1.0) : scale_(scale) {}
    double scale() const { return scale_; }
    SteadyClock::duration scaled(std::chrono::milliseconds real) const {
        return std::chrono::duration_cast<SteadyClock::duration>(
            std::chrono::duration<double, std::milli>(static_cast<double>(real.count()) * scale_));
    }
    SteadyClock::time_point now() const { return SteadyClock::now(); }

private:
    double scale_;
};

}  // namespace zel::sim
