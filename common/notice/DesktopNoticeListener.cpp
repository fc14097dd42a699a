#include "notice/DesktopNoticeListener.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "notice/NoticeSocketIo.h"

namespace zel::notice {
namespace {

// A tool that connects and then says nothing must not block the channel for long.
constexpr auto kReceiveBound = std::chrono::seconds(1);
constexpr auto kAckBound = std::chrono::seconds(1);

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error("notice channel: " + what + (errno ? std::string(": ") + std::strerror(errno) : ""));
}

// Clears a socket file left by a desktop program that ended without removing it; refuses a live
// one and anything that is not our socket.
void clearStaleSocket(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return;
        fail("cannot inspect " + path.string());
    }
    errno = 0;
    if (!isOwnSocket(path)) fail(path.string() + " is not a socket of this user");
    int fd = connectNoticeSocket(path, Clock::now());
    if (fd >= 0) {
        ::close(fd);
        errno = 0;
        fail("another desktop program listens at " + path.string());
    }
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) fail("cannot remove " + path.string());
}

int bindListening(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    errno = 0;
    if (text.size() >= sizeof address.sun_path) fail("socket path too long: " + text);
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) fail("socket");
    // The folder is private already; the socket itself is made owner-only too.
    const mode_t previous = ::umask(077);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::umask(previous);
    if (bound != 0 || ::listen(fd, 8) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        fail("cannot listen at " + text);
    }
    return fd;
}

}  // namespace

DesktopNoticeListener::DesktopNoticeListener(DesktopNoticeHandlers handlers, std::filesystem::path socketPath)
    : handlers_(std::move(handlers)), path_(std::move(socketPath)) {
    errno = 0;
    if (!preparePrivateFolder(path_.parent_path()))
        fail("folder " + path_.parent_path().string() + " is missing or not private");
    clearStaleSocket(path_);
    listenFd_ = bindListening(path_);
    struct stat info {};
    if (::lstat(path_.c_str(), &info) == 0) socketInode_ = info.st_ino;
    if (::pipe2(stopPipe_, O_CLOEXEC) != 0) {
        ::close(listenFd_);
        ::unlink(path_.c_str());
        fail("pipe");
    }
    thread_ = std::thread([this] { serve(); });
}

DesktopNoticeListener::~DesktopNoticeListener() {
    const char stop = 1;
    while (::write(stopPipe_[1], &stop, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
    ::close(listenFd_);
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
    // Remove the socket file only while it is still the one this listener made.
    struct stat info {};
    if (::lstat(path_.c_str(), &info) == 0 && info.st_ino == socketInode_) ::unlink(path_.c_str());
}

void DesktopNoticeListener::serve() {
    for (;;) {
        std::array<pollfd, 2> waits{pollfd{listenFd_, POLLIN, 0}, pollfd{stopPipe_[0], POLLIN, 0}};
        if (::poll(waits.data(), waits.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (waits[1].revents != 0) return;
        if ((waits[0].revents & POLLIN) == 0) continue;
        int connection = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection < 0) continue;
        answer(connection);
        ::close(connection);
    }
}

void DesktopNoticeListener::answer(int connection) {
    std::array<uint8_t, kNoticeSize> notice{};
    if (!receiveAll(connection, notice, Clock::now() + kReceiveBound)) return;
    const int code = static_cast<int>(notice[0] | notice[1] << 8 | notice[2] << 16 | static_cast<uint32_t>(notice[3]) << 24);
    if (!run(code)) return;
    sendAll(connection, notice, Clock::now() + kAckBound);
}

// Runs the callback for code; false (no acknowledgement) for an unknown code or a failed callback.
bool DesktopNoticeListener::run(int code) {
    const std::function<void()>* handler = code == 1 ? &handlers_.devicesTaken
                                         : code == 2 ? &handlers_.devicesReleased
                                                     : nullptr;
    if (handler == nullptr) return false;
    try {
        if (*handler) (*handler)();
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace zel::notice
