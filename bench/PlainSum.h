// A plain byte-sum loop, compiled in its own translation unit with -O3 -march=native.
#pragma once

#include <cstddef>
#include <cstdint>

uint32_t plainByteSum(const uint8_t* bytes, size_t size);
