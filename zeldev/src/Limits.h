// Largest transfers the earlier design takes; longer requests are refused, never truncated.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel::zeldev {

inline constexpr size_t kMaxMemoryTransfer = 16u << 20;  // emulation memory, per call
inline constexpr size_t kMaxSerialFlashImage = 2u << 20;
inline constexpr size_t kMaxBootImage = 16u << 10;
inline constexpr size_t kMemoryBlockSize = 512;

}  // namespace zel::zeldev
