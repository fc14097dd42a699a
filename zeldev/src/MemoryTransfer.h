// Emulation memory transfers: a control request announces the block count, the data moves on
// the bulk pipes, and 0xC3 brackets every transfer.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "DeviceLink.h"

namespace zel::zeldev {

// Address of the second copy of every memory write.
inline constexpr uint32_t kRotatedCopyAddress = 0x01000000;
inline constexpr size_t kRotation = 128;

// The data of the second copy: rotated left by 128 bytes (bytes 128.. first). Shorter data is
// rotated cyclically by 128 modulo its length, the same rotation on a shorter ring.
std::vector<uint8_t> rotatedCopy(std::span<const uint8_t> data);

// Writes `data` at `address`, then its rotated copy at 0x01000000. False, with nothing sent,
// when data is empty or longer than 16 MiB; false when any request or bulk write failed.
bool writeMemory(DeviceLink& link, uint32_t address, std::span<const uint8_t> data);

// Reads out.size() bytes at `address` into `out`. On failure (or a short read) `out` is left
// unchanged. Refuses an empty or over-long request without sending anything.
bool readMemory(DeviceLink& link, uint32_t address, std::span<uint8_t> out);

}  // namespace zel::zeldev
