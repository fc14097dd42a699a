#include "server/Simulator.h"

#include "control/ControlSession.h"
#include "server/DeviceConnection.h"
#include "simwire/SimProtocol.h"
#include "simwire/SocketIo.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace zel::sim {

Simulator::Simulator(SimOptions options) : options_(std::move(options)) {
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) throw std::runtime_error(std::string("eventfd: ") + std::strerror(errno));
}

Simulator::~Simulator() {
    runners_.clear();
    serprog_.clear();  // their threads use the devices
    closeListeners();
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

std::filesystem::path Simulator::controlPath() const { return options_.dir / simwire::kControlSocketName; }

void Simulator::bind() {
    std::filesystem::create_directories(options_.dir);
    if (int probe = simwire::connectUnix(controlPath()); probe >= 0) {
        ::close(probe);
        throw std::runtime_error("a simulator already serves " + options_.dir.string());
    }
    for (size_t i = 0; i < options_.devices.size(); ++i)
        slots_.push_back(std::make_unique<DeviceSlot>(static_cast<int>(i), options_.devices[i], options_));
    for (auto& slot : slots_) listen(slot->socketPath(), slot->index());
    startSerprog();
    listen(controlPath(), Workers::kControl);  // last: once it answers, every endpoint does
}

void Simulator::startSerprog() {
    for (size_t i = 0; i < slots_.size(); ++i) {
        const auto setting = i < options_.serprog.size() ? options_.serprog[i] : SerprogSetting{};
        if (slots_[i]->profile().legacy()) {
            serprog_.push_back(nullptr);
            runners_.push_back(nullptr);
            continue;
        }
        runners_.push_back(std::make_unique<TargetRunner>(*slots_[i]));
        uint16_t port = 0;
        if (setting.port) port = *setting.port;
        else if (options_.serprogBase) {
            if (*options_.serprogBase + i > 65535) {
                closeListeners();
                throw std::runtime_error("--serprog-base leaves no port for " + slots_[i]->name());
            }
            port = static_cast<uint16_t>(*options_.serprogBase + i);
        }
        try {
            serprog_.push_back(std::make_unique<SerprogServer>(*slots_[i], port, setting.chipSlot));
        } catch (const std::exception&) {
            closeListeners();
            throw;
        }
    }
}

std::vector<std::string> Simulator::startLines() const {
    std::vector<std::string> lines;
    for (size_t i = 0; i < slots_.size(); ++i) {
        std::string line = slots_[i]->name() + " " + slots_[i]->model().summary();
        if (i < serprog_.size() && serprog_[i]) line += " serprog=" + std::to_string(serprog_[i]->port());
        lines.push_back(line);
    }
    return lines;
}

void Simulator::listen(const std::filesystem::path& path, int owner) {
    if (path.string().size() >= sizeof(sockaddr_un::sun_path)) {
        closeListeners();
        throw std::runtime_error("socket path too long (at most " + std::to_string(sizeof(sockaddr_un::sun_path) - 1) +
                                 " bytes): " + path.string());
    }
    int fd = simwire::listenUnix(path, 64);
    if (fd < 0) {
        closeListeners();
        throw std::runtime_error("cannot listen on " + path.string() + ": " + std::strerror(errno));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    {
        std::lock_guard lock(mutex_);
        listeners_.push_back({fd, owner, path});
    }
    wake();
}

void Simulator::retire(int owner) {
    {
        std::lock_guard lock(mutex_);
        for (auto& l : listeners_) {
            if (l.owner != owner || l.retired) continue;
            ::unlink(l.path.c_str());  // gone at once; the accept loop closes the socket
            l.retired = true;
        }
    }
    wake();
}

void Simulator::wake() {
    uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(wakeFd_, &one, sizeof one);
}

void Simulator::closeListeners() {
    std::lock_guard lock(mutex_);
    for (auto& l : listeners_) {
        if (!l.retired) ::unlink(l.path.c_str());
        ::close(l.fd);
    }
    listeners_.clear();
}

void Simulator::unplug(size_t index) {
    auto& slot = device(index);
    slot.markUnplugged();
    retire(slot.index());
    workers_.shutdown(slot.index());
    slot.powerCycle();
}

void Simulator::replug(size_t index) {
    auto& slot = device(index);
    slot.markPlugged();  // first: a client that connects at once must find the device plugged
    listen(slot.socketPath(), slot.index());
}

void Simulator::stop() {
    std::unique_lock lock(mutex_);
    stopRequested_ = true;
    wake();
    socketsGone_.wait_for(lock, std::chrono::seconds(5), [this] { return socketsRemoved_; });
}

void Simulator::acceptFrom(int fd) {
    int owner = 0;
    uint64_t generation = 0;
    int connection = -1;
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(listeners_.begin(), listeners_.end(),
                               [fd](const Listener& l) { return l.fd == fd && !l.retired; });
        if (it == listeners_.end()) return;
        owner = it->owner;
        connection = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) return;
        // Read under the listener lock: an unplug changes the generation before it retires
        // the listener, so a connection taken here can never outlive the unplug.
        if (owner != Workers::kControl) generation = device(static_cast<size_t>(owner)).generation();
    }
    if (owner == Workers::kControl) {
        workers_.spawn(connection, owner, [this](int fd) { ControlSession(*this, fd).run(); });
        return;
    }
    auto& slot = device(static_cast<size_t>(owner));
    const auto id = nextConnection_++;
    const double scale = options_.timeScale;
    auto unplugDevice = [this, owner] { unplug(static_cast<size_t>(owner)); };
    workers_.spawn(connection, owner, [&slot, id, generation, scale, unplugDevice](int fd) {
        DeviceConnection(fd, slot, id, generation, scale, unplugDevice).run();
    });
}

bool Simulator::serve(int signalFd) {
    for (;;) {
        std::vector<pollfd> fds;
        {
            std::lock_guard lock(mutex_);
            if (stopRequested_) break;
            for (auto it = listeners_.begin(); it != listeners_.end();) {
                if (!it->retired) {
                    fds.push_back({it->fd, POLLIN, 0});
                    ++it;
                    continue;
                }
                ::close(it->fd);
                it = listeners_.erase(it);
            }
        }
        fds.push_back({wakeFd_, POLLIN, 0});
        if (signalFd >= 0) fds.push_back({signalFd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (const auto& p : fds) {
            if (!(p.revents & POLLIN)) continue;
            if (p.fd == wakeFd_) {
                uint64_t count;
                [[maybe_unused]] auto n = ::read(wakeFd_, &count, sizeof count);
            } else if (p.fd == signalFd) {
                signalfd_siginfo info;
                [[maybe_unused]] auto n = ::read(signalFd, &info, sizeof info);
                std::lock_guard lock(mutex_);
                stopRequested_ = true;
            } else {
                acceptFrom(p.fd);
            }
        }
    }
    closeListeners();
    {
        std::lock_guard lock(mutex_);
        socketsRemoved_ = true;
    }
    socketsGone_.notify_all();
    for (auto& runner : runners_)
        if (runner) runner->stop();
    for (auto& server : serprog_)
        if (server) server->stop();
    for (auto& slot : slots_) slot->shutdown();
    workers_.shutdownDevices();
    return workers_.joinAll(std::chrono::steady_clock::now() + std::chrono::seconds(5));
}

}  // namespace zel::sim
