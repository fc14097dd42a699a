#include "ShareChannel.h"

#include "Log.h"
#include "TimedWait.h"

#include <atomic>

namespace zel::api::share {
namespace {

uint32_t load(uint32_t& field)
{
    return std::atomic_ref(field).load();
}

void store(uint32_t& field, uint32_t value)
{
    std::atomic_ref(field).store(value);
}

bool takeRequestLock(pthread_mutex_t& lock, std::chrono::milliseconds wait)
{
    switch (lockUntil(lock, Deadline::after(wait))) {
    case LockResult::Locked:
        return true;
    case LockResult::Recovered:
        log_level_add_ascii(0, "Share channel: a process ended during its request; its lock was recovered\n");
        return true;
    case LockResult::TimedOut:
        return false;
    case LockResult::Failed:
        break;
    }
    log_level_add_ascii(0, "Share channel: the request lock cannot be used\n");
    return false;
}

}  // namespace

ShareChannel::Result ShareChannel::request(RequestCode code, std::chrono::milliseconds lockWait)
{
    if (!takeRequestLock(shared().requestLock, lockWait))
        return kLockNotTaken;
    LockGuard locked(shared().requestLock);
    return awaitAnswer(publish(code));
}

uint32_t ShareChannel::publish(RequestCode code)
{
    auto& segment = shared();
    // Answers that came too late for an earlier request must not be taken for this one's. A
    // request that no holder took yet is replaced rather than queued behind this one.
    drain(segment.replyPosted);
    drain(segment.requestPosted);
    uint32_t id = load(segment.issuedId) + 1;
    if (id == 0)
        id = 1;  // 0 stands for "no request"
    // Raised before the block changes, so a holder reading now sees the request as unfinished.
    store(segment.issuedId, id);
    store(segment.block.requestCode, code);
    store(segment.block.parameterLength, 4);
    // The requester's parameter would be the address of a word in this process, meaningless in
    // the holder's, which never reads it; 0 stands in for it.
    store(segment.block.parameterAddress, 0);
    store(segment.requestId, id);
    sem_post(&segment.requestPosted);
    return id;
}

ShareChannel::Result ShareChannel::awaitAnswer(uint32_t id)
{
    const auto deadline = Deadline::after(kAnswerWait);
    for (;;) {
        switch (waitUntil(shared().replyPosted, deadline)) {
        case WaitResult::Posted:
            if (load(shared().replyId) == id)
                return kAnswered;
            break;  // a late answer to an earlier request: keep waiting for ours
        case WaitResult::TimedOut:
            return kNoAnswer;
        case WaitResult::Failed:
            return kWaitFailed;
        }
    }
}

uint32_t ShareChannel::poll(std::chrono::milliseconds wait)
{
    const auto deadline = Deadline::after(wait);
    while (waitUntil(shared().requestPosted, deadline) == WaitResult::Posted) {
        if (const auto code = take())
            return *code;
    }
    return kNoRequest;
}

// The request a post announced, or none when the post is outdated.
std::optional<uint32_t> ShareChannel::take()
{
    auto& segment = shared();
    const uint32_t id = load(segment.requestId);
    const uint32_t code = load(segment.block.requestCode);
    // A requester writing a newer request has raised issuedId already; its own post follows.
    if (id == 0 || load(segment.issuedId) != id)
        return std::nullopt;
    // A post outlives its request when a holder took the newer request the block held by then.
    if (std::atomic_ref(segment.takenId).exchange(id) == id)
        return std::nullopt;
    answerDue_.store(id);
    return code;
}

void ShareChannel::answer()
{
    const uint32_t id = answerDue_.exchange(0);
    if (id == 0)
        return;
    store(shared().replyId, id);
    sem_post(&shared().replyPosted);
}

}  // namespace zel::api::share
