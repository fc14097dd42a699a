#include "simwire/SocketIo.h"

#include <algorithm>
#include <cerrno>
#include <climits>  // IOV_MAX
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace zel::simwire {
namespace {

// Waits until fd is ready for `events` or the deadline passes.
IoResult waitReady(int fd, short events, std::optional<Clock::time_point> deadline) {
    for (;;) {
        int timeoutMs = -1;
        if (deadline) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now());
            if (left.count() <= 0) return IoResult::TimedOut;
            timeoutMs = static_cast<int>(std::min<long long>(left.count() + 1, 1 << 30));
        }
        pollfd p{fd, events, 0};
        int n = ::poll(&p, 1, timeoutMs);
        if (n > 0) return IoResult::Ok;  // readiness or hang-up: the next call reports which
        if (n == 0) continue;            // re-check the deadline
        if (errno != EINTR) return IoResult::Error;
    }
}

bool wouldBlock(int err) { return err == EAGAIN || err == EWOULDBLOCK; }

}  // namespace

IoResult writeAllv(int fd, std::span<iovec> parts, std::optional<Clock::time_point> deadline) {
    size_t first = 0;
    while (first < parts.size()) {
        if (parts[first].iov_len == 0) { ++first; continue; }
        if (auto r = waitReady(fd, POLLOUT, deadline); r != IoResult::Ok) return r;
        msghdr msg{};
        msg.msg_iov = parts.data() + first;
        msg.msg_iovlen = std::min<size_t>(parts.size() - first, IOV_MAX);
        ssize_t n = ::sendmsg(fd, &msg, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR || wouldBlock(errno)) continue;
            return (errno == EPIPE || errno == ECONNRESET) ? IoResult::Closed : IoResult::Error;
        }
        auto left = static_cast<size_t>(n);
        while (first < parts.size() && left >= parts[first].iov_len) left -= parts[first++].iov_len;
        if (left > 0) {
            parts[first].iov_base = static_cast<char*>(parts[first].iov_base) + left;
            parts[first].iov_len -= left;
        }
    }
    return IoResult::Ok;
}

IoResult writeAll(int fd, std::span<const std::byte> data, std::optional<Clock::time_point> deadline) {
    iovec part{const_cast<std::byte*>(data.data()), data.size()};
    return writeAllv(fd, std::span<iovec>(&part, 1), deadline);
}

IoResult readAll(int fd, std::span<std::byte> data, std::optional<Clock::time_point> deadline) {
    size_t done = 0;
    while (done < data.size()) {
        if (auto r = waitReady(fd, POLLIN, deadline); r != IoResult::Ok) return r;
        ssize_t n = ::recv(fd, data.data() + done, data.size() - done, MSG_DONTWAIT);
        if (n == 0) return IoResult::Closed;
        if (n < 0) {
            if (errno == EINTR || wouldBlock(errno)) continue;
            return errno == ECONNRESET ? IoResult::Closed : IoResult::Error;
        }
        done += static_cast<size_t>(n);
    }
    return IoResult::Ok;
}

namespace {
bool fillAddress(const std::string& path, sockaddr_un& addr) {
    addr = {};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof(addr.sun_path)) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}
}  // namespace

int connectUnix(const std::string& path) {
    sockaddr_un addr;
    if (!fillAddress(path, addr)) return -1;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    while (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (errno == EINTR) continue;
        ::close(fd);
        return -1;
    }
    return fd;
}

int listenUnix(const std::string& path, int backlog) {
    sockaddr_un addr;
    if (!fillAddress(path, addr)) return -1;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    ::unlink(path.c_str());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, backlog) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace zel::simwire
