// Comparing the host buffer with a file's bytes. The two are compared up to the shorter of them;
// the caller passes each already cut to what the editor works on (chip size or image length).
// The search walks 64 KiB windows, the first one aligned down to a multiple of 64 KiB, comparing
// whole windows first so that equal stretches cost a memcmp.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace zel::gui::editor {

inline constexpr uint64_t kCompareWindow = 0x10000;

// The first offset at or after `from` where the two differ; none when no difference remains.
std::optional<uint64_t> nextDifference(std::span<const uint8_t> buffer, std::span<const uint8_t> file, uint64_t from);
// How many offsets differ.
uint64_t countDifferences(std::span<const uint8_t> buffer, std::span<const uint8_t> file);

}  // namespace zel::gui::editor
