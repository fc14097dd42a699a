#include "BufferSwap.h"

#include <algorithm>

namespace zel::gui::editor {

void swapHalves(std::span<uint8_t> bytes, SwapUnit unit) {
    const size_t size = size_t(unitSize(unit));
    const size_t half = size / 2;
    for (size_t at = 0; at + size <= bytes.size(); at += size)
        std::swap_ranges(bytes.begin() + at, bytes.begin() + at + half, bytes.begin() + at + half);
}

uint64_t swappedLength(uint64_t length) { return (length + kSwapPadding - 1) / kSwapPadding * kSwapPadding; }

uint64_t imageEndAfterSwap(uint64_t imageLength, SwapUnit unit) {
    const uint64_t size = unitSize(unit);
    return (imageLength + size - 1) / size * size;
}

}  // namespace zel::gui::editor
