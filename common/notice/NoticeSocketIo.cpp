#include "notice/NoticeSocketIo.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace zel::notice {
namespace {

// Milliseconds left until deadline for poll(), at least 0.
int msLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return 0;
    return left > 60'000 ? 60'000 : static_cast<int>(left) + 1;
}

// Waits until fd is ready for events; false when the deadline passes first.
bool waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        int timeout = msLeft(deadline);
        int r = ::poll(&p, 1, timeout);
        if (r > 0) return true;
        if (r < 0 && errno != EINTR) return false;
        if (r == 0 && Clock::now() >= deadline) return false;
    }
}

}  // namespace

int connectNoticeSocket(const std::filesystem::path& path, Clock::time_point deadline) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.size() >= sizeof address.sun_path) return -1;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);

    for (;;) {
        int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) return -1;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
        const int error = errno;
        ::close(fd);
        // A full backlog refuses a non-blocking connect with EAGAIN: the listener is busy with
        // another notice, so try again until the deadline.
        if (error != EAGAIN && error != EINTR) return -1;
        if (Clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool sendAll(int fd, std::span<const uint8_t> data, Clock::time_point deadline) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!waitFor(fd, POLLOUT, deadline)) return false;
            continue;
        }
        return false;
    }
    return true;
}

bool receiveAll(int fd, std::span<uint8_t> data, Clock::time_point deadline) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::recv(fd, data.data() + done, data.size() - done, MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n == 0) return false;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!waitFor(fd, POLLIN, deadline)) return false;
            continue;
        }
        return false;
    }
    return true;
}

}  // namespace zel::notice
