// Bounded waits on the process-shared lock and semaphores of the share segment. Deadlines are
// points on CLOCK_MONOTONIC, so a change of the wall clock neither stretches nor cuts a wait, and
// a signal that interrupts a wait resumes it until the same deadline.
#pragma once

#include <pthread.h>
#include <semaphore.h>
#include <time.h>

#include <chrono>

namespace zel::api::share {

class Deadline {
public:
    static Deadline after(std::chrono::milliseconds wait);
    const timespec& when() const { return when_; }

private:
    timespec when_{};
};

enum class LockResult {
    Locked,
    Recovered,  // its last owner ended while holding it; now consistent and ours
    TimedOut,
    Failed,     // unusable (not recoverable, or not a lock)
};

// Locks a robust mutex by the deadline.
LockResult lockUntil(pthread_mutex_t& mutex, const Deadline& deadline);

// Unlocks on destruction a mutex that lockUntil took.
class LockGuard {
public:
    explicit LockGuard(pthread_mutex_t& mutex) : mutex_(mutex) {}
    ~LockGuard() { pthread_mutex_unlock(&mutex_); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    pthread_mutex_t& mutex_;
};

enum class WaitResult { Posted, TimedOut, Failed };

// Takes one post of the semaphore, waiting for it until the deadline.
WaitResult waitUntil(sem_t& semaphore, const Deadline& deadline);

// Takes every post the semaphore holds now, without waiting.
void drain(sem_t& semaphore);

}  // namespace zel::api::share
