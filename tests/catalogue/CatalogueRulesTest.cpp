// The shipped catalogue against the rules every chip must keep, and the builder's refusal of
// lines that break them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "CatalogueData.h"
#include "CatalogueRules.h"

namespace zel::catalogue {
namespace {

using test::shippedCatalogue;
using test::shippedChips;

std::string lowerCase(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

TEST(ShippedCatalogue, ReadsAndPassesTheBuildersChecks) {
    for (const auto& problem : shippedCatalogue().problems) ADD_FAILURE() << describe(problem, "chips.txt");
    for (const auto& problem : checkCatalogue(shippedChips())) ADD_FAILURE() << describe(problem, "chips.txt");
}

TEST(ShippedCatalogue, CoversMakersSizesSuppliesAndAddressing) {
    const auto& chips = shippedChips();
    std::map<std::string, int> makers;
    std::set<std::uint32_t> sizes;
    std::set<std::uint16_t> supplies;
    for (const auto& chip : chips) {
        ++makers[chip.maker];
        sizes.insert(chip.size);
        supplies.insert(chip.millivolts);
    }
    EXPECT_GE(chips.size(), 60u);
    EXPECT_GE(makers.size(), 8u);
    EXPECT_TRUE(sizes.count(512u << 10) && sizes.count(128u << 20)) << "the smallest and the largest size";
    EXPECT_EQ(supplies, (std::set<std::uint16_t>{1800, 2500, 3300}));
    auto any = [&](auto predicate) { return std::any_of(chips.begin(), chips.end(), predicate); };
    EXPECT_TRUE(any([](const ChipEntry& c) { return c.addressMode == AddressMode::ThreeByte; }));
    EXPECT_TRUE(any([](const ChipEntry& c) { return c.addressMode == AddressMode::Switchable && c.fourByteOpcodes; }));
    EXPECT_TRUE(any([](const ChipEntry& c) { return c.addressMode == AddressMode::Switchable && !c.fourByteOpcodes; }));
    EXPECT_TRUE(any([](const ChipEntry& c) { return c.hasSfdp(); }));
    EXPECT_TRUE(any([](const ChipEntry& c) { return !c.hasSfdp(); }));
    EXPECT_TRUE(any([](const ChipEntry& c) { return c.dieErase; }));
}

// Checked here in the rules' own words, apart from the builder's checks.
TEST(ShippedCatalogue, EveryChipKeepsTheRules) {
    for (const auto& chip : shippedChips()) {
        SCOPED_TRACE(chip.chip + " (line " + std::to_string(chip.line) + ")");
        EXPECT_TRUE(chip.size >= (512u << 10) && chip.size <= (128u << 20) && (chip.size & (chip.size - 1)) == 0)
            << "size " << chip.size;
        EXPECT_TRUE(chip.millivolts == 1800 || chip.millivolts == 2500 || chip.millivolts == 3300) << chip.millivolts;
        if (chip.size > (16u << 20)) {
            EXPECT_NE(chip.addressMode, AddressMode::ThreeByte) << "above 16 MiB";
        }
        EXPECT_EQ(chip.fixedAddressMode, chip.addressMode != AddressMode::Switchable);
        EXPECT_NE(chip.eraseSizes, 0);
        EXPECT_EQ((chip.fastReads & fastread::kQuad) != 0, chip.quad != QuadEnable::None);
        const auto id = chip.jedecId;
        EXPECT_LE(id, 0xFFFFFFu);
        EXPECT_NE(id >> 16, 0x00u);
        EXPECT_NE(id >> 16, 0xFFu);
    }
}

TEST(ShippedCatalogue, NamesAreUniqueAndEveryNameHasOneJedecId) {
    std::map<std::string, std::uint32_t> idOfFile;
    std::map<std::string, std::uint32_t> idOfFlashromName;
    std::map<std::uint32_t, int> namesOfId;
    for (const auto& chip : shippedChips()) {
        SCOPED_TRACE(chip.chip);
        EXPECT_TRUE(idOfFile.emplace(lowerCase(chip.chip), chip.jedecId).second) << "file name used twice";
        ++namesOfId[chip.jedecId];
        if (chip.flashromName.empty()) continue;
        auto [known, fresh] = idOfFlashromName.emplace(chip.flashromName, chip.jedecId);
        EXPECT_EQ(known->second, chip.jedecId) << "flashrom's " << chip.flashromName << " under two IDs";
    }
    // Chips sharing an ID are what flashrom's -c is for; the catalogue keeps some to test it.
    EXPECT_TRUE(std::any_of(namesOfId.begin(), namesOfId.end(), [](auto& entry) { return entry.second > 1; }));
}

constexpr const char* kGoodLine =
    "Acme  AC25Q128  ACQ128  16M  3300  EF4018  3  no  4K,32K,64K  112,122,114,144  sr2.1  1.5  fixed-addr\n";

struct BadLine {
    const char* line;
    const char* problem;  // a piece of the message
};

void PrintTo(const BadLine& bad, std::ostream* out) { *out << "\"" << bad.problem << "\""; }

class CatalogueRefusal : public ::testing::TestWithParam<BadLine> {};

TEST_P(CatalogueRefusal, NamesTheLineAndTheFault) {
    const std::string text = std::string("# comment\n") + kGoodLine + GetParam().line + "\n";
    auto catalogue = parseCatalogue(text);
    auto problems = catalogue.problems;
    auto rules = checkCatalogue(catalogue.chips);
    problems.insert(problems.end(), rules.begin(), rules.end());
    ASSERT_FALSE(problems.empty()) << GetParam().line;
    bool found = false;
    for (const auto& problem : problems) {
        EXPECT_EQ(problem.line, 3) << problem.message;
        found = found || problem.message.find(GetParam().problem) != std::string::npos;
    }
    EXPECT_TRUE(found) << "expected \"" << GetParam().problem << "\" in " << problems.front().message;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CatalogueRefusal,
    ::testing::Values(
        BadLine{"Acme AC25Q64 - 8M 3300 EF4017 3 no 4K", "columns"},
        BadLine{"Acme AC25Q96 - 12M 3300 EF4017 3 no 4K - no - fixed-addr", "power of two"},
        BadLine{"Acme AC25Q02 - 256K 3300 EF4012 3 no 4K - no - fixed-addr", "power of two from 512K"},
        BadLine{"Acme AC25Q2G - 256M 3300 EF4022 3/4 no 4K - no - -", "to 128M"},
        BadLine{"Acme AC25Q64 - 8M 3000 EF4017 3 no 4K - no - fixed-addr", "voltage 3000"},
        BadLine{"Acme AC25Q64 - 8M 3300 EF40G7 3 no 4K - no - fixed-addr", "JEDEC ID"},
        BadLine{"Acme AC25Q64 - 8M 3300 FF4017 3 no 4K - no - fixed-addr", "manufacturer byte"},
        BadLine{"Acme AC25Q64 - 8M 3300 EF4653 3 no 4K - no - fixed-addr", "marker or terminator"},
        BadLine{"Acme AC25Q64 - 8M 3300 EF1FFF 3 no 4K - no - fixed-addr", "marker or terminator"},
        BadLine{"Acme AC25Q64 - 8M 3300 EF4017 3 no 8K - no - fixed-addr", "erase size \"8K\""},
        BadLine{"Acme AC25Q64 - 8M 3300 EF4017 3 no - - no - fixed-addr", "no erase size"},
        BadLine{"Acme AC25Q64 - 8M 3300 EF4017 3 no 4K 112,112 no - fixed-addr", "twice"},
        BadLine{"Acme AC25Q64 - 8M 3300 EF4017 3 no 4K 144 no - fixed-addr", "quad reads need"},
        BadLine{"Acme AC25Q64 - 8M 3300 EF4017 3 no 4K 112 sr1.6 - fixed-addr", "needs quad reads"},
        BadLine{"Acme AC25Q64 - 8M 3300 EF4017 3 no 4K 144 always - fixed-addr,qe", "needs a QE bit"},
        BadLine{"Acme AC25Q64 - 8M 3300 EF4017 3 no 4K - no 2.0 fixed-addr", "SFDP revision"},
        BadLine{"Acme AC25Q64 - 8M 3300 EF4017 3 maybe 4K - no - fixed-addr", "4bops"},
        BadLine{"Acme AC25Q64 - 8M 3300 EF4017 3 yes 4K - no - fixed-addr", "4-byte opcodes need"},
        BadLine{"Acme AC25Q256 - 32M 3300 EF4019 3 no 4K - no - fixed-addr", "above 16M"},
        BadLine{"Acme AC25Q64 - 8M 3300 EF4017 3 no 4K - no - -", "needs the fixed-addr"},
        BadLine{"Acme AC25Q256 - 32M 3300 EF4019 3/4 no 4K - no - fixed-addr", "must not have the fixed-addr"},
        BadLine{"Acme AC25Q64 - 8M 3300 EF4017 5 no 4K - no - fixed-addr", "addressing \"5\""},
        BadLine{"Acme AC25Q64 - 8M 3300 EF4017 3 no 4K - no - turbo", "option \"turbo\""},
        BadLine{"Acme ac25q128 - 16M 3300 EF4018 3 no 4K - no - fixed-addr", "already used on line 2"},
        BadLine{"Acme ../AC25Q64 - 8M 3300 EF4017 3 no 4K - no - fixed-addr", "chip name"},
        BadLine{"Acme AC25Q64 ACQ128 8M 3300 EF4017 3 no 4K - no - fixed-addr", "another JEDEC ID"}));

TEST(CatalogueReader, ReportsEveryBadLineAndKeepsTheGoodOnes) {
    const std::string text = std::string(kGoodLine) + "Acme AC1 - 1M 3300 EF4014 3 no\n" +
                             "Acme AC25Q32 - 4M 3300 EF4016 3 no 4K,64K 112 no - fixed-addr\n" +
                             "Acme AC2 - 1M 3300 XYZ 3 no 4K - no - fixed-addr\n";
    auto catalogue = parseCatalogue(text);
    ASSERT_EQ(catalogue.chips.size(), 2u);
    EXPECT_EQ(catalogue.chips[1].chip, "AC25Q32");
    EXPECT_EQ(catalogue.chips[1].line, 3);
    EXPECT_EQ(catalogue.chips[1].size, 4u << 20);
    EXPECT_EQ(catalogue.chips[1].eraseSizes, erase::k4K | erase::k64K);
    ASSERT_EQ(catalogue.problems.size(), 2u);
    EXPECT_EQ(catalogue.problems[0].line, 2);
    EXPECT_EQ(catalogue.problems[1].line, 4);
    EXPECT_EQ(describe(catalogue.problems[1], "chips.txt").rfind("chips.txt:4: ", 0), 0u);
    EXPECT_TRUE(checkCatalogue(catalogue.chips).empty());
}

TEST(CatalogueReader, ReadsEveryColumnOfALine) {
    auto catalogue = parseCatalogue(
        "Acme\tAC66U1G  AC66U1G/X  128M  1800  C2253B  3/4  yes  4K,64K  112,144  sr1.6  1.6  qe,die-erase\r\n");
    ASSERT_TRUE(catalogue.problems.empty()) << catalogue.problems.front().message;
    ASSERT_EQ(catalogue.chips.size(), 1u);
    const auto& c = catalogue.chips.front();
    EXPECT_EQ(c.maker, "Acme");
    EXPECT_EQ(c.flashromName, "AC66U1G/X");
    EXPECT_EQ(c.size, 128u << 20);
    EXPECT_EQ(c.millivolts, 1800);
    EXPECT_EQ(c.jedecId, 0xC2253Bu);
    EXPECT_EQ(c.addressMode, AddressMode::Switchable);
    EXPECT_TRUE(c.fourByteOpcodes);
    EXPECT_EQ(c.fastReads, fastread::k112 | fastread::k144);
    EXPECT_EQ(c.quad, QuadEnable::StatusBit6);
    EXPECT_EQ(c.sfdp, SfdpRevision::V1_6);
    EXPECT_FALSE(c.fixedAddressMode);
    EXPECT_TRUE(c.qeAsShipped);
    EXPECT_TRUE(c.dieErase);
}

TEST(CatalogueReader, EmptyCatalogueIsAProblem) {
    auto catalogue = parseCatalogue("# nothing but comments\n\n");
    EXPECT_TRUE(catalogue.problems.empty());
    EXPECT_FALSE(checkCatalogue(catalogue.chips).empty());
}

}  // namespace
}  // namespace zel::catalogue
