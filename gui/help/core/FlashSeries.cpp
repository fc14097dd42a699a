#include "FlashSeries.h"

#include <algorithm>
#include <cctype>

namespace zel::gui::help {
namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

}  // namespace

std::string seriesOf(std::string_view chipName) {
    std::size_t at = 0;
    while (at < chipName.size() && isLetter(chipName[at])) ++at;
    const std::size_t digits = at;
    while (at < chipName.size() && isDigit(chipName[at])) ++at;
    if (at == digits) return std::string(chipName);  // no number: the name is its own series
    const std::size_t letters = at;
    while (at < chipName.size() && isLetter(chipName[at])) ++at;
    return std::string(chipName.substr(0, at == letters ? letters : at));
}

std::vector<MakerSeries> flashSeries(std::span<const CatalogueChip> chips) {
    std::vector<MakerSeries> makers;
    for (const CatalogueChip& chip : chips) {
        auto maker = std::ranges::find(makers, chip.maker, &MakerSeries::maker);
        if (maker == makers.end()) maker = makers.insert(makers.end(), MakerSeries{chip.maker, {}});
        const std::string series = seriesOf(chip.name);
        if (std::ranges::find(maker->series, series) == maker->series.end()) maker->series.push_back(series);
    }
    for (MakerSeries& maker : makers) std::ranges::sort(maker.series);
    return makers;
}

std::string flashSeriesText(const std::vector<MakerSeries>& series) {
    std::string text;
    for (const MakerSeries& maker : series) {
        text += maker.maker + ":";
        for (std::size_t i = 0; i < maker.series.size(); ++i) text += (i == 0 ? " " : ", ") + maker.series[i];
        text += "\n";
    }
    return text;
}

}  // namespace zel::gui::help
