// One process's part in the per-user share segment: the mapping, and a shared flock on the
// segment's liveness file that tells processes joining later that the segment is in use.
#pragma once

#include "SegmentHandles.h"
#include "ShareLayout.h"
#include "ShareNames.h"

#include <chrono>
#include <memory>
#include <string>

namespace zel::api::share {

class ShareSegment {
public:
    // Opens the segment, creating it when absent, and joins it. A segment that no live process
    // uses is set up afresh, so nothing a dead process left in it survives. Null, with `reason`
    // set, when the segment or its liveness file is not a private file of the effective user,
    // when a segment in use holds another layout, or when another process setting it up does not
    // finish within setUpLimit.
    static std::unique_ptr<ShareSegment> join(const ShareNames& names, std::chrono::milliseconds setUpLimit,
                                              std::string& reason);

    ShareSegmentLayout& layout() const { return *static_cast<ShareSegmentLayout*>(mapping_.address()); }

private:
    ShareSegment(UniqueFd liveness, SharedMapping mapping)
        : liveness_(std::move(liveness)), mapping_(std::move(mapping))
    {
    }

    UniqueFd liveness_;  // closing it ends this process's part
    SharedMapping mapping_;
};

}  // namespace zel::api::share
