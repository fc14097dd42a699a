// The files the build wrote from the catalogue, read back with the .cfg reader and walked as the
// device link walks them: header and names, SFDP presence, the identity registers of
// REGISTERS.md for both chip slots and generations, the supply levels and the SFDP table.
#include <gtest/gtest.h>

#include <algorithm>

#include "CatalogueData.h"
#include "DocumentedIdentity.h"
#include "SfdpReader.h"
#include "SfdpTable.h"
#include "chipcfg/ChipConfigFile.h"
#include "chipcfg/ConfigFolder.h"
#include "chipcfg/WalkRecorder.h"
#include "text/TextCodec.h"

namespace zel::catalogue {
namespace {

namespace fs = std::filesystem;
using chipcfg::ChipSlot;
using chipcfg::ProductLine;
using chipcfg::RegisterWrite;
using chipcfg::WalkOperation;
using chipcfg::WriteKind;
using test::shippedChips;

fs::path fileOf(const ChipEntry& chip, ProductLine line) {
    return chipcfg::configFolder(test::kProgramFolder, line) / (chip.chip + ".cfg");
}

std::vector<std::uint8_t> bytesOf(const fs::path& file) {
    auto loaded = chipcfg::loadChipConfigBytes(file);
    return loaded ? *loaded : std::vector<std::uint8_t>{};
}

std::vector<WalkOperation> expectedWalk(const ChipEntry& chip, ChipSlot slot) {
    const unsigned s = static_cast<unsigned>(slot);
    std::vector<WalkOperation> ops;
    for (auto [reg, value] : test::documentedIdentity(chip))
        ops.push_back(RegisterWrite{WriteKind::Setting, static_cast<std::uint8_t>(reg + 0x70 * s), value});
    for (auto level : test::documentedLevels(chip.millivolts))
        ops.push_back(chipcfg::LevelSet{level.channel, level.value, false});
    const auto table = sfdp::buildTable(chip);
    if (!table.empty()) {
        ops.push_back(RegisterWrite{WriteKind::SfdpSelect, 0xC9, static_cast<std::uint16_t>(s + 1)});
        for (std::size_t i = 0; i + 1 < table.size(); i += 2)
            ops.push_back(RegisterWrite{WriteKind::SfdpData, static_cast<std::uint8_t>(0xC1 + s),
                                        static_cast<std::uint16_t>(table[i] | table[i + 1] << 8)});
    }
    ops.push_back(RegisterWrite{WriteKind::ProtectionSelect, 0xC4, static_cast<std::uint16_t>(s + 1)});
    ops.push_back(chipcfg::WalkFinished{});
    return ops;
}

// The SFDP table as the device receives it through its data port.
std::vector<std::uint8_t> sfdpSent(const std::vector<WalkOperation>& ops) {
    std::vector<std::uint8_t> bytes;
    for (const auto& op : ops)
        if (auto* write = std::get_if<RegisterWrite>(&op); write && write->kind == WriteKind::SfdpData) {
            bytes.push_back(static_cast<std::uint8_t>(write->value));
            bytes.push_back(static_cast<std::uint8_t>(write->value >> 8));
        }
    return bytes;
}

TEST(BuiltConfigFiles, BothProductLinesHoldTheSameFileForEveryChip) {
    for (const auto& chip : shippedChips()) {
        SCOPED_TRACE(chip.chip);
        const auto current = bytesOf(fileOf(chip, ProductLine::ZelmorPro));
        ASSERT_FALSE(current.empty()) << fileOf(chip, ProductLine::ZelmorPro) << " is missing";
        EXPECT_EQ(bytesOf(fileOf(chip, ProductLine::EarlierModel)), current);
    }
}

TEST(BuiltConfigFiles, HeaderNamesSupplyAndOptionsAreTheCatalogues) {
    for (const auto& chip : shippedChips()) {
        SCOPED_TRACE(chip.chip);
        auto file = chipcfg::readChipConfigFile(fileOf(chip, ProductLine::ZelmorPro));
        ASSERT_TRUE(file) << file.error().message;
        ASSERT_TRUE(file->hasMagic() && file->info);
        EXPECT_EQ(file->chipSize(), chip.size);
        EXPECT_EQ(file->info->vendorAnsi, chip.maker);
        EXPECT_EQ(file->info->chipNameAnsi, chip.chip);
        EXPECT_FALSE(file->info->vendorTruncated || file->info->chipNameTruncated);
        EXPECT_EQ(file->info->voltageMillivolts, chip.millivolts);
        EXPECT_EQ(file->info->options, (chipcfg::ChipOptions{chip.fixedAddressMode, chip.qeAsShipped, chip.dieErase}));
    }
}

TEST(BuiltConfigFiles, SfdpMarkerSitsAtOffset180ExactlyWhenTheChipHasSfdp) {
    for (const auto& chip : shippedChips()) {
        SCOPED_TRACE(chip.chip);
        const auto path = fileOf(chip, ProductLine::ZelmorPro);
        const auto bytes = bytesOf(path);
        EXPECT_EQ(chipcfg::hasSfdpMarker(bytes), chip.hasSfdp());
        EXPECT_EQ(chipcfg::fileHasSfdp(path), chip.hasSfdp());
        if (chip.hasSfdp()) {
            EXPECT_TRUE(bytes.size() > 184 && std::equal(bytes.begin() + 180, bytes.begin() + 184, "SFDP"));
        }
    }
}

TEST(BuiltConfigFiles, WalkCarriesTheDocumentedIdentityLevelsAndTableOnEverySlotAndGeneration) {
    for (const auto& chip : shippedChips()) {
        SCOPED_TRACE(chip.chip);
        const auto bytes = bytesOf(fileOf(chip, ProductLine::ZelmorPro));
        for (auto slot : {ChipSlot::First, ChipSlot::Second})
            for (bool g2 : {false, true}) {
                SCOPED_TRACE(std::string("slot ") + (slot == ChipSlot::First ? "0" : "1") + (g2 ? ", G2" : ", first generation"));
                auto walk = chipcfg::recordWalk(bytes, slot, [g2] { return g2; });
                ASSERT_TRUE(walk) << walk.error().message;
                EXPECT_EQ(*walk, expectedWalk(chip, slot));
            }
    }
}

TEST(BuiltConfigFiles, SfdpTableTheDeviceReceivesStatesTheFilesChipSize) {
    for (const auto& chip : shippedChips()) {
        if (!chip.hasSfdp()) continue;
        SCOPED_TRACE(chip.chip);
        const auto bytes = bytesOf(fileOf(chip, ProductLine::ZelmorPro));
        auto walk = chipcfg::recordWalk(bytes, ChipSlot::First, {});
        ASSERT_TRUE(walk);
        std::string why;
        const auto table = test::readSfdp(sfdpSent(*walk), why);
        ASSERT_TRUE(table) << why;
        EXPECT_EQ(test::basicFields(table->parameters.front().dwords).densityBytes, chipcfg::readLe32(bytes, 12));
    }
}

TEST(BuiltConfigFiles, ConfigFolderListsEveryCatalogueChip) {
    for (auto line : {ProductLine::ZelmorPro, ProductLine::EarlierModel}) {
        const auto listed = chipcfg::listConfigFiles(chipcfg::configFolder(test::kProgramFolder, line));
        for (const auto& chip : shippedChips())
            EXPECT_NE(std::find(listed.begin(), listed.end(), fileOf(chip, line)), listed.end()) << chip.chip;
    }
}

}  // namespace
}  // namespace zel::catalogue
