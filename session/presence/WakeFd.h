// The waits of the presence sources: on a file descriptor, cut short by another thread through
// an eventfd that stays signalled until drained (so a wake-up sent before the wait is not lost).
#pragma once

#include <chrono>
#include <optional>

namespace zel::session::presence {

class WakeFd {
public:
    WakeFd();  // throws std::system_error
    ~WakeFd();
    WakeFd(const WakeFd&) = delete;
    WakeFd& operator=(const WakeFd&) = delete;

    void signal() const noexcept;
    void drain() const noexcept;
    int fd() const { return fd_; }

private:
    int fd_;
};

enum class WaitResult { Ready, Woken, TimedOut };

// Waits until fd is readable (a negative fd waits for the wake-up or the time-out only), the
// wake fd is signalled or the time-out (nullopt: none) passes. A wake-up is drained and wins over
// a readable fd. Interrupted waits resume with what is left of the time-out.
WaitResult waitReadable(int fd, const WakeFd& wake, std::optional<std::chrono::milliseconds> timeout);

}  // namespace zel::session::presence
