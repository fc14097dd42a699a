#include "TimedWait.h"

#include <cerrno>

// ThreadSanitizer does not intercept the CLOCK_MONOTONIC forms of the waits; tell it what they
// did so that it sees the lock and the posts order the shared fields.
#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#define ZEL_TSAN 1
#endif

namespace zel::api::share {
namespace {

void announceLockAttempt([[maybe_unused]] pthread_mutex_t& mutex)
{
#ifdef ZEL_TSAN
    __tsan_mutex_pre_lock(&mutex, __tsan_mutex_try_lock);
#endif
}

void announceLockOutcome([[maybe_unused]] pthread_mutex_t& mutex, [[maybe_unused]] bool locked)
{
#ifdef ZEL_TSAN
    __tsan_mutex_post_lock(&mutex, __tsan_mutex_try_lock | (locked ? 0 : __tsan_mutex_try_lock_failed), 0);
#endif
}

void announcePostTaken([[maybe_unused]] sem_t& semaphore)
{
#ifdef ZEL_TSAN
    __tsan_acquire(&semaphore);
#endif
}

}  // namespace

Deadline Deadline::after(std::chrono::milliseconds wait)
{
    Deadline deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline.when_);
    const long long nanoseconds = deadline.when_.tv_nsec + wait.count() % 1000 * 1'000'000;
    deadline.when_.tv_sec += static_cast<time_t>(wait.count() / 1000 + nanoseconds / 1'000'000'000);
    deadline.when_.tv_nsec = static_cast<long>(nanoseconds % 1'000'000'000);
    return deadline;
}

LockResult lockUntil(pthread_mutex_t& mutex, const Deadline& deadline)
{
    announceLockAttempt(mutex);
    int error = 0;
    do
        error = pthread_mutex_clocklock(&mutex, CLOCK_MONOTONIC, &deadline.when());
    while (error == EINTR);
    announceLockOutcome(mutex, error == 0 || error == EOWNERDEAD);
    if (error == 0)
        return LockResult::Locked;
    if (error == ETIMEDOUT)
        return LockResult::TimedOut;
    if (error != EOWNERDEAD)
        return LockResult::Failed;
    // The owner's process ended inside its request; what it left behind is tidied by the next
    // request itself, so the lock can be marked consistent at once.
    if (pthread_mutex_consistent(&mutex) == 0)
        return LockResult::Recovered;
    pthread_mutex_unlock(&mutex);
    return LockResult::Failed;
}

WaitResult waitUntil(sem_t& semaphore, const Deadline& deadline)
{
    for (;;) {
        if (sem_clockwait(&semaphore, CLOCK_MONOTONIC, &deadline.when()) == 0) {
            announcePostTaken(semaphore);
            return WaitResult::Posted;
        }
        if (errno == ETIMEDOUT)
            return WaitResult::TimedOut;
        if (errno != EINTR)
            return WaitResult::Failed;
    }
}

void drain(sem_t& semaphore)
{
    while (sem_trywait(&semaphore) == 0) {
    }
}

}  // namespace zel::api::share
