#include "RawSimClient.h"

#include "simwire/SocketIo.h"

#include <algorithm>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace zel::test {

using namespace simwire;

std::array<uint8_t, 16> makeFrame(std::initializer_list<uint8_t> bytes) {
    std::array<uint8_t, 16> frame{};
    std::copy(bytes.begin(), bytes.end(), frame.begin());
    return frame;
}

RawSimClient::RawSimClient(const std::filesystem::path& endpoint) : fd_(connectUnix(endpoint)) {
    if (fd_ < 0) throw std::runtime_error("cannot connect to " + endpoint.string());
}

RawSimClient::~RawSimClient() {
    if (fd_ >= 0) ::close(fd_);
}

void RawSimClient::send(MsgType type, uint8_t endpoint, uint64_t length, std::span<const uint8_t> data,
                        std::array<uint8_t, 8> setup, uint32_t timeoutMs) {
    RequestHeader header;
    header.type = static_cast<uint8_t>(type);
    header.endpoint = endpoint;
    header.length = length;
    header.timeoutMs = timeoutMs;
    std::copy(setup.begin(), setup.end(), header.setup);
    iovec parts[] = {{&header, sizeof header}, {const_cast<uint8_t*>(data.data()), data.size()}};
    if (writeAllv(fd_, parts, Clock::now() + std::chrono::seconds(10)) != IoResult::Ok)
        throw std::runtime_error("request not sent");
}

std::optional<RawReply> RawSimClient::receive(std::chrono::milliseconds wait) {
    ReplyHeader header;
    const auto deadline = Clock::now() + wait;
    if (readAll(fd_, asWritableBytes(header), deadline) != IoResult::Ok) return std::nullopt;
    if (header.magic != kReplyMagic) throw std::runtime_error("bad reply magic");
    RawReply reply;
    reply.status = static_cast<Status>(header.status);
    reply.length = header.length;
    // Sized only: whether a payload follows depends on the request, which the caller knows.
    reply.payload.resize(header.length);
    return reply;
}

RawReply RawSimClient::expectReply() {
    auto reply = receive(std::chrono::seconds(10));
    if (!reply) throw std::runtime_error("no reply from the simulator");
    return *reply;
}

namespace {
RawReply withPayload(int fd, RawReply reply) {
    if (readAll(fd, std::as_writable_bytes(std::span(reply.payload)), Clock::now() + std::chrono::seconds(10)) !=
        IoResult::Ok)
        throw std::runtime_error("reply payload missing");
    return reply;
}
RawReply withoutPayload(RawReply reply) {
    reply.payload.clear();
    return reply;
}
}  // namespace

RawReply RawSimClient::describe() {
    send(MsgType::Describe, 0, 0);
    return withPayload(fd_, expectReply());
}

RawReply RawSimClient::open() {
    send(MsgType::Open, 0, 0);
    return withPayload(fd_, expectReply());
}

RawReply RawSimClient::bulkOut(uint8_t endpoint, std::span<const uint8_t> data) {
    send(MsgType::BulkOut, endpoint, data.size(), data);
    return withoutPayload(expectReply());
}

RawReply RawSimClient::bulkIn(uint8_t endpoint, uint64_t length) {
    send(MsgType::BulkIn, endpoint, length);
    return withPayload(fd_, expectReply());
}

RawReply RawSimClient::control(std::array<uint8_t, 8> setup, std::span<const uint8_t> outData) {
    send(MsgType::Control, 0, 0, outData, setup);
    auto reply = expectReply();
    return (setup[0] & 0x80) ? withPayload(fd_, reply) : withoutPayload(reply);
}

RawReply RawSimClient::frame(std::initializer_list<uint8_t> bytes) { return bulkOut(0x01, makeFrame(bytes)); }

std::vector<uint8_t> RawSimClient::ask(std::initializer_list<uint8_t> frameBytes, uint64_t length) {
    auto sent = frame(frameBytes);
    if (sent.status != Status::Ok) throw std::runtime_error("frame refused");
    auto reply = bulkIn(0x82, length);
    if (reply.status != Status::Ok) throw std::runtime_error("no reply to the frame");
    return reply.payload;
}

bool RawSimClient::closedWithin(std::chrono::milliseconds wait) {
    pollfd p{fd_, POLLIN | POLLRDHUP, 0};
    if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) return false;
    char c;
    return ::recv(fd_, &c, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

}  // namespace zel::test
