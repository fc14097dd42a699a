// The 16-byte command frame: opcode in byte 0, parameters after it, numbers big-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zel::sim {

struct Frame {
    std::array<uint8_t, 16> bytes{};

    uint8_t opcode() const { return bytes[0]; }
    uint8_t byte(int i) const { return bytes[static_cast<size_t>(i)]; }
    // Big-endian number in bytes first .. first + count - 1.
    uint32_t number(int first, int count) const {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i) value = value << 8 | bytes[static_cast<size_t>(first + i)];
        return value;
    }
};

}  // namespace zel::sim
