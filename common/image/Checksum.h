// The image checksum: the sum of all bytes, each 0..255, wrapping modulo 2^32.
#pragma once

#include <cstdint>
#include <span>

namespace zel::image {

uint32_t byteSum(std::span<const uint8_t> bytes);

}  // namespace zel::image
