// What a device model sees of one transfer: the outcome it reports, the SETUP packet of a
// control transfer, and the data of bulk transfers in both directions.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <span>
#include <vector>

namespace zel::sim {

enum class TransferStatus { Ok, Stall, Timeout, NotOpen, Bad };

const char* logName(TransferStatus status);

// Reply bytes the host has to ignore: distinctive and non-zero, so a host that reads the wrong
// byte shows it.
inline constexpr uint8_t kFiller = 0xA5;

struct Setup {
    std::array<uint8_t, 8> raw{};

    uint8_t requestType() const { return raw[0]; }
    uint8_t request() const { return raw[1]; }
    uint16_t value() const { return static_cast<uint16_t>(raw[2] | raw[3] << 8); }
    uint16_t index() const { return static_cast<uint16_t>(raw[4] | raw[5] << 8); }
    uint16_t length() const { return static_cast<uint16_t>(raw[6] | raw[7] << 8); }
    bool deviceToHost() const { return (raw[0] & 0x80) != 0; }
    unsigned type() const { return (raw[0] >> 5) & 3; }       // 0 standard, 1 class, 2 vendor
    unsigned recipient() const { return raw[0] & 0x1F; }      // 0 device, 1 interface, 2 endpoint
};

// The data of one bulk OUT transfer, read from the client only when the model asks for it, so
// a large transfer lands directly where the model keeps it. What the model leaves unread is
// discarded afterwards.
class OutData {
public:
    virtual ~OutData() = default;
    virtual uint64_t size() const = 0;
    virtual uint64_t consumed() const = 0;
    uint64_t remaining() const { return size() - consumed(); }
    // Reads exactly into.size() bytes (at most remaining()); false when the client went away.
    virtual bool read(std::span<uint8_t> into) = 0;
    virtual bool skip(uint64_t count) = 0;
};

// The data of one bulk IN reply as a list of pieces sent in order. Pieces may point into the
// model's memory; they stay valid while the model is locked, which lasts until they are sent.
class InData {
public:
    void borrow(std::span<const uint8_t> bytes);
    void copy(std::span<const uint8_t> bytes);
    void fill(uint8_t value, uint64_t count);
    uint64_t size() const { return size_; }
    const std::vector<std::span<const uint8_t>>& parts() const { return parts_; }

private:
    std::vector<std::span<const uint8_t>> parts_;
    std::list<std::vector<uint8_t>> owned_;  // list: stable addresses for the pieces above
    uint64_t size_ = 0;
};

// A megabyte of erased (0xFF) bytes, shared by every reader of untouched memory.
std::span<const uint8_t> erasedBlock();

}  // namespace zel::sim
