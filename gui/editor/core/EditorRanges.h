// The address rules of the buffer editor: which part of the host buffer it works on, the
// "Display" range and the Fill Buffer range. Ranges are checked against the buffer's real size,
// never against a fixed limit, so a 256 MiB buffer is shown whole and no fill runs past its end.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zel::gui::editor {

// The chip size, or the image length with no chip selected; never more than the buffer holds.
uint64_t workingLength(uint64_t chipSize, uint64_t imageLength, uint64_t bufferSize);

// First and last address shown, both inclusive.
struct DisplayRange {
    uint64_t from = 0;
    uint64_t to = 0;
    uint64_t length() const { return to - from + 1; }
    friend bool operator==(const DisplayRange&, const DisplayRange&) = default;
};

inline constexpr std::string_view kDisplayOrderProblem = "The end address has to be bigger than the start address!";
inline constexpr std::string_view kFillOrderProblem = "The Buffer start address has to bigger than the Buffer end address!";
inline constexpr std::string_view kFillEndProblem = "The Buffer end address is out of range!";

struct DisplayChoice {
    std::optional<DisplayRange> range;
    std::string_view problem;  // empty when range holds one
};

// From and To as typed, each clamped to the last address of `length` bytes; To below From is
// refused. Nothing to show when length is 0.
DisplayChoice displayRange(uint64_t from, uint64_t to, uint64_t length);

// The problem with filling start..end (inclusive) of `length` bytes; empty when there is none.
// Start must lie below end, and end inside the range.
std::string_view fillProblem(uint64_t start, uint64_t end, uint64_t length);

// The first address of the 16-byte row that keeps `address` in view with a page of `pageRows`
// rows: near the end the last page stays whole.
uint64_t rowToShow(uint64_t address, uint64_t length, uint64_t pageRows);

}  // namespace zel::gui::editor
