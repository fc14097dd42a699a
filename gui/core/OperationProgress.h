// The running operation's progress and its cancel request, shared between the worker (which the
// API's progress callback runs on) and the user-interface thread (which shows the bar and
// presses Cancel). Lock-free: the callback must not stall a transfer.
#pragma once

#include <atomic>
#include <cstdint>

#include "CancelToken.h"
#include "ProgressEvent.h"

namespace zel::gui {

class OperationProgress {
public:
    // The API's report; Cancel once a cancel was requested.
    session::ProgressAnswer report(const session::ProgressEvent& event);
    // 0..100 for the bar.
    int percent() const;
    void begin();  // a new operation: 0 %, no cancel
    void requestCancel() { cancel_.request(); }
    bool cancelRequested() const { return cancel_.requested(); }

private:
    std::atomic<std::uint64_t> done_{0};
    std::atomic<std::uint64_t> total_{0};
    session::CancelToken cancel_;
};

}  // namespace zel::gui
