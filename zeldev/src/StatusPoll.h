// Bounded polling of a busy status: the device is asked until it reports idle (0), a poll
// fails, or the time budget, counted in the device's own (scaled) time, is spent.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "DeviceLink.h"

namespace zel::zeldev {

struct PollPlan {
    std::chrono::milliseconds interval;
    std::chrono::milliseconds budget;
};

// Whole serial-flash erase: polled every 153 ms, for at most a minute.
inline constexpr PollPlan kErasePoll{std::chrono::milliseconds(153), std::chrono::seconds(60)};
// One 64-byte block of serial flash or boot memory: polled every 10 ms, for at most 2 s.
inline constexpr PollPlan kBlockPoll{std::chrono::milliseconds(10), std::chrono::seconds(2)};

using StatusRequest = std::optional<uint8_t> (*)(DeviceLink&);

// True once the status reads 0; false when a poll fails or the budget runs out.
bool waitUntilIdle(DeviceLink& link, StatusRequest status, PollPlan plan);

}  // namespace zel::zeldev
