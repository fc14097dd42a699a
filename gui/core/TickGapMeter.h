// The longest interval between two ticks of a timer, to prove the window stays responsive.
#pragma once

#include <cstdint>

namespace zel::gui {

class TickGapMeter {
public:
    void tick(std::int64_t nowMs);
    std::int64_t longestGapMs() const { return longest_; }
    void reset() { last_ = -1; longest_ = 0; }

private:
    std::int64_t last_ = -1;
    std::int64_t longest_ = 0;
};

}  // namespace zel::gui
