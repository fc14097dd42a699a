#include "FirmwareProgress.h"

#include <algorithm>

namespace zel::devlink {

bool FirmwareProgress::stopAsked(uint64_t total) {
    total_ = total;
    if (function_ == nullptr) return false;
    reported_ = Clock::now();
    return function_(context_, 0, total_) != 0;
}

void FirmwareProgress::advance(uint64_t bytes) {
    if (function_ == nullptr) return;
    done_ = std::min(total_, done_ + bytes);
    if (done_ == total_ ? bytes > 0 : Clock::now() - reported_ >= kInterval) report();
}

// The answer is deliberately ignored: see the class comment.
void FirmwareProgress::report() {
    reported_ = Clock::now();
    function_(context_, done_, total_);
}

}  // namespace zel::devlink
