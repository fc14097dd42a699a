#include "PlainSum.h"

uint32_t plainByteSum(const uint8_t* bytes, size_t size) {
    uint32_t sum = 0;
    for (size_t i = 0; i < size; ++i) sum += bytes[i];
    return sum;
}
