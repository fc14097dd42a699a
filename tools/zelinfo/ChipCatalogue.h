// zelinfo --chips: the chip catalogue beside the programs (config/ZelmorPro/*.cfg), one row per
// chip from the file headers alone, so it needs neither an emulator nor the API.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zel::info {

struct ChipRow {
    std::string name;               // the file's stem: what zelcmd --set takes
    std::string maker;              // "-" for a file without chip information
    uint32_t size = 0;              // bytes
    uint16_t voltageMillivolts = 0; // 0 when the file does not say
    bool fourByte = false;
    bool sfdp = false;
};

// Whether the chip can use 4-byte addresses: one that can switch addressing modes does, and so
// does one beyond 16 MiB, whose top cannot be reached otherwise.
bool canAddressFourBytes(uint32_t size, bool fixedAddressMode);

// Whether `name` contains `pattern`, ASCII letters compared without regard to case.
bool nameContains(std::string_view name, std::string_view pattern);

// "512 KiB", "16 MiB": the largest unit that divides the size, else bytes.
std::string describeSize(uint32_t bytes);

// A header row and one row per chip, each column as wide as its widest cell.
std::string formatChipTable(std::span<const ChipRow> rows);

// Rows for the .cfg files of `folder` whose names contain `pattern`, sorted by name. Files that
// cannot be read are left out and named with the reason in `skipped`.
std::vector<ChipRow> readChipRows(const std::filesystem::path& folder, std::string_view pattern,
                                  std::vector<std::string>& skipped);

// Prints the table of the program folder's catalogue; 0, or 1 when no chip matches.
int listChips(const std::filesystem::path& programFolder, std::string_view pattern);

}  // namespace zel::info
