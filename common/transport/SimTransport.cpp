#include "transport/SimTransport.h"

#include "simwire/SimProtocol.h"
#include "simwire/SocketIo.h"
#include "transport/UsbDescriptors.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace zel::transport {
namespace {

using simwire::Clock;
using simwire::IoResult;
using simwire::MsgType;
using simwire::ReplyHeader;
using simwire::RequestHeader;
using simwire::Status;

// A hello is a few dozen bytes; anything far larger means the stream is not what we think.
constexpr uint64_t kMaxHelloLength = 64 * 1024;

// How long closing a device waits for the simulator to confirm the release.
constexpr auto kReleaseWait = std::chrono::milliseconds(2000);
// Bounds the deadline of one transfer (the largest memory transfer, 256 MiB, is 64 chunks).
constexpr uint64_t kMaxChunksPerDeadline = 1024;

class UniqueFd {
public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() {
        if (fd_ >= 0) ::close(fd_);
    }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

uint32_t timeoutField(std::chrono::milliseconds timeout) {
    return static_cast<uint32_t>(std::clamp<long long>(timeout.count(), 0, UINT32_MAX));
}

struct Hello {
    double timeScale = 1.0;
    std::vector<uint8_t> deviceDescriptor;
    std::vector<uint8_t> configDescriptor;
};

std::optional<Hello> parseHello(std::span<const uint8_t> payload) {
    simwire::HelloPayload head;
    if (payload.size() < sizeof head) return std::nullopt;
    std::memcpy(&head, payload.data(), sizeof head);
    auto rest = payload.subspan(sizeof head);
    if (rest.size() < size_t{head.deviceDescriptorLength} + head.configDescriptorLength) return std::nullopt;
    Hello hello;
    hello.timeScale = head.timeScaleMicro / 1e6;
    auto device = rest.first(head.deviceDescriptorLength);
    auto config = rest.subspan(head.deviceDescriptorLength, head.configDescriptorLength);
    hello.deviceDescriptor.assign(device.begin(), device.end());
    hello.configDescriptor.assign(config.begin(), config.end());
    return hello;
}

// One connection to a simulated device. Requests and replies alternate strictly, so once a
// reply is missed (time-out, broken or garbled stream) the connection is out of step for good
// and the link stays dead.
class SimLink {
public:
    explicit SimLink(UniqueFd fd) : fd_(std::move(fd)) {}

    // Releases the device the way libusb does: synchronously. The simulator frees the device
    // when it sees the connection end and then closes its side; waiting for that close means a
    // re-enumeration that follows at once finds the device free again, not busy.
    void release(std::chrono::milliseconds bound) {
        if (::shutdown(fd_.get(), SHUT_WR) != 0) return;
        const auto deadline = Clock::now() + bound;
        std::vector<uint8_t> discard(64 * 1024);  // late replies of a dead link are dropped
        for (;;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return;
            pollfd p{fd_.get(), POLLIN, 0};
            int ready = ::poll(&p, 1, static_cast<int>(left));
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) return;
            ssize_t n = ::recv(fd_.get(), discard.data(), discard.size(), MSG_DONTWAIT);
            if (n == 0) return;  // the simulator closed its side: the device is free
            if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) return;
        }
    }

    // Sends the header and its data; returns the reply header, whose payload the caller reads.
    std::optional<ReplyHeader> transact(const RequestHeader& request, std::span<const uint8_t> data,
                                        std::chrono::milliseconds timeout) {
        if (dead_) return std::nullopt;
        // Sending the data and receiving the answer share one deadline, as on a USB pipe, where
        // a long transfer (either way) gets one time-out per chunk.
        const uint64_t chunks = std::clamp<uint64_t>(request.length / kMaxBulkChunk + (request.length % kMaxBulkChunk != 0), 1,
                                                     kMaxChunksPerDeadline);
        replyDeadline_ = Clock::now() + timeout * static_cast<long>(chunks);
        iovec parts[2] = {{const_cast<RequestHeader*>(&request), sizeof request},
                          {const_cast<uint8_t*>(data.data()), data.size()}};
        if (!check(simwire::writeAllv(fd_.get(), parts, replyDeadline_))) return std::nullopt;
        ReplyHeader reply;
        if (!check(simwire::readAll(fd_.get(), simwire::asWritableBytes(reply), replyDeadline_))) return std::nullopt;
        if (reply.magic != simwire::kReplyMagic) return fail();
        return reply;
    }

    // Reads the reply payload announced by the last transact().
    bool readPayload(std::span<uint8_t> into) {
        return check(simwire::readAll(fd_.get(), std::as_writable_bytes(into), replyDeadline_));
    }

    std::nullopt_t fail() {
        dead_ = true;
        problem_ = Problem::DeviceError;
        return std::nullopt;
    }

    // How the link broke: the simulator went away, or it did not answer in time.
    Problem problem() const { return problem_; }

private:
    bool check(IoResult result) {
        if (result != IoResult::Ok) {
            dead_ = true;
            problem_ = result == IoResult::TimedOut ? Problem::Timeout : Problem::Disconnected;
        }
        return !dead_;
    }

    UniqueFd fd_;
    bool dead_ = false;
    Problem problem_ = Problem::Disconnected;  // what a dead link reports
    Clock::time_point replyDeadline_{};
};

struct HelloReply {
    Status status = Status::BadRequest;
    Hello hello;
};

std::optional<HelloReply> exchangeHello(SimLink& link, MsgType type, std::chrono::milliseconds timeout) {
    RequestHeader request;
    request.type = static_cast<uint8_t>(type);
    request.timeoutMs = timeoutField(timeout);
    auto reply = link.transact(request, {}, timeout);
    if (!reply || reply->length > kMaxHelloLength) return link.fail();
    std::vector<uint8_t> payload(reply->length);
    if (!link.readPayload(payload)) return std::nullopt;
    auto hello = parseHello(payload);
    if (!hello) return std::nullopt;
    return HelloReply{static_cast<Status>(reply->status), std::move(*hello)};
}

class SimDeviceHandle final : public DeviceHandle {
public:
    SimDeviceHandle(SimLink link, Timeouts timeouts, const Hello& hello)
        : link_(std::move(link)),
          timeouts_(timeouts),
          timeScale_(hello.timeScale),
          endpoints_(parseInterfaceEndpoints(hello.configDescriptor)) {}

    ~SimDeviceHandle() override { link_.release(std::min(timeouts_.control, kReleaseWait)); }
    SimDeviceHandle(const SimDeviceHandle&) = delete;
    SimDeviceHandle& operator=(const SimDeviceHandle&) = delete;

    TransferResult bulkOut(uint8_t endpoint, std::span<const uint8_t> data) override {
        return noted(sendBulk(endpoint, data));
    }
    TransferResult bulkIn(uint8_t endpoint, std::span<uint8_t> data) override {
        return noted(receiveBulk(endpoint, data));
    }
    TransferResult control(const SetupPacket& setup, std::span<uint8_t> data) override {
        return noted(controlTransfer(setup, data));
    }

    std::vector<EndpointInfo> interfaceEndpoints() const override { return endpoints_; }
    double timeScale() const override { return timeScale_; }
    Problem lastProblem() const override { return lastProblem_; }

private:
    TransferResult noted(TransferResult result) {
        if (!result.ok) lastProblem_ = lastStatusProblem_;
        return result;
    }

    // Every request goes through here, so a failure can be told apart afterwards.
    std::optional<ReplyHeader> transact(const RequestHeader& request, std::span<const uint8_t> data,
                                        std::chrono::milliseconds timeout) {
        auto reply = link_.transact(request, data, timeout);
        lastStatusProblem_ = reply ? statusProblem(static_cast<Status>(reply->status)) : link_.problem();
        return reply;
    }

    static Problem statusProblem(Status status) {
        switch (status) {
        case Status::Ok: return Problem::DeviceError;  // a short or overlong phase
        case Status::Timeout: return Problem::Timeout;
        case Status::NotOpen: return Problem::Disconnected;
        default: return Problem::DeviceError;
        }
    }

    TransferResult sendBulk(uint8_t endpoint, std::span<const uint8_t> data) {
        auto request = header(MsgType::BulkOut, endpoint, data.size(), timeouts_.bulk);
        auto reply = transact(request, data, timeouts_.bulk);
        if (!reply) return {};
        size_t accepted = std::min<uint64_t>(reply->length, data.size());
        return {isOk(*reply) && accepted == data.size(), accepted};
    }

    TransferResult receiveBulk(uint8_t endpoint, std::span<uint8_t> data) {
        if (data.empty()) return {true, 0};
        auto request = header(MsgType::BulkIn, endpoint, data.size(), timeouts_.bulk);
        return receive(request, data, timeouts_.bulk);
    }

    TransferResult controlTransfer(const SetupPacket& setup, std::span<uint8_t> data) {
        if (data.size() < setup.length) return {};
        auto request = header(MsgType::Control, 0, setup.length, timeouts_.control);
        encodeSetup(setup, request.setup);
        auto phase = data.first(setup.length);
        if (setup.isDeviceToHost()) return receive(request, phase, timeouts_.control);
        auto reply = transact(request, phase, timeouts_.control);
        if (!reply) return {};
        return {isOk(*reply), std::min<uint64_t>(reply->length, phase.size())};
    }

    static RequestHeader header(MsgType type, uint8_t endpoint, uint64_t length, std::chrono::milliseconds timeout) {
        RequestHeader request;
        request.type = static_cast<uint8_t>(type);
        request.endpoint = endpoint;
        request.length = length;
        request.timeoutMs = timeoutField(timeout);
        return request;
    }

    static void encodeSetup(const SetupPacket& setup, uint8_t (&out)[8]) {
        out[0] = setup.requestType;
        out[1] = setup.request;
        out[2] = static_cast<uint8_t>(setup.value);
        out[3] = static_cast<uint8_t>(setup.value >> 8);
        out[4] = static_cast<uint8_t>(setup.index);
        out[5] = static_cast<uint8_t>(setup.index >> 8);
        out[6] = static_cast<uint8_t>(setup.length);
        out[7] = static_cast<uint8_t>(setup.length >> 8);
    }

    static bool isOk(const ReplyHeader& reply) { return reply.status == static_cast<uint8_t>(Status::Ok); }

    // A reply carrying data: the data lands directly in the caller's buffer (no copy of large
    // memory reads). A reply longer than asked for breaks the protocol.
    TransferResult receive(const RequestHeader& request, std::span<uint8_t> into, std::chrono::milliseconds timeout) {
        auto reply = transact(request, {}, timeout);
        if (!reply) return {};
        if (reply->length > into.size()) {
            link_.fail();
            lastStatusProblem_ = Problem::DeviceError;
            return {};
        }
        if (!link_.readPayload(into.first(reply->length))) {
            lastStatusProblem_ = link_.problem();
            return {};
        }
        return {isOk(*reply), static_cast<size_t>(reply->length)};
    }

    SimLink link_;
    Timeouts timeouts_;
    double timeScale_;
    std::vector<EndpointInfo> endpoints_;
    Problem lastStatusProblem_ = Problem::None;  // of the request just made
    Problem lastProblem_ = Problem::None;        // of the most recent failed transfer
};

std::vector<std::filesystem::path> deviceEndpoints(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> endpoints;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const auto& path = it->path();
        if (path.extension() == simwire::kEndpointSuffix) endpoints.push_back(path);
    }
    std::sort(endpoints.begin(), endpoints.end(),
              [](const auto& a, const auto& b) { return a.filename().native() < b.filename().native(); });
    return endpoints;
}

}  // namespace

SimTransport::SimTransport(std::filesystem::path folder, Timeouts timeouts)
    : folder_(std::move(folder)), timeouts_(timeouts) {}

// Why a folder yielded no device, and what a user does about it.
std::string SimTransport::explainEmptyFolder(size_t endpoints, size_t answered) const {
    const std::string where = "ZELMOR_SIM=" + folder_.string();
    std::error_code error;
    if (!std::filesystem::is_directory(folder_, error))
        return where + " does not exist: no simulator was started there (zelsim start)";
    if (endpoints == 0) return "no simulated emulator is served at " + where + " (is zelsim running? zelsim status)";
    if (answered == 0)
        return std::to_string(endpoints) + " endpoint(s) at " + where +
               " but no simulator answers: zelsim has stopped (zelsim start)";
    return "the simulator at " + where + " serves no emulator of this design";
}

std::vector<DeviceEntry> SimTransport::enumerate(uint16_t vendorId, uint16_t productId) {
    std::vector<DeviceEntry> entries;
    const auto endpoints = deviceEndpoints(folder_);
    size_t answered = 0;
    for (const auto& endpoint : endpoints) {
        int fd = simwire::connectUnix(endpoint.string());
        if (fd < 0) continue;  // a stale socket: nobody serves that device any more
        ++answered;
        SimLink link{UniqueFd(fd)};
        auto described = exchangeHello(link, MsgType::Describe, timeouts_.control);
        if (!described) continue;
        auto identity = parseDeviceIdentity(described->hello.deviceDescriptor);
        if (!identity || identity->vendorId != vendorId || identity->productId != productId) continue;

        DeviceEntry entry{vendorId, productId, nullptr};
        entry.location = endpoint.string();
        auto opened = exchangeHello(link, MsgType::Open, timeouts_.control);
        if (opened && opened->status == Status::Ok) {
            entry.handle = std::make_unique<SimDeviceHandle>(std::move(link), timeouts_, described->hello);
        } else {
            entry.openProblem = opened && opened->status == Status::Busy ? Problem::Busy : Problem::DeviceError;
        }
        entries.push_back(std::move(entry));
    }
    nothingFound_ = entries.empty() ? explainEmptyFolder(endpoints.size(), answered) : std::string();
    return entries;
}

}  // namespace zel::transport
