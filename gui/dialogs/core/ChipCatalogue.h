// The chips the chip dialog offers: one entry per chip-configuration file of the configuration
// folder, read from the files' headers. Read afresh each time the dialog opens, so files added
// while the program runs show up next time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zel::gui {

struct CatalogueChip {
    std::string name;   // the chip name the file holds (its file name without ".cfg" when it holds none)
    std::string maker;  // kUnknownMaker when the file holds no chip information
    std::filesystem::path file;
    uint32_t size = 0;  // bytes
    uint16_t voltageMillivolts = 0;
    bool fixedAddressMode = false;
    bool sfdp = false;

    // The configuration base name: the file name without ".cfg".
    std::string baseName() const { return file.stem().string(); }
};

inline constexpr std::string_view kUnknownMaker = "Unknown";

class ChipCatalogue {
public:
    ChipCatalogue() = default;
    explicit ChipCatalogue(std::vector<CatalogueChip> chips);

    // Every readable .cfg file of the folder whose chip is at most sizeLimit bytes (the host
    // buffer of the attached emulator; a larger chip could not be filled). Unreadable files are
    // left out; a missing folder gives an empty catalogue.
    static ChipCatalogue read(const std::filesystem::path& configFolder, uint64_t sizeLimit);

    std::span<const CatalogueChip> chips() const { return chips_; }
    bool empty() const { return chips_.empty(); }

    // The chip of exactly this name (the first file holding it, in file-name order); none when
    // no file names it. A miss must change nothing: the caller reports it and keeps its chip.
    std::optional<CatalogueChip> find(std::string_view name) const;

private:
    std::vector<CatalogueChip> chips_;  // in file-name order
};

// The configuration lookup after the dialog closes: the chip of this name in the folder as it is
// now (a file may have gone since the dialog read it). None when no file names it.
std::optional<CatalogueChip> lookupChip(const std::filesystem::path& configFolder, uint64_t sizeLimit,
                                        std::string_view name);

// The log line for a chip the lookup did not find; the selected chip stays as it was.
std::string chipNotFoundLine(std::string_view name);

}  // namespace zel::gui
