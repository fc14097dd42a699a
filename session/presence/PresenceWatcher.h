// Tells a front end that emulators arrived or left, so that it re-enumerates: the platform's
// device-change notice. It only signals; what is attached is for the enumeration to say.
//
// Threads: the callback runs on the watcher's own thread, one call at a time, never after the
// destructor has returned. Construct and destroy from any thread, except that destroying the
// watcher inside its own callback deadlocks: hand the signal to another thread instead. The
// callback must not throw.
#pragma once

#include "presence/PresenceSource.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace zel::session::presence {

class PresenceWatcher {
public:
    using Callback = std::function<void()>;

    // Changes that follow each other within this window (a hub with several emulators, a replug)
    // are announced once, at the window's end.
    static constexpr std::chrono::milliseconds kDefaultCoalesce{75};

    // Starts watching with makePresenceSource(); throws what it throws.
    explicit PresenceWatcher(Callback devicesChanged);
    PresenceWatcher(std::unique_ptr<PresenceSource> source, Callback devicesChanged,
                    std::chrono::milliseconds coalesce = kDefaultCoalesce);
    // Stops the thread (it is woken, not waited out) and joins it.
    ~PresenceWatcher();
    PresenceWatcher(const PresenceWatcher&) = delete;
    PresenceWatcher& operator=(const PresenceWatcher&) = delete;

private:
    void run();

    std::unique_ptr<PresenceSource> source_;
    Callback devicesChanged_;
    std::chrono::milliseconds coalesce_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;  // last: it starts once everything above is set
};

}  // namespace zel::session::presence
