// zelinfo --chips against the catalogue the build compiled: every chip in one aligned row that
// agrees with its catalogue line, and the name filter. Needs no emulator: ZELMOR_SIM is unset.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "CatalogueData.h"
#include "ProgramRun.h"

namespace zel::catalogue {
namespace {

struct ListedChip {
    std::string name, maker;
    uint64_t size = 0;
    unsigned millivolts = 0;
    std::string fourByte, sfdp;
};

ListedChip parseRow(const std::string& line) {
    std::istringstream in(line);
    ListedChip chip;
    std::string unit, volt;
    double volts = 0;
    in >> chip.name >> chip.maker >> chip.size >> unit >> volts >> volt >> chip.fourByte >> chip.sfdp;
    chip.size <<= unit == "MiB" ? 20 : unit == "KiB" ? 10 : 0;
    chip.millivolts = static_cast<unsigned>(volts * 1000 + 0.5);
    return chip;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

// Where each header word starts; every row must start a cell there.
std::vector<size_t> columnStarts(const std::string& header) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < header.size(); ++i)
        if (header[i] != ' ' && (i == 0 || header[i - 1] == ' ')) starts.push_back(i);
    return starts;
}

zel::test::ProgramResult listChips(std::vector<std::string> arguments) {
    ::unsetenv("ZELMOR_SIM");
    arguments.insert(arguments.begin(), "--chips");
    return zel::test::runProgram(ZELINFO_PATH, arguments);
}

TEST(ChipList, EveryCatalogueChipInOneAlignedRowSortedByName) {
    const auto run = listChips({});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const auto rows = lines(run.output);
    ASSERT_EQ(rows.size(), test::shippedChips().size() + 1);
    ASSERT_EQ(rows[0].substr(0, 4), "chip");
    const auto starts = columnStarts(rows[0]);
    ASSERT_EQ(starts.size(), 6u);
    auto chips = test::shippedChips();
    std::sort(chips.begin(), chips.end(), [](const auto& a, const auto& b) { return a.chip < b.chip; });
    for (size_t i = 0; i < chips.size(); ++i) {
        const auto& row = rows[i + 1];
        SCOPED_TRACE(row);
        for (size_t start : starts) {
            ASSERT_LT(start, row.size());
            EXPECT_NE(row[start], ' ');
            if (start > 0) {
                EXPECT_EQ(row[start - 1], ' ');
            }
        }
        const auto listed = parseRow(row);
        EXPECT_EQ(listed.name, chips[i].chip);
        EXPECT_EQ(listed.maker, chips[i].maker);
        EXPECT_EQ(listed.size, chips[i].size);
        EXPECT_EQ(listed.millivolts, chips[i].millivolts);
        EXPECT_EQ(listed.fourByte, chips[i].hasFourByteAddressing() ? "yes" : "no");
        EXPECT_EQ(listed.sfdp, chips[i].hasSfdp() ? "yes" : "no");
    }
}

TEST(ChipList, PatternKeepsTheNamesThatContainItInAnyCase) {
    const auto run = listChips({"w25Q128"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    std::vector<std::string> listed;
    for (const auto& row : lines(run.output)) listed.push_back(parseRow(row).name);
    std::vector<std::string> expected{"chip"};
    for (const auto& chip : test::shippedChips())
        if (chip.chip.find("W25Q128") != std::string::npos) expected.push_back(chip.chip);
    std::sort(expected.begin() + 1, expected.end());
    EXPECT_GE(expected.size(), 3u);
    EXPECT_EQ(listed, expected);

    const auto none = listChips({"no-such-chip"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.output, "");
    EXPECT_NE(none.errors.find("no-such-chip"), std::string::npos) << none.errors;
}

}  // namespace
}  // namespace zel::catalogue
