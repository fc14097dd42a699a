// What every catalogue entry must satisfy before it becomes a chip-configuration file. The
// builder refuses a catalogue with any problem, so a broken line never ships as a file.
#pragma once

#include <vector>

#include "CatalogueReader.h"

namespace zel::catalogue {

inline constexpr std::uint32_t kSmallestChip = 512u << 10;
inline constexpr std::uint32_t kLargestChip = 128u << 20;
inline constexpr std::uint32_t kLargestThreeByteChip = 16u << 20;

std::vector<Problem> checkEntry(const ChipEntry& chip);
// The entries one by one and against each other (names, IDs under flashrom's names).
std::vector<Problem> checkCatalogue(const std::vector<ChipEntry>& chips);

}  // namespace zel::catalogue
