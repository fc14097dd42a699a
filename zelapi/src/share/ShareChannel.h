// The pause/regain protocol on a joined share segment.
//
// A requester takes the request lock (robust and process-shared, so a requester that dies
// holding it blocks nobody), writes the request under a fresh id, posts it and waits for an answer
// that carries the same id; an answer to an earlier request never counts. A holder polls for a
// request, which is then taken, does what it asks, and answers. One process may act in both roles,
// from any threads; a holder polls and answers from one thread at a time.
#pragma once

#include "ShareSegment.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

namespace zel::api::share {

class ShareChannel {
public:
    static constexpr std::chrono::milliseconds kPauseLockWait{500};
    static constexpr std::chrono::milliseconds kRegainLockWait{250};
    static constexpr std::chrono::milliseconds kAnswerWait{500};
    static constexpr std::chrono::milliseconds kPollWait{10};

    enum Result : int {
        kAnswered = 0,
        kNoAnswer = 1,     // no answer within kAnswerWait; the request stays for a holder to take
        kWaitFailed = 2,
        kLockNotTaken = 4,
    };

    explicit ShareChannel(std::unique_ptr<ShareSegment> segment) : segment_(std::move(segment)) {}

    // Sends one request and waits for its answer; lockWait bounds the wait for the request lock.
    Result request(RequestCode code, std::chrono::milliseconds lockWait);

    // Takes a waiting request and gives its code, or 0 when none came within `wait`.
    uint32_t poll(std::chrono::milliseconds wait = kPollWait);
    // Answers the request the last poll took; without one it does nothing.
    void answer();

    ShareSegmentLayout& shared() const { return segment_->layout(); }

private:
    uint32_t publish(RequestCode code);
    Result awaitAnswer(uint32_t id);
    std::optional<uint32_t> take();

    std::unique_ptr<ShareSegment> segment_;
    std::atomic<uint32_t> answerDue_{0};  // the id of the request this process took, 0 for none
};

}  // namespace zel::api::share
