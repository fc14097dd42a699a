// The editor's swaps. Each exchanges the two halves of every unit: Byte Swap the bytes of each
// 2-byte unit, Word Swap the halves of each 4-byte unit, DWORD Swap those of each 8-byte unit.
// A swap runs over the working range rounded up to 16 bytes, so a range whose length is no
// multiple of the unit keeps its last bytes (they move past the range's end instead of being
// cut off); past the end of the buffer itself the padding is 0xFF.
#pragma once

#include <cstdint>
#include <span>

namespace zel::gui::editor {

enum class SwapUnit : uint8_t { Byte = 2, Word = 4, DWord = 8 };

inline constexpr uint64_t kSwapPadding = 16;
inline constexpr uint8_t kPaddingByte = 0xFF;

constexpr uint64_t unitSize(SwapUnit unit) { return static_cast<uint64_t>(unit); }

// Swaps in place; a tail shorter than one unit stays as it is.
void swapHalves(std::span<uint8_t> bytes, SwapUnit unit);
// How many bytes a swap over `length` bytes rewrites.
uint64_t swappedLength(uint64_t length);
// The image's end once swapped: a unit that held its last byte now belongs to it whole.
uint64_t imageEndAfterSwap(uint64_t imageLength, SwapUnit unit);

}  // namespace zel::gui::editor
