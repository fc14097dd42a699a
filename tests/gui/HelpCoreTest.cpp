// The Help menu's Qt-free logic: which voltage firmware folder a running firmware leads to, the
// checks a firmware source passes before anything is asked, the update run's outcomes, the
// factory page's serial-number rules and the about box's flash series.
#include <gtest/gtest.h>

#include <string>

#include "FakeDevices.h"
#include "FirmwareSourceCheck.h"
#include "FirmwareUpdateRun.h"
#include "FlashSeries.h"
#include "SerialNumberInput.h"
#include "TempDir.h"
#include "VoltageFirmware.h"

namespace zel::gui::help {
namespace {

using gui::test::CallLog;
using gui::test::FakeDevices;
using gui::test::Lines;
using zel::test::TempDir;

TEST(VoltageFirmware, StemsFollowTheReleaseTable) {
    EXPECT_EQ(voltageFirmwareStem(91, 27, FirmwareVoltage::V3_3), "ZelmorProFW_0227091_3V3");
    EXPECT_EQ(voltageFirmwareStem(91, 27, FirmwareVoltage::V1_8), "ZelmorProFW_0227091_1V8");
    EXPECT_EQ(voltageFirmwareStem(69, 25, FirmwareVoltage::V3_3), "ZelmorProFW_0225069_3V3");
    EXPECT_EQ(voltageFirmwareStem(76, 26, FirmwareVoltage::V3_3), "ZelmorProFW_0226077_3V3") << "version 76 ships as 077";
    EXPECT_EQ(voltageFirmwareStem(84, 26, FirmwareVoltage::V1_8), "ZelmorProFW_0226084_1V8");
    EXPECT_EQ(voltageFirmwareStem(84, 27, FirmwareVoltage::V3_3), "ZelmorProFW_0227084_3V3");
    EXPECT_EQ(voltageFirmwareStem(84, 25, FirmwareVoltage::V3_3), std::nullopt) << "84 exists for revisions 26 and 27 only";
    for (std::uint8_t without : {0, 68, 77, 86, 90, 92, 95, 255})
        EXPECT_EQ(voltageFirmwareStem(without, 27, FirmwareVoltage::V3_3), std::nullopt) << int{without};
}

TEST(VoltageFirmware, TheScanTakesTheFirstMatchingFolderAndPassesFilesOver) {
    TempDir folder;
    const std::string stem = "ZelmorProFW_0227091_3V3";
    std::filesystem::create_directories(folder / ("b_" + stem));
    std::filesystem::create_directories(folder / ("a_" + stem + "_rev2"));
    std::filesystem::create_directories(folder / "ZelmorProFW_0227091_1V8");
    zel::test::writeBytes(folder / (stem + ".zip"), "not a folder");
    EXPECT_EQ(findVoltageFirmware(folder.path(), stem), folder / ("a_" + stem + "_rev2"));
    EXPECT_EQ(findVoltageFirmware(folder.path(), "ZelmorProFW_0227089_3V3"), std::nullopt);
    EXPECT_EQ(findVoltageFirmware(folder / "missing", stem), std::nullopt);
}

TEST(FirmwareSourceCheck, PathsGoWholeUpToWhatTheSystemOpens) {
    // Longer than the 260 characters a fixed buffer once held: it must reach the library whole.
    const std::filesystem::path deep = "/tmp/" + std::string(120, 'a') + "/" + std::string(120, 'b') + "/" +
                                       std::string(100, 'c') + "/update.vkfw";
    ASSERT_GT(deep.string().size(), 260u);
    EXPECT_EQ(firmwarePathProblem(deep), std::nullopt);

    std::filesystem::path tooLong = "/tmp";
    while (tooLong.string().size() <= kMaxPathBytes) tooLong /= std::string(200, 'x');
    const auto problem = firmwarePathProblem(tooLong);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("Move the firmware to a shorter path"), std::string::npos) << *problem;
    EXPECT_TRUE(firmwarePathProblem("/tmp/" + std::string(256, 'n')));
    EXPECT_TRUE(firmwarePathProblem(""));
}

TEST(FirmwareSourceCheck, EachGenerationTakesItsOwnDeliveryForm) {
    CallLog calls;
    FakeDevices api(calls);
    TempDir files;
    const auto container = files / "update.vkfw";
    zel::test::writeBytes(container, std::string(100, '\0'));

    api.fileSize = 100;
    EXPECT_EQ(firmwareSourceProblem(api, container, true), std::nullopt);
    EXPECT_TRUE(firmwareSourceProblem(api, files.path(), true)) << "a folder is no G2 container";
    api.fileSize = 71;
    EXPECT_NE(firmwareSourceProblem(api, container, true)->find("too short"), std::string::npos);
    api.fileSize.reset();
    EXPECT_NE(firmwareSourceProblem(api, container, true)->find("cannot be read"), std::string::npos);

    EXPECT_EQ(firmwareSourceProblem(api, files.path(), false), std::nullopt);
    EXPECT_TRUE(firmwareSourceProblem(api, container, false)) << "the first generation takes a folder";
    EXPECT_TRUE(calls.calls.empty()) << "checking sends nothing";
}

TEST(FirmwareUpdateRun, ReportsUpdatedCancelledAndFailedApart) {
    CallLog calls;
    FakeDevices api(calls);
    Lines log;
    api.firmwareResult = 1;
    EXPECT_EQ(runFirmwareUpdate(api, 0, "/fw/update.vkfw", kManualUpdateTexts, log), UpdateOutcome::Updated);
    EXPECT_EQ(log.messages, std::vector<std::string>{"Firmware Update Complete!"});
    EXPECT_EQ(calls.calls, std::vector<std::string>{"updateFirmware /fw/update.vkfw"});

    log.messages.clear();
    api.firmwareResult = 0;
    api.lastProblem = {session::Reason::Cancelled, "cancelled"};
    EXPECT_EQ(runFirmwareUpdate(api, 0, "/fw/x", kVoltageUpdateTexts, log), UpdateOutcome::Cancelled);
    EXPECT_TRUE(log.contains("keeps its firmware"));
    EXPECT_FALSE(log.contains("Voltage Change Success!"));

    log.messages.clear();
    api.lastProblem = {session::Reason::Disconnected, "the emulator was unplugged"};
    EXPECT_EQ(runFirmwareUpdate(api, 0, "/fw/x", kVoltageUpdateTexts, log), UpdateOutcome::Failed);
    EXPECT_EQ(log.messages, std::vector<std::string>{"Error: the firmware update from /fw/x failed: the emulator was unplugged"});
}

std::optional<std::uint32_t> serial(std::string_view text) {
    const auto parsed = parseSerialNumber(text);
    if (const auto* value = std::get_if<std::uint32_t>(&parsed)) return *value;
    return std::nullopt;
}

TEST(SerialNumberInput, TakesNumbersWithTheirShownPrefixOnly) {
    EXPECT_EQ(serial("204711"), 204711u);
    EXPECT_EQ(serial("  zl204711 "), 204711u);
    EXPECT_EQ(serial("VK000042"), 42u);
    EXPECT_EQ(serial("0"), 0u);
    EXPECT_EQ(serial("4294967294"), 4294967294u);
    EXPECT_EQ(serial("VK204711"), std::nullopt) << "VK numbers lie below 100000";
    EXPECT_EQ(serial("ZL42"), std::nullopt);
    EXPECT_EQ(serial("4294967295"), std::nullopt) << "reads as 'not available'";
    EXPECT_EQ(serial("4294967296"), std::nullopt);
    for (const char* bad : {"", "VK", "12a", "-5", "+5", "0x10", "12 34"}) EXPECT_EQ(serial(bad), std::nullopt) << bad;
}

TEST(FlashSeries, GroupsTheCataloguesChipsByMakerAndSeries) {
    EXPECT_EQ(seriesOf("W25Q128JV-IQ"), "W25Q");
    EXPECT_EQ(seriesOf("MX25L12835F"), "MX25L");
    EXPECT_EQ(seriesOf("S25FL128S"), "S25FL");
    EXPECT_EQ(seriesOf("M25P40"), "M25P");
    EXPECT_EQ(seriesOf("AT45DB"), "AT45DB");
    EXPECT_EQ(seriesOf("Custom"), "Custom");
    std::vector<CatalogueChip> chips;
    for (auto [maker, name] : {std::pair{"Winbond", "W25X40CL"}, {"Winbond", "W25Q16JV"}, {"Macronix", "MX25L8006E"},
                               {"Winbond", "W25Q32JV"}, {"Macronix", "MX25U1635F"}})
        chips.push_back(CatalogueChip{name, maker, {}, 0, 0, false, false});
    EXPECT_EQ(flashSeriesText(flashSeries(chips)), "Winbond: W25Q, W25X\nMacronix: MX25L, MX25U\n");
}

}  // namespace
}  // namespace zel::gui::help
