// A bare client of one simulated device endpoint, speaking the wire protocol directly, so the
// simulator is tested without the device libraries.
#pragma once

#include "simwire/SimProtocol.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace zel::test {

struct RawReply {
    simwire::Status status = simwire::Status::BadRequest;
    uint64_t length = 0;           // the reply header's length
    std::vector<uint8_t> payload;  // bytes that followed the header
};

class RawSimClient {
public:
    explicit RawSimClient(const std::filesystem::path& endpoint);
    ~RawSimClient();
    RawSimClient(const RawSimClient&) = delete;
    RawSimClient& operator=(const RawSimClient&) = delete;

    RawReply describe();
    RawReply open();
    RawReply bulkOut(uint8_t endpoint, std::span<const uint8_t> data);
    RawReply bulkIn(uint8_t endpoint, uint64_t length);
    RawReply control(std::array<uint8_t, 8> setup, std::span<const uint8_t> outData = {});
    // A 16-byte command frame on endpoint 0x01, zero-padded.
    RawReply frame(std::initializer_list<uint8_t> bytes);
    // Frame then a bulk IN of `length` bytes on 0x82; the reply's payload.
    std::vector<uint8_t> ask(std::initializer_list<uint8_t> frameBytes, uint64_t length);

    // Sends a request without waiting for its answer. timeoutMs: the time-out the request
    // tells the simulator (0: none).
    void send(simwire::MsgType type, uint8_t endpoint, uint64_t length, std::span<const uint8_t> data = {},
              std::array<uint8_t, 8> setup = {}, uint32_t timeoutMs = 0);
    // The next reply header (payload not read), or nothing when none arrives within `wait`
    // or the connection closed.
    std::optional<RawReply> receive(std::chrono::milliseconds wait);
    // True when the simulator closed the connection within `wait`.
    bool closedWithin(std::chrono::milliseconds wait);

private:
    RawReply expectReply();
    int fd_ = -1;
};

std::array<uint8_t, 16> makeFrame(std::initializer_list<uint8_t> bytes);

}  // namespace zel::test
