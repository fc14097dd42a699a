// Waits for the share channel's requests on a thread of its own, so that the API's bounded wait
// for one (up to 10 ms a poll) never stalls the user-interface thread.
//
// A request taken is handed to `deliver` (which must only queue it for the user-interface
// thread); no further request is taken until answered() says the holder has answered it, since
// the channel answers the request taken last. While not serving (an operation runs), nothing is
// taken: a request then waits in the channel as it would for a busy holder.
//
// Threads: the constructor, setServing(), answered() and the destructor on any one thread;
// `deliver` and the HolderApi's shareEvent() on the watcher's thread. The destructor stops and
// joins it; destroy it before the API closes.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

#include "HolderApi.h"

namespace zel::gui {

class ShareEventWatcher {
public:
    using Deliver = std::function<void(int event)>;
    // `pause`: the rest between polls, beside the API's own wait in each.
    ShareEventWatcher(HolderApi& holder, Deliver deliver,
                      std::chrono::milliseconds pause = std::chrono::milliseconds(90));
    ~ShareEventWatcher();
    ShareEventWatcher(const ShareEventWatcher&) = delete;
    ShareEventWatcher& operator=(const ShareEventWatcher&) = delete;

    void setServing(bool serving) { serving_.store(serving, std::memory_order_relaxed); }
    // The delivered request has been answered: polling goes on.
    void answered();

private:
    void run(std::stop_token stop);

    HolderApi& holder_;
    Deliver deliver_;
    std::chrono::milliseconds pause_;
    std::atomic<bool> serving_{true};
    std::mutex mutex_;
    std::condition_variable_any wake_;
    bool awaitingAnswer_ = false;
    std::jthread thread_;  // last: starts once the members it uses exist
};

}  // namespace zel::gui
