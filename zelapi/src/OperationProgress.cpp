#include "OperationProgress.h"

#include "ProgressCallback.h"
#include "TransferFailure.h"

#include <algorithm>
#include <climits>

namespace zel::api {

OperationProgress::OperationProgress(int operation, size_t device, uint64_t total)
    : operation_(operation),
      device_(device <= INT_MAX ? static_cast<int>(device) : -1),
      total_(total),
      active_(progressCallbackInstalled())
{
    if (active_)
        report();
}

bool OperationProgress::advance(uint64_t bytes)
{
    if (!active_ || cancelled_)
        return !cancelled_;
    done_ = std::min(total_, done_ + bytes);
    report();
    return !cancelled_;
}

void OperationProgress::report()
{
    if (callProgressCallback({operation_, device_, done_, total_}) && done_ < total_) {
        cancelled_ = true;
        noteTransferFailure(kTransferCancelled);
    }
}

}  // namespace zel::api
