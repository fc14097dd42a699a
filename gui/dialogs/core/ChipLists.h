// What the chip dialog's three lists show, from the catalogue: makers, a maker's chips and the
// SFDP filter's result. Every list is sorted without regard to case; "<ALL>" heads the maker list.
// Each chip entry keeps the chip's real name beside the text shown, so a name the filter decorated
// ("-SFDP") is never cut back by guessing.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/core/ChipCatalogue.h"

namespace zel::gui {

inline constexpr std::string_view kAllMakers = "<ALL>";
inline constexpr std::string_view kSfdpSuffix = "-SFDP";

struct ChipListEntry {
    std::string text;  // as shown
    std::string chip;  // the catalogue's name of the chip
};

// "<ALL>" followed by each maker once.
std::vector<std::string> makerEntries(const ChipCatalogue& catalogue);

// The chips of a maker, or of every maker for "<ALL>".
std::vector<ChipListEntry> chipEntries(const ChipCatalogue& catalogue, std::string_view maker);

// The chips of chipEntries that carry an SFDP table, each shown with "-SFDP" appended unless its
// name already ends so (any case).
std::vector<ChipListEntry> sfdpEntries(const ChipCatalogue& catalogue, std::string_view maker);

// The row a list box selects for a typed start: an entry equal to it (any case), else the first
// entry beginning with it (any case); none for an empty start or no such entry.
std::optional<size_t> rowStartingWith(std::span<const std::string> texts, std::string_view start);
std::optional<size_t> rowStartingWith(std::span<const ChipListEntry> entries, std::string_view start);

// The maker row the dialog opens on: the current maker's, else the first maker (row 1), else
// "<ALL>" when the catalogue is empty.
size_t initialMakerRow(std::span<const std::string> makerTexts, std::string_view currentMaker);

}  // namespace zel::gui
