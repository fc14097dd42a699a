#include "server/SerprogServer.h"

#include "core/BoundedLock.h"
#include "device/FrameDevice.h"
#include "target/SerprogSession.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zel::sim {
namespace {

// A transaction waits this long at most for a USB transfer that holds the device model.
constexpr auto kModelWait = std::chrono::seconds(5);

// Waits until fd is ready for `events`; false when the server stops or the wait fails.
bool waitFor(int fd, short events, int stopFd) {
    for (;;) {
        pollfd fds[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (fds[1].revents) return false;
        if (fds[0].revents) return true;
    }
}

bool waitReadable(int fd, int stopFd) { return waitFor(fd, POLLIN, stopFd); }

class SocketStream final : public target::SerprogStream {
public:
    SocketStream(int fd, int stopFd) : fd_(fd), stopFd_(stopFd) {}
    bool read(std::span<uint8_t> into) override {
        for (size_t done = 0; done < into.size();) {
            if (!waitReadable(fd_, stopFd_)) return false;
            auto n = ::recv(fd_, into.data() + done, into.size() - done, 0);
            if (n == 0) return false;
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN) continue;
                return false;
            }
            done += static_cast<size_t>(n);
        }
        return true;
    }
    bool write(std::span<const uint8_t> bytes) override {
        // A master that stops reading must not keep the server from stopping.
        for (size_t done = 0; done < bytes.size();) {
            if (!waitFor(fd_, POLLOUT, stopFd_)) return false;
            auto n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN) continue;
                return false;
            }
            done += static_cast<size_t>(n);
        }
        return true;
    }

private:
    int fd_;
    int stopFd_;
};

}  // namespace

SerprogServer::SerprogServer(DeviceSlot& slot, uint16_t port, unsigned chipSlot) : slot_(slot), chipSlot_(chipSlot) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    stopFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (listenFd_ < 0 || stopFd_ < 0) {
        stop();
        throw std::runtime_error(std::string("serprog socket: ") + std::strerror(errno));
    }
    int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    socklen_t length = sizeof address;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listenFd_, 8) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const std::string reason = std::strerror(errno);
        stop();
        throw std::runtime_error("serprog for " + slot.name() + ": cannot listen on 127.0.0.1:" + std::to_string(port) +
                                 ": " + reason);
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

SerprogServer::~SerprogServer() { stop(); }

void SerprogServer::stop() {
    if (stopFd_ >= 0) {
        uint64_t one = 1;
        [[maybe_unused]] auto n = ::write(stopFd_, &one, sizeof one);
    }
    if (thread_.joinable()) thread_.join();
    if (listenFd_ >= 0) ::close(listenFd_);
    if (stopFd_ >= 0) ::close(stopFd_);
    listenFd_ = stopFd_ = -1;
}

void SerprogServer::serve() {
    while (waitReadable(listenFd_, stopFd_)) {
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        serveConnection(fd);
        ::close(fd);
    }
}

void SerprogServer::serveConnection(int fd) {
    int one = 1;
    // Every answer is small and awaited by the master before it goes on.
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    SocketStream stream(fd, stopFd_);
    target::SerprogSession(stream, [this](std::span<const uint8_t> mosi, size_t readLength) {
        return spiOperation(mosi, readLength);
    }).run();
}

std::optional<std::vector<uint8_t>> SerprogServer::spiOperation(std::span<const uint8_t> mosi, size_t readLength) {
    // An unplugged emulator powers no chip.
    if (!slot_.state().plugged) return std::vector<uint8_t>(readLength, 0xFF);
    auto lock = lockWithin(slot_.modelMutex(), kModelWait);
    if (!lock.owns_lock()) return std::nullopt;
    auto* device = dynamic_cast<FrameDevice*>(&slot_.model());
    if (!device) return std::nullopt;
    return device->targetBus().transact(chipSlot_, mosi, readLength);
}

}  // namespace zel::sim
