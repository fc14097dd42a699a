// A firmware update's progress towards the caller's function: done and total count the bytes of
// every page written and read back (both images and the boot marker). The caller may ask to stop
// only at the start, before the on-board flash is touched; later answers are not followed,
// because once the erase has begun only the finished update leaves firmware the device can boot.
#pragma once

#include "ZelmorProDll.h"

#include <chrono>
#include <cstdint>

namespace zel::devlink {

class FirmwareProgress {
public:
    // A null function reports nothing and never stops.
    FirmwareProgress(ZelmorProProgress function, void* context) : function_(function), context_(context) {}

    // Reports done == 0 of `total`; true when the caller asks the update to stop.
    bool stopAsked(uint64_t total);
    // Counts `bytes` more; reports when 50 ms have passed since the last report, and at the end.
    void advance(uint64_t bytes);
    // A report with nothing more done once 50 ms have passed (long erase waits).
    void tick() { advance(0); }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kInterval = std::chrono::milliseconds(50);

    void report();

    ZelmorProProgress function_;
    void* context_;
    uint64_t done_ = 0;
    uint64_t total_ = 0;
    Clock::time_point reported_{};
};

}  // namespace zel::devlink
