#include "presence/WakeFd.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace zel::session::presence {
namespace {

using Clock = std::chrono::steady_clock;

int pollTimeout(std::optional<Clock::time_point> deadline)
{
    if (!deadline)
        return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

}  // namespace

WakeFd::WakeFd() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (fd_ < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
}

WakeFd::~WakeFd()
{
    ::close(fd_);
}

void WakeFd::signal() const noexcept
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(fd_, &one, sizeof one);
}

void WakeFd::drain() const noexcept
{
    std::uint64_t count = 0;
    [[maybe_unused]] const auto read = ::read(fd_, &count, sizeof count);
}

WaitResult waitReadable(int fd, const WakeFd& wake, std::optional<std::chrono::milliseconds> timeout)
{
    const auto deadline = timeout ? std::optional(Clock::now() + *timeout) : std::nullopt;
    for (;;) {
        pollfd fds[2] = {{wake.fd(), POLLIN, 0}, {fd, POLLIN, 0}};
        const int ready = ::poll(fds, 2, pollTimeout(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return WaitResult::TimedOut;
        if (fds[0].revents != 0) {
            wake.drain();
            return WaitResult::Woken;
        }
        return WaitResult::Ready;
    }
}

}  // namespace zel::session::presence
