#include "presence/PresenceWatcher.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace zel::session::presence {
namespace {

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds until(Clock::time_point when)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - Clock::now());
    return std::max(left, std::chrono::milliseconds(0));
}

}  // namespace

PresenceWatcher::PresenceWatcher(Callback devicesChanged)
    : PresenceWatcher(makePresenceSource(), std::move(devicesChanged))
{
}

PresenceWatcher::PresenceWatcher(std::unique_ptr<PresenceSource> source, Callback devicesChanged,
                                 std::chrono::milliseconds coalesce)
    : source_(std::move(source)),
      devicesChanged_(std::move(devicesChanged)),
      coalesce_(coalesce),
      thread_([this] { run(); })
{
}

PresenceWatcher::~PresenceWatcher()
{
    stopping_ = true;
    source_->wake();
    thread_.join();
}

void PresenceWatcher::run()
{
    std::optional<Clock::time_point> announceAt;  // set while a change waits out its window
    while (!stopping_) {
        const bool changed = source_->wait(announceAt ? std::optional(until(*announceAt)) : std::nullopt);
        if (stopping_)
            break;
        if (changed && !announceAt)
            announceAt = Clock::now() + coalesce_;
        if (announceAt && Clock::now() >= *announceAt) {
            announceAt.reset();
            devicesChanged_();
        }
    }
}

}  // namespace zel::session::presence
