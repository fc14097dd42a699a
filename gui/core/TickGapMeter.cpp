#include "TickGapMeter.h"

namespace zel::gui {

void TickGapMeter::tick(std::int64_t nowMs) {
    if (last_ >= 0 && nowMs - last_ > longest_) longest_ = nowMs - last_;
    last_ = nowMs;
}

}  // namespace zel::gui
