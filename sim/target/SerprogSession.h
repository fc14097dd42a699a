// One serprog connection (the serial flasher protocol, version 1) to a target bus: a master
// such as flashrom sends commands, each answered with ACK (0x06) and its data, or NAK (0x15).
// Numbers are little-endian, lengths 24-bit. Only the SPI bus is offered.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace zel::sim::target {

// The byte stream of a connection. read fills the whole span; both return false once the
// connection is gone (or the server stops).
class SerprogStream {
public:
    virtual ~SerprogStream() = default;
    virtual bool read(std::span<uint8_t> into) = 0;
    virtual bool write(std::span<const uint8_t> bytes) = 0;
};

class SerprogSession {
public:
    static constexpr uint8_t kAck = 0x06, kNak = 0x15;
    // Largest SPI operation, each way. Keeps a request's buffers (and the time the device model
    // is locked for it) small while a 16 MiB read still needs only 256 operations.
    static constexpr uint32_t kMaxWrite = 0x10000, kMaxRead = 0x10000;
    static constexpr uint32_t kSpiFrequency = 50'000'000;

    // Runs one SPI operation; nullopt when the bus cannot take it now (answered with NAK).
    using SpiOperation =
        std::function<std::optional<std::vector<uint8_t>>(std::span<const uint8_t> mosi, size_t readLength)>;

    SerprogSession(SerprogStream& stream, SpiOperation spi) : stream_(stream), spi_(std::move(spi)) {}

    // Serves commands until the connection ends or breaks the protocol.
    void run();
    // One command; false when the connection is gone or must be dropped.
    bool serveOne();

    static std::vector<uint8_t> commandMap();

private:
    bool reply(std::vector<uint8_t> bytes);
    bool nak();
    bool spiOperation();
    template <size_t N>
    bool parameters(std::array<uint8_t, N>& into) { return stream_.read(into); }

    SerprogStream& stream_;
    SpiOperation spi_;
};

}  // namespace zel::sim::target
