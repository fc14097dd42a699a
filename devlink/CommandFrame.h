// The 16-byte command frame: opcode in byte 0, parameters big-endian, every other byte 0.
#pragma once

#include "Opcodes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zel::devlink {

class CommandFrame {
public:
    static constexpr size_t kSize = 16;

    explicit CommandFrame(Opcode opcode) { bytes_[0] = static_cast<uint8_t>(opcode); }

    CommandFrame& put8(size_t at, uint8_t value) {
        bytes_.at(at) = value;
        return *this;
    }
    CommandFrame& put16(size_t at, uint16_t value) { return putBigEndian(at, value, 2); }
    CommandFrame& put24(size_t at, uint32_t value) { return putBigEndian(at, value, 3); }
    CommandFrame& put32(size_t at, uint32_t value) { return putBigEndian(at, value, 4); }
    CommandFrame& fill(size_t from, uint8_t value) {
        for (size_t i = from; i < kSize; ++i) bytes_[i] = value;
        return *this;
    }

    std::span<const uint8_t, kSize> bytes() const { return bytes_; }

private:
    CommandFrame& putBigEndian(size_t at, uint32_t value, size_t width) {
        for (size_t i = 0; i < width; ++i) bytes_.at(at + i) = static_cast<uint8_t>(value >> (8 * (width - 1 - i)));
        return *this;
    }

    std::array<uint8_t, kSize> bytes_{};
};

}  // namespace zel::devlink
