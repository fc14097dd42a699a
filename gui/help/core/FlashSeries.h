// The about box's list of supported flash series, taken from the chip catalogue: a series is a
// chip name up to the letters after its first digits ("W25Q128JV-IQ" is of series "W25Q",
// "MX25L12835F" of "MX25L").
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/core/ChipCatalogue.h"

namespace zel::gui::help {

struct MakerSeries {
    std::string maker;
    std::vector<std::string> series;  // sorted, each once
};

std::string seriesOf(std::string_view chipName);

// One entry per maker in order of first appearance.
std::vector<MakerSeries> flashSeries(std::span<const CatalogueChip> chips);

// "Winbond: W25Q, W25X" lines, one per maker.
std::string flashSeriesText(const std::vector<MakerSeries>& series);

}  // namespace zel::gui::help
