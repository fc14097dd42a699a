// How large an image the desktop program's host buffer takes: 64 MiB for the first generation,
// 256 MiB for a G2 emulator. The same limit bounds which chips the chip dialog offers, since a
// chip larger than the buffer could never be filled from it.
#pragma once

#include <cstdint>
#include <string_view>

namespace zel::gui {

inline constexpr uint64_t kFirstGenerationBufferLimit = 0x4000000;  // 64 MiB
inline constexpr uint64_t kG2BufferLimit = 0x10000000;              // 256 MiB

constexpr uint64_t bufferLimit(bool g2Device)
{
    return g2Device ? kG2BufferLimit : kFirstGenerationBufferLimit;
}

// The limit as the "file too large" message names it.
constexpr std::string_view bufferLimitText(bool g2Device)
{
    return g2Device ? "256Mbytes" : "64Mbytes";
}

}  // namespace zel::gui
