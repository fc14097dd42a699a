// A scripted simulated device on a Unix socket, served by a thread of the test process: it
// answers Describe/Open itself and hands every transfer to the test's handler, which may
// decline to answer (a stalled device) or hang up (an unplugged one).
#pragma once

#include "simwire/SimProtocol.h"
#include "simwire/SocketIo.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <stdexcept>
#include <variant>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zel::transport::test {

struct SimRequest {
    simwire::RequestHeader header;
    std::vector<uint8_t> data;
};

struct SimReply {
    simwire::Status status = simwire::Status::Ok;
    uint64_t length = 0;
    std::vector<uint8_t> payload;  // sent after the header (BulkIn, Control IN data)
};

enum class NoReply { Stall, HangUp };

inline std::vector<uint8_t> deviceDescriptor(uint16_t vendorId, uint16_t productId) {
    return {18, 1, 0x00, 0x02, 0xFF, 0, 0, 64, static_cast<uint8_t>(vendorId), static_cast<uint8_t>(vendorId >> 8),
            static_cast<uint8_t>(productId), static_cast<uint8_t>(productId >> 8), 0, 1, 1, 2, 3, 1};
}

// Configuration 1 with interface 0 (bulk 0x01 OUT, 0x82 IN) and an alternate setting 1.
inline std::vector<uint8_t> configDescriptor() {
    std::vector<uint8_t> c{9, 2, 0, 0, 1, 1, 0, 0x80, 50,
                           9, 4, 0, 0, 2, 0xFF, 0, 0, 0,
                           7, 5, 0x01, 2, 0x00, 0x02, 0,
                           7, 5, 0x82, 2, 0x00, 0x02, 0,
                           9, 4, 0, 1, 1, 0xFF, 0, 0, 0,
                           7, 5, 0x83, 3, 0x40, 0x00, 1};
    c[2] = static_cast<uint8_t>(c.size());
    return c;
}

class FakeSimDevice {
public:
    using Handler = std::function<std::variant<SimReply, NoReply>(const SimRequest&)>;

    FakeSimDevice(const std::filesystem::path& socketPath, uint16_t productId)
        : descriptor_(deviceDescriptor(0x04B4, productId)), listenFd_(simwire::listenUnix(socketPath.string())) {
        if (listenFd_ < 0) throw std::runtime_error("cannot listen on " + socketPath.string());
        thread_ = std::thread([this] { serve(); });
    }
    ~FakeSimDevice() {
        stop_ = true;
        thread_.join();
        for (int fd : connections_) ::close(fd);
        ::close(listenFd_);
    }

    void setBusy(bool busy) { busy_ = busy; }
    void setTimeScaleMicro(uint32_t micro) { timeScaleMicro_ = micro; }
    // A device slow to take a bulk OUT's data: it waits this long before reading it.
    void setDataDelay(std::chrono::milliseconds delay) { dataDelayMs_ = delay.count(); }
    void setHandler(Handler handler) {
        std::lock_guard lock(mutex_);
        handler_ = std::move(handler);
    }
    std::vector<SimRequest> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    int hangUps() const { return hangUps_; }  // connections the client closed

private:
    void serve() {
        while (!stop_) {
            std::vector<pollfd> fds{{listenFd_, POLLIN, 0}};
            for (int fd : connections_) fds.push_back({fd, POLLIN, 0});
            if (::poll(fds.data(), fds.size(), 20) <= 0) continue;
            if (fds[0].revents & POLLIN) {
                int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
                if (fd >= 0) connections_.push_back(fd);
            }
            for (size_t i = 1; i < fds.size(); ++i) {
                if (fds[i].revents != 0 && !answer(fds[i].fd)) drop(fds[i].fd);
            }
        }
    }

    void drop(int fd) {
        ::close(fd);
        std::erase(connections_, fd);
    }

    bool answer(int fd) {
        auto deadline = simwire::Clock::now() + std::chrono::seconds(5);
        SimRequest request;
        if (simwire::readAll(fd, simwire::asWritableBytes(request.header), deadline) != simwire::IoResult::Ok) {
            ++hangUps_;
            return false;
        }
        const auto& h = request.header;
        uint64_t dataLength = 0;
        if (h.type == uint8_t(simwire::MsgType::BulkOut)) dataLength = h.length;
        if (h.type == uint8_t(simwire::MsgType::Control) && (h.setup[0] & 0x80) == 0) {
            dataLength = h.setup[6] | h.setup[7] << 8;
        }
        request.data.resize(dataLength);
        if (h.type == uint8_t(simwire::MsgType::BulkOut))
            std::this_thread::sleep_for(std::chrono::milliseconds(dataDelayMs_.load()));
        if (simwire::readAll(fd, std::as_writable_bytes(std::span(request.data)), deadline) != simwire::IoResult::Ok) {
            return false;
        }
        Handler handler;
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
            handler = handler_;
        }
        std::variant<SimReply, NoReply> outcome = SimReply{};
        if (h.type == uint8_t(simwire::MsgType::Describe) || h.type == uint8_t(simwire::MsgType::Open)) {
            outcome = hello(h.type == uint8_t(simwire::MsgType::Open) && busy_);
        } else if (handler) {
            outcome = handler(request);
        }
        if (std::holds_alternative<NoReply>(outcome)) return std::get<NoReply>(outcome) == NoReply::Stall;
        auto& reply = std::get<SimReply>(outcome);
        simwire::ReplyHeader header;
        header.status = static_cast<uint8_t>(reply.status);
        header.length = reply.length;
        return simwire::writeAll(fd, simwire::asBytes(header), deadline) == simwire::IoResult::Ok &&
               simwire::writeAll(fd, std::as_bytes(std::span(reply.payload)), deadline) == simwire::IoResult::Ok;
    }

    SimReply hello(bool busy) const {
        simwire::HelloPayload head;
        head.timeScaleMicro = timeScaleMicro_;
        auto config = configDescriptor();
        head.deviceDescriptorLength = static_cast<uint16_t>(descriptor_.size());
        head.configDescriptorLength = static_cast<uint16_t>(config.size());
        SimReply reply;
        reply.status = busy ? simwire::Status::Busy : simwire::Status::Ok;
        auto headBytes = simwire::asBytes(head);
        for (auto b : headBytes) reply.payload.push_back(static_cast<uint8_t>(b));
        reply.payload.insert(reply.payload.end(), descriptor_.begin(), descriptor_.end());
        reply.payload.insert(reply.payload.end(), config.begin(), config.end());
        reply.length = reply.payload.size();
        return reply;
    }

    std::vector<uint8_t> descriptor_;
    int listenFd_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> busy_{false};
    std::atomic<uint32_t> timeScaleMicro_{1000000};
    std::atomic<int> hangUps_{0};
    std::atomic<long long> dataDelayMs_{0};
    std::vector<int> connections_;  // served thread only
    mutable std::mutex mutex_;
    Handler handler_;
    std::vector<SimRequest> requests_;
    std::thread thread_;
};

}  // namespace zel::transport::test
