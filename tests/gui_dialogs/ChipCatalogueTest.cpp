// The chip catalogue read from a configuration folder and the lists the chip dialog shows.
#include "dialogs/core/ChipCatalogue.h"
#include "dialogs/core/ChipLists.h"

#include "chipcfg/ChipConfigWriter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zel::gui {
namespace {

constexpr uint32_t MiB = 1u << 20;

void writeChip(const std::filesystem::path& folder, const std::wstring& maker, const std::wstring& name,
               uint32_t size, bool sfdp = false)
{
    chipcfg::ChipConfigDescription chip;
    chip.vendor = maker;
    chip.chipName = name;
    chip.chipSize = size;
    chip.voltageMillivolts = 1800;
    if (sfdp) {
        chip.sfdpWords = {0x4653, 0x5044};
    }
    ASSERT_TRUE(chipcfg::saveChipConfig(folder / (name + L".cfg"), chip).ok());
}

std::vector<std::string> texts(const std::vector<ChipListEntry>& entries)
{
    std::vector<std::string> shown;
    for (const auto& entry : entries)
        shown.push_back(entry.text);
    return shown;
}

CatalogueChip chip(std::string name, std::string maker, bool sfdp = false)
{
    return {name, maker, name + ".cfg", 16 * MiB, 3300, false, sfdp};
}

TEST(ChipCatalogueRead, OffersEveryReadableChipTheBufferCanHold)
{
    test::TempDir folder;
    writeChip(folder.path(), L"Winbond", L"W25Q128JV", 16 * MiB, true);
    writeChip(folder.path(), L"Winbond", L"W25Q512JV", 64 * MiB);
    writeChip(folder.path(), L"Micron", L"MT25QL01G", 128 * MiB);
    writeChip(folder.path(), L"Macronix", L"MX66L2G45G", 256 * MiB);
    test::writeBytes(folder / "broken.cfg", "short");
    test::writeBytes(folder / "notes.txt", "not a configuration");
    // Older files carry no chip information: offered under their file name.
    test::writeBytes(folder / "OLD25X40.CFG", std::string(64, '\0').replace(12, 4, "\x00\x00\x08\x00", 4));

    const auto firstGeneration = ChipCatalogue::read(folder.path(), 64 * MiB);
    std::vector<std::string> names;
    for (const auto& chip : firstGeneration.chips())
        names.push_back(chip.name);
    EXPECT_EQ(names, (std::vector<std::string>{"OLD25X40", "W25Q128JV", "W25Q512JV"}));
    EXPECT_EQ(firstGeneration.chips()[0].maker, kUnknownMaker);

    // A G2's 256 MiB buffer holds chips that the product-name rule would hide.
    const auto g2 = ChipCatalogue::read(folder.path(), 256 * MiB);
    ASSERT_TRUE(g2.find("MX66L2G45G"));
    ASSERT_TRUE(g2.find("MT25QL01G"));
    const auto large = *g2.find("MX66L2G45G");
    EXPECT_EQ(large.maker, "Macronix");
    EXPECT_EQ(large.size, 256 * MiB);
    EXPECT_EQ(large.baseName(), "MX66L2G45G");
    EXPECT_TRUE(g2.find("W25Q128JV")->sfdp);
    EXPECT_FALSE(g2.find("W25Q512JV")->sfdp);

    EXPECT_TRUE(ChipCatalogue::read(folder / "missing", 256 * MiB).empty());
}

TEST(ChipCatalogueLookup, AMissChangesNothingAndSaysSo)
{
    test::TempDir folder;
    writeChip(folder.path(), L"Winbond", L"W25Q64JV", 8 * MiB);
    writeChip(folder.path(), L"Winbond", L"W25Q128JV", 16 * MiB);
    const auto found = lookupChip(folder.path(), 64 * MiB, "W25Q128JV");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->file, folder / "W25Q128JV.cfg");

    // The file went after the dialog listed it: the lookup finds nothing rather than another chip.
    std::filesystem::remove(folder / "W25Q128JV.cfg");
    EXPECT_FALSE(lookupChip(folder.path(), 64 * MiB, "W25Q128JV"));
    EXPECT_FALSE(lookupChip(folder.path(), 64 * MiB, "w25q64jv"));
    EXPECT_EQ(chipNotFoundLine("W25Q128JV"),
              "Error: No chip configuration for W25Q128JV was found; the chip is not changed.");
}

TEST(ChipLists, SortedWithoutRegardToCaseWithAllFirst)
{
    const ChipCatalogue catalogue({chip("w25q64", "winbond"), chip("MX25L256", "Macronix"),
                                   chip("AT25SF128", "adesto"), chip("W25Q128", "winbond"),
                                   chip("mx25l128", "Macronix")});
    EXPECT_EQ(makerEntries(catalogue), (std::vector<std::string>{"<ALL>", "adesto", "Macronix", "winbond"}));
    EXPECT_EQ(texts(chipEntries(catalogue, "winbond")), (std::vector<std::string>{"W25Q128", "w25q64"}));
    EXPECT_EQ(texts(chipEntries(catalogue, "<ALL>")),
              (std::vector<std::string>{"AT25SF128", "mx25l128", "MX25L256", "W25Q128", "w25q64"}));
    EXPECT_TRUE(chipEntries(catalogue, "Micron").empty());
    EXPECT_EQ(makerEntries(ChipCatalogue()), (std::vector<std::string>{"<ALL>"}));
}

TEST(ChipLists, SfdpFilterDecoratesTheTextAndKeepsTheRealName)
{
    const ChipCatalogue catalogue({chip("AB-SFDP1", "Acme", true), chip("CD25-sfdp", "Acme", true),
                                   chip("EF25", "Acme", false), chip("GH25", "Other", true)});
    const auto acme = sfdpEntries(catalogue, "Acme");
    ASSERT_EQ(acme.size(), 2u);
    // Cutting at the first "-SFDP" would have turned this chip into "AB".
    EXPECT_EQ(acme[0].text, "AB-SFDP1-SFDP");
    EXPECT_EQ(acme[0].chip, "AB-SFDP1");
    EXPECT_EQ(acme[1].text, "CD25-sfdp");
    EXPECT_EQ(acme[1].chip, "CD25-sfdp");
    EXPECT_EQ(texts(sfdpEntries(catalogue, "<ALL>")),
              (std::vector<std::string>{"AB-SFDP1-SFDP", "CD25-sfdp", "GH25-SFDP"}));
}

TEST(ChipLists, SelectionFollowsWhatTheUserHadChosen)
{
    const std::vector<std::string> makers{"<ALL>", "GigaDevice", "Macronix", "Winbond"};
    EXPECT_EQ(initialMakerRow(makers, "macronix"), 2u);
    EXPECT_EQ(initialMakerRow(makers, "Retired Maker"), 1u);
    EXPECT_EQ(initialMakerRow(makers, ""), 1u);
    EXPECT_EQ(initialMakerRow(std::vector<std::string>{"<ALL>"}, "Winbond"), 0u);

    const std::vector<ChipListEntry> chips{{"W25Q128FV", "W25Q128FV"}, {"W25Q128JV", "W25Q128JV"}};
    EXPECT_EQ(rowStartingWith(chips, "w25q128jv"), 1u);  // an exact name beats an earlier prefix
    EXPECT_EQ(rowStartingWith(chips, "W25Q128"), 0u);
    EXPECT_EQ(rowStartingWith(chips, "W25Q256"), std::nullopt);
    EXPECT_EQ(rowStartingWith(chips, ""), std::nullopt);
}

}  // namespace
}  // namespace zel::gui
