#include "dialogs/core/ChipLists.h"

#include <algorithm>
#include <cctype>

namespace zel::gui {
namespace {

char lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool equalNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lower(x) == lower(y);
           });
}

bool startsWithNoCase(std::string_view text, std::string_view start)
{
    return text.size() >= start.size() && equalNoCase(text.substr(0, start.size()), start);
}

// Case-insensitive order; names equal but for case keep a fixed order.
bool lessNoCase(std::string_view a, std::string_view b)
{
    const auto byLower = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                      [](char x, char y) { return lower(x) < lower(y); });
    if (byLower || !equalNoCase(a, b))
        return byLower;
    return a < b;
}

bool ofMaker(const CatalogueChip& chip, std::string_view maker)
{
    return maker == kAllMakers || chip.maker == maker;
}

void sortEntries(std::vector<ChipListEntry>& entries)
{
    std::ranges::sort(entries, [](const auto& a, const auto& b) { return lessNoCase(a.text, b.text); });
}

std::string withSfdpSuffix(const std::string& name)
{
    const bool hasSuffix = name.size() >= kSfdpSuffix.size() &&
                           equalNoCase(std::string_view(name).substr(name.size() - kSfdpSuffix.size()), kSfdpSuffix);
    return hasSuffix ? name : name + std::string(kSfdpSuffix);
}

template <class Texts>
std::optional<size_t> findRow(const Texts& texts, std::string_view start, auto textOf)
{
    if (start.empty())
        return std::nullopt;
    for (const auto& test : {equalNoCase, startsWithNoCase}) {
        for (size_t row = 0; row < texts.size(); ++row)
            if (test(textOf(texts[row]), start))
                return row;
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::string> makerEntries(const ChipCatalogue& catalogue)
{
    std::vector<std::string> makers;
    for (const auto& chip : catalogue.chips())
        if (std::ranges::find(makers, chip.maker) == makers.end())
            makers.push_back(chip.maker);
    std::ranges::sort(makers, lessNoCase);
    makers.insert(makers.begin(), std::string(kAllMakers));
    return makers;
}

std::vector<ChipListEntry> chipEntries(const ChipCatalogue& catalogue, std::string_view maker)
{
    std::vector<ChipListEntry> entries;
    for (const auto& chip : catalogue.chips())
        if (ofMaker(chip, maker))
            entries.push_back({chip.name, chip.name});
    sortEntries(entries);
    return entries;
}

std::vector<ChipListEntry> sfdpEntries(const ChipCatalogue& catalogue, std::string_view maker)
{
    std::vector<ChipListEntry> entries;
    for (const auto& chip : catalogue.chips())
        if (chip.sfdp && ofMaker(chip, maker))
            entries.push_back({withSfdpSuffix(chip.name), chip.name});
    sortEntries(entries);
    return entries;
}

std::optional<size_t> rowStartingWith(std::span<const std::string> texts, std::string_view start)
{
    return findRow(texts, start, [](const std::string& text) -> std::string_view { return text; });
}

std::optional<size_t> rowStartingWith(std::span<const ChipListEntry> entries, std::string_view start)
{
    return findRow(entries, start, [](const ChipListEntry& entry) -> std::string_view { return entry.text; });
}

size_t initialMakerRow(std::span<const std::string> makerTexts, std::string_view currentMaker)
{
    if (const auto row = rowStartingWith(makerTexts, currentMaker))
        return *row;
    return makerTexts.size() > 1 ? 1 : 0;
}

}  // namespace zel::gui
