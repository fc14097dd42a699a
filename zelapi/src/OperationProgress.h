// One long operation's progress towards the process's callback and the cancel the callback may
// answer with. Built once the operation's range is known; inactive (every call free) when no
// callback was installed at that moment.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel::api {

class OperationProgress {
public:
    // Reports done == 0 when active (the answer counts: see proceed()).
    OperationProgress(int operation, size_t device, uint64_t total);

    bool active() const { return active_; }
    // False once the callback asked to cancel; the operation must then stop before its next
    // device command. Notes ZEL_TRANSFER_CANCELLED for CliGetLastTransferFailure.
    bool proceed() const { return !cancelled_; }
    // Counts `bytes` more as done and reports; false when cancelled.
    bool advance(uint64_t bytes);

private:
    void report();

    int operation_;
    int device_;
    uint64_t total_;
    uint64_t done_ = 0;
    bool active_;
    bool cancelled_ = false;
};

}  // namespace zel::api
