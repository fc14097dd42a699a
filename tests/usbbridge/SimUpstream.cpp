#include "SimUpstream.h"

#include "simwire/SimProtocol.h"
#include "simwire/SocketIo.h"

#include <algorithm>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace zel::test::usbbridge {
namespace {

using simwire::MsgType;
using simwire::Status;

constexpr uint64_t kMaxHelloLength = 64 * 1024;

Outcome outcomeOf(uint8_t status) {
    switch (static_cast<Status>(status)) {
    case Status::Ok: return Outcome::Ok;
    case Status::Busy: return Outcome::Busy;
    case Status::Stall: return Outcome::Stall;
    case Status::Timeout: return Outcome::Nak;
    default: return Outcome::Gone;  // NotOpen: the device was unplugged since this link opened
    }
}

}  // namespace

struct SimUpstream::Reply {
    Outcome outcome;
    uint64_t length;
};

std::optional<SimUpstream::Reply> SimUpstream::exchange(uint8_t type, uint8_t endpoint, uint64_t length,
                                                        std::span<const uint8_t> setup,
                                                        std::span<const uint8_t> outData) {
    simwire::RequestHeader request;
    request.type = type;
    request.endpoint = endpoint;
    request.length = length;
    std::copy(setup.begin(), setup.end(), request.setup);
    iovec parts[2] = {{&request, sizeof request}, {const_cast<uint8_t*>(outData.data()), outData.size()}};
    if (simwire::writeAllv(fd_, parts, simwire::kNoDeadline) != simwire::IoResult::Ok) return std::nullopt;
    simwire::ReplyHeader reply;
    if (simwire::readAll(fd_, simwire::asWritableBytes(reply), simwire::kNoDeadline) != simwire::IoResult::Ok ||
        reply.magic != simwire::kReplyMagic)
        return std::nullopt;
    return Reply{outcomeOf(reply.status), reply.length};
}

std::optional<SimDescriptors> SimUpstream::hello(MsgType type, Outcome& outcome) {
    auto reply = exchange(static_cast<uint8_t>(type), 0, 0, {}, {});
    simwire::HelloPayload head;
    if (!reply || reply->length < sizeof head || reply->length > kMaxHelloLength) return std::nullopt;
    std::vector<uint8_t> payload(reply->length);
    if (simwire::readAll(fd_, std::as_writable_bytes(std::span(payload)), simwire::kNoDeadline) !=
        simwire::IoResult::Ok)
        return std::nullopt;
    std::memcpy(&head, payload.data(), sizeof head);
    auto rest = std::span(payload).subspan(sizeof head);
    if (rest.size() < size_t{head.deviceDescriptorLength} + head.configDescriptorLength) return std::nullopt;
    outcome = reply->outcome;
    auto device = rest.first(head.deviceDescriptorLength);
    auto configuration = rest.subspan(head.deviceDescriptorLength, head.configDescriptorLength);
    return SimDescriptors{{device.begin(), device.end()}, {configuration.begin(), configuration.end()}};
}

std::optional<SimDescriptors> SimUpstream::describe(const std::filesystem::path& endpoint) {
    const int fd = simwire::connectUnix(endpoint.string());
    if (fd < 0) return std::nullopt;
    SimUpstream link(fd);
    Outcome outcome{};
    return link.hello(MsgType::Describe, outcome);
}

std::pair<Outcome, std::unique_ptr<SimUpstream>> SimUpstream::open(const std::filesystem::path& endpoint) {
    const int fd = simwire::connectUnix(endpoint.string());
    if (fd < 0) return {Outcome::Gone, nullptr};
    std::unique_ptr<SimUpstream> link(new SimUpstream(fd));
    Outcome outcome = Outcome::Gone;
    if (!link->hello(MsgType::Open, outcome) || outcome != Outcome::Ok) return {outcome, nullptr};
    return {Outcome::Ok, std::move(link)};
}

SimUpstream::~SimUpstream() { ::close(fd_); }

void SimUpstream::abort() {
    aborted_ = true;
    ::shutdown(fd_, SHUT_RDWR);
}

UpstreamResult SimUpstream::bulkOut(uint8_t endpoint, std::span<const uint8_t> data) {
    auto reply = exchange(static_cast<uint8_t>(MsgType::BulkOut), endpoint, data.size(), {}, data);
    if (!reply) return {};
    return {reply->outcome, static_cast<size_t>(std::min<uint64_t>(reply->length, data.size()))};
}

UpstreamResult SimUpstream::receive(const std::optional<Reply>& reply, std::span<uint8_t> into) {
    if (!reply || reply->length > into.size()) return {};
    if (simwire::readAll(fd_, std::as_writable_bytes(into.first(reply->length)), simwire::kNoDeadline) !=
        simwire::IoResult::Ok)
        return {};
    return {reply->outcome, static_cast<size_t>(reply->length)};
}

UpstreamResult SimUpstream::bulkIn(uint8_t endpoint, std::span<uint8_t> into) {
    return receive(exchange(static_cast<uint8_t>(MsgType::BulkIn), endpoint, into.size(), {}, {}), into);
}

UpstreamResult SimUpstream::control(std::span<const uint8_t, 8> setup, std::span<uint8_t> data) {
    const bool in = (setup[0] & 0x80) != 0;
    auto reply = exchange(static_cast<uint8_t>(MsgType::Control), 0, data.size(), setup,
                          in ? std::span<const uint8_t>() : std::span<const uint8_t>(data));
    if (in) return receive(reply, data);
    if (!reply) return {};
    return {reply->outcome, static_cast<size_t>(std::min<uint64_t>(reply->length, data.size()))};
}

}  // namespace zel::test::usbbridge
