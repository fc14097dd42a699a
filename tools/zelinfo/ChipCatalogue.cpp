#include "ChipCatalogue.h"

#include "chipcfg/ChipConfigFile.h"
#include "chipcfg/ConfigFolder.h"
#include "text/TextCodec.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

namespace zel::info {
namespace {

constexpr uint32_t kThreeByteReach = 16u << 20;
constexpr size_t kColumns = 6;
using Cells = std::array<std::string, kColumns>;

std::string describeVoltage(uint16_t millivolts)
{
    if (millivolts == 0)
        return "-";
    return std::to_string(millivolts / 1000) + "." + std::to_string(millivolts % 1000 / 100) + " V";
}

Cells cellsOf(const ChipRow& row)
{
    return {row.name, row.maker, describeSize(row.size), describeVoltage(row.voltageMillivolts),
            row.fourByte ? "yes" : "no", row.sfdp ? "yes" : "no"};
}

std::string formatLine(const Cells& cells, const std::array<size_t, kColumns>& widths)
{
    std::string line;
    for (size_t column = 0; column < kColumns; ++column) {
        line += cells[column];
        if (column + 1 < kColumns)
            line.append(widths[column] - cells[column].size() + 2, ' ');
    }
    return line + "\n";
}

ChipRow rowOf(const std::filesystem::path& file, const chipcfg::ChipConfigFile& config)
{
    ChipRow row{file.stem().string(), "-", config.chipSize(), 0, false, config.hasSfdp};
    bool fixedAddressMode = false;
    if (config.info) {
        row.maker = text::wideToUtf8(config.info->vendor());
        row.voltageMillivolts = config.info->voltageMillivolts;
        fixedAddressMode = config.info->options.fixedAddressMode;
    }
    row.fourByte = canAddressFourBytes(row.size, fixedAddressMode);
    return row;
}

}  // namespace

bool canAddressFourBytes(uint32_t size, bool fixedAddressMode)
{
    return !fixedAddressMode || size > kThreeByteReach;
}

bool nameContains(std::string_view name, std::string_view pattern)
{
    const auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    return std::search(name.begin(), name.end(), pattern.begin(), pattern.end(), same) != name.end();
}

std::string describeSize(uint32_t bytes)
{
    if (bytes != 0 && bytes % (1u << 20) == 0)
        return std::to_string(bytes >> 20) + " MiB";
    if (bytes != 0 && bytes % (1u << 10) == 0)
        return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + " bytes";
}

std::string formatChipTable(std::span<const ChipRow> rows)
{
    const Cells header{"chip", "maker", "size", "supply", "4-byte", "SFDP"};
    std::vector<Cells> lines;
    lines.reserve(rows.size());
    for (const auto& row : rows)
        lines.push_back(cellsOf(row));
    std::array<size_t, kColumns> widths{};
    for (size_t column = 0; column < kColumns; ++column) {
        widths[column] = header[column].size();
        for (const auto& cells : lines)
            widths[column] = std::max(widths[column], cells[column].size());
    }
    std::string table = formatLine(header, widths);
    for (const auto& cells : lines)
        table += formatLine(cells, widths);
    return table;
}

std::vector<ChipRow> readChipRows(const std::filesystem::path& folder, std::string_view pattern,
                                  std::vector<std::string>& skipped)
{
    std::vector<ChipRow> rows;
    for (const auto& file : chipcfg::listConfigFiles(folder)) {
        if (!nameContains(file.stem().string(), pattern))
            continue;
        const auto config = chipcfg::readChipConfigFile(file);
        if (config)
            rows.push_back(rowOf(file, *config));
        else
            skipped.push_back(file.string() + ": " + config.error().message);
    }
    return rows;
}

int listChips(const std::filesystem::path& programFolder, std::string_view pattern)
{
    const auto folder = chipcfg::configFolder(programFolder, chipcfg::ProductLine::ZelmorPro);
    std::vector<std::string> skipped;
    const auto rows = readChipRows(folder, pattern, skipped);
    for (const auto& reason : skipped)
        std::fprintf(stderr, "zelinfo: skipped %s\n", reason.c_str());
    if (rows.empty()) {
        const std::string what = pattern.empty() ? "no chip configurations in " + folder.string()
                                                 : "no chip in " + folder.string() + " has \"" + std::string(pattern) +
                                                       "\" in its name";
        std::fprintf(stderr, "zelinfo: %s\n", what.c_str());
        return 1;
    }
    const std::string table = formatChipTable(rows);
    std::fwrite(table.data(), 1, table.size(), stdout);
    return 0;
}

}  // namespace zel::info
