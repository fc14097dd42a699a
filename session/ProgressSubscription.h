// Hears the API's progress reports for as long as it lives: installs the process's progress
// callback on construction and removes it on destruction. The API keeps one callback per
// process, so one subscription may exist at a time.
//
// Threads: the sink runs on the thread doing the work (one per device in zelcmd), possibly on
// several at once, so it must be thread-safe. When the destructor returns no call of the sink
// is running and none will come.
#pragma once

#include "ProgressEvent.h"

#include <functional>

namespace zel::session {

class ProgressSubscription {
public:
    using Sink = std::function<ProgressAnswer(const ProgressEvent&)>;

    // Throws std::logic_error while another subscription exists.
    explicit ProgressSubscription(Sink sink);
    ~ProgressSubscription();
    ProgressSubscription(const ProgressSubscription&) = delete;
    ProgressSubscription& operator=(const ProgressSubscription&) = delete;

private:
    static int forward(void* context, int operation, int index, std::uint64_t done, std::uint64_t total);

    Sink sink_;
};

}  // namespace zel::session
