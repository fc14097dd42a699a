#include "StatusPoll.h"

namespace zel::zeldev {

bool waitUntilIdle(DeviceLink& link, StatusRequest status, PollPlan plan)
{
    // Counting polls rather than reading a clock keeps the bound in the device's time: with a
    // scaled-down simulator the pauses shrink, the number of chances does not.
    const long long polls = plan.budget / plan.interval + 1;
    for (long long poll = 0; poll < polls; ++poll) {
        const auto busy = status(link);
        if (!busy)
            return false;
        if (*busy == 0)
            return true;
        link.pause(plan.interval);
    }
    return false;
}

}  // namespace zel::zeldev
