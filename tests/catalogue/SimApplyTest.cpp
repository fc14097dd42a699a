// Catalogue files applied through the API to simulated emulators of both generations, on both
// targets: the emulator's registers then hold the identity REGISTERS.md describes at the target's
// registers, its levels are the chip's supply, and its SFDP table is the chip's.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>

#include "CatalogueData.h"
#include "DocumentedIdentity.h"
#include "SfdpTable.h"
#include "SimProcess.h"
#include "chipcfg/ConfigFolder.h"
#include "text/TextCodec.h"
#include "zelapi.h"

namespace zel::catalogue {
namespace {

const ChipEntry& catalogueChip(const std::string& name) {
    const auto& chips = test::shippedChips();
    auto it = std::find_if(chips.begin(), chips.end(), [&](const ChipEntry& c) { return c.chip == name; });
    if (it == chips.end()) throw std::runtime_error(name + " is not in the catalogue");
    return *it;
}

std::wstring pathOf(const ChipEntry& chip) {
    auto path = chipcfg::configFilePath(test::kProgramFolder, chipcfg::ProductLine::ZelmorPro, text::utf8ToWide(chip.chip));
    return text::utf8ToWide(path->string());
}

std::vector<std::uint16_t> hexWords(const std::string& text) {
    std::vector<std::uint16_t> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(static_cast<std::uint16_t>(std::stoul(word, nullptr, 16)));
    return words;
}

std::vector<std::uint16_t> tableWords(const ChipEntry& chip) {
    const auto bytes = sfdp::buildTable(chip);
    std::vector<std::uint16_t> words;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) words.push_back(static_cast<std::uint16_t>(bytes[i] | bytes[i + 1] << 8));
    return words;
}

std::string levelText(const ChipEntry& chip) {
    std::string text;
    for (auto level : test::documentedLevels(chip.millivolts))
        text += std::to_string(level.channel) + "=" + std::to_string(level.value) + "\n";
    return text;
}

class CatalogueOnSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        sim_.emplace(std::vector<std::string>{"gen=2", "gen=1"});
        sim_->exportEnvironment();
        CliInitialZelmorProDLL();
        ASSERT_EQ(CliCheckUSBDeviceNum(), 2);
    }
    void TearDown() override {
        CliCloseUSBDevice();
        CliCloseZelmorProDLL();
    }

    void expectImpersonates(int device, bool target2, const ChipEntry& chip) {
        SCOPED_TRACE(chip.chip + " on device " + std::to_string(device) + (target2 ? " target 2" : " target 1"));
        const unsigned slot = target2 ? 1 : 0;
        for (auto [reg, value] : test::documentedIdentity(chip))
            EXPECT_EQ(sim_->reg(device, static_cast<std::uint8_t>(reg + 0x70 * slot)), value) << "register " << int(reg);
        EXPECT_EQ(sim_->control("levels " + std::to_string(device)), levelText(chip));
        EXPECT_EQ(hexWords(sim_->control("table " + std::to_string(device) + " sfdp " + std::to_string(slot))),
                  tableWords(chip));
    }

    std::optional<zel::test::SimProcess> sim_;
};

TEST_F(CatalogueOnSimulator, EachTargetOfEachGenerationTakesItsChipsIdentity) {
    const auto& sfdp15 = catalogueChip("W25Q128JV-IQ");
    const auto& stacked = catalogueChip("MT25QL01GBBB");  // 4-byte table, die erase
    const auto& noSfdp = catalogueChip("M25P80");
    const auto& lowVoltage = catalogueChip("MX25U51245G");

    CliSetChipType(pathOf(sfdp15).c_str(), false, 0);
    expectImpersonates(0, false, sfdp15);
    CliSetChipType(pathOf(stacked).c_str(), true, 1);
    expectImpersonates(1, true, stacked);

    // The other target of each device takes another chip; the first keeps its identity.
    CliSetChipType(pathOf(noSfdp).c_str(), true, 0);
    expectImpersonates(0, true, noSfdp);
    CliSetChipType(pathOf(lowVoltage).c_str(), false, 1);
    expectImpersonates(1, false, lowVoltage);
    for (auto [reg, value] : test::documentedIdentity(sfdp15)) EXPECT_EQ(sim_->reg(0, reg), value);
    for (auto [reg, value] : test::documentedIdentity(stacked)) EXPECT_EQ(sim_->reg(1, reg + 0x70), value);
}

}  // namespace
}  // namespace zel::catalogue
