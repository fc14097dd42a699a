// What the trace decoding needs to know about the emulated chip: its size (the address mask) and
// how it addresses at power-up.
#pragma once

#include <cstdint>

namespace zel::trace {

struct ChipFacts {
    std::uint64_t size = 0x1000000;  // bytes, a power of two
    bool fourByteAtPowerUp = false;  // the chip starts in 4-byte address mode
    bool fixedAddressing = false;    // 0xB7 / 0xE9 change nothing (a 3-byte-only or 4-byte-only chip)

    // Displayed and filtered addresses are ANDed with this.
    std::uint32_t addressMask() const { return size == 0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(size - 1); }
};

// The opcodes that switch the tracked addressing mode; nothing else does.
inline constexpr std::uint8_t kEnterFourByteMode = 0xB7;
inline constexpr std::uint8_t kExitFourByteMode = 0xE9;

}  // namespace zel::trace
