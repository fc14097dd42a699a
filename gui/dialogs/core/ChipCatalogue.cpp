#include "dialogs/core/ChipCatalogue.h"

#include "chipcfg/ChipConfigFile.h"
#include "chipcfg/ConfigFolder.h"
#include "text/TextCodec.h"

#include <algorithm>

namespace zel::gui {
namespace {

CatalogueChip entryOf(const std::filesystem::path& file, const chipcfg::ChipConfigFile& config)
{
    CatalogueChip chip{file.stem().string(), std::string(kUnknownMaker), file, config.chipSize(), 0, false,
                       config.hasSfdp};
    if (config.info) {
        // A file whose name fields are empty is still offered, under its file name.
        if (const auto name = text::wideToUtf8(config.info->chipName()); !name.empty())
            chip.name = name;
        if (const auto maker = text::wideToUtf8(config.info->vendor()); !maker.empty())
            chip.maker = maker;
        chip.voltageMillivolts = config.info->voltageMillivolts;
        chip.fixedAddressMode = config.info->options.fixedAddressMode;
    }
    return chip;
}

}  // namespace

ChipCatalogue::ChipCatalogue(std::vector<CatalogueChip> chips) : chips_(std::move(chips)) {}

ChipCatalogue ChipCatalogue::read(const std::filesystem::path& configFolder, uint64_t sizeLimit)
{
    std::vector<CatalogueChip> chips;
    for (const auto& file : chipcfg::listConfigFiles(configFolder)) {
        const auto config = chipcfg::readChipConfigFile(file);
        if (config && config.value().chipSize() <= sizeLimit)
            chips.push_back(entryOf(file, config.value()));
    }
    return ChipCatalogue(std::move(chips));
}

std::optional<CatalogueChip> ChipCatalogue::find(std::string_view name) const
{
    const auto found = std::ranges::find(chips_, name, &CatalogueChip::name);
    if (found == chips_.end())
        return std::nullopt;
    return *found;
}

std::optional<CatalogueChip> lookupChip(const std::filesystem::path& configFolder, uint64_t sizeLimit,
                                        std::string_view name)
{
    return ChipCatalogue::read(configFolder, sizeLimit).find(name);
}

std::string chipNotFoundLine(std::string_view name)
{
    return "Error: No chip configuration for " + std::string(name) + " was found; the chip is not changed.";
}

}  // namespace zel::gui
