// --set: configuration folder, G2 voltage question and FPGA switch, firmware-voltage check,
// address mode and the settings recorded.
#include <gtest/gtest.h>

#include "Harness.h"
#include "settings/SettingsKeys.h"

namespace zel::test {
namespace {

constexpr std::string_view kQuestion = "Chip voltage has been changed, are you sure to change the chip? [Y/N] \n";
constexpr std::string_view kVoltageError =
    "Error : The voltage requirement of the selected chip is not suitable for current version firmware.\n"
    "Please update the correct firmware or Please contact Varnik Inc. for geting the firmware.\n";

std::wstring settingOf(const Harness& h, std::string_view key) {
    for (const auto& change : h.context->settings().changes()) {
        if (change.key == key) return change.value;
    }
    return L"<unset>";
}

TEST(SetChip, MatchingVoltageSetsTheChipWithoutAsking) {
    Harness h;
    auto r = h.dispatch({"--set", "W25Q32JV"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Chip 1 W25Q32JV is set.\nVCC 3.3V is applied!\n");
    EXPECT_TRUE(h.api.called("setchip ZelmorPro/W25Q32JV.cfg 0 0"));
    EXPECT_TRUE(h.api.called("addrlen 1 0"));
    EXPECT_EQ(settingOf(h, settings::keys::kLastSetManufacturer), L"Winbond");
    EXPECT_EQ(settingOf(h, settings::keys::kLastSetChipType), L"W25Q32JV");
    EXPECT_EQ(settingOf(h, settings::keys::kLastSetChipType2), L"<unset>");
}

TEST(SetChip, YesSwitchesTheImageRestoresThePinsAndSelectsAgain) {
    Harness h;
    h.api.chip.voltage = 1800;
    auto r = h.dispatch({"--set", "W25Q32JV"}, "y");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, std::string(kQuestion) + "Please wait for 10 seconds...\nChip 1 W25Q32JV is set.\nVCC 1.8V is applied!\n");
    const std::vector<std::string> expected = {"reconfig 0", "switch 491520 0", "pause 2000 0", "hold 1 0", "miso 0",
                                               "reset 0 0",  "addrlen 1 0",     "qe 0",       "die 0",    "cs 1 0"};
    const auto calls = h.api.calls();
    const int first = h.api.indexOf("reconfig");
    ASSERT_GE(first, 0);
    EXPECT_EQ(std::vector<std::string>(calls.begin() + first, calls.begin() + first + expected.size()), expected);
}

TEST(SetChip, EachEmulatorGetsItsOwnAnswerFromOneLinePerAnswer) {
    Harness h(2);
    h.api.chip.voltage = 1800;
    auto r = h.dispatch({"--set", "W25Q32JV"}, "y\ny\n");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(h.api.called("switch 491520 0"));
    EXPECT_TRUE(h.api.called("switch 491520 1")) << "the line end of the first answer is no answer";
}

TEST(SetChip, NoKeepsTheImageAndTheFirmwareCheckFails) {
    Harness h;
    h.api.chip.voltage = 1800;
    auto r = h.dispatch({"--set", "W25Q32JV"}, "n");
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, std::string(kQuestion) + "Error: VCC setting error! Please re-plug ZelmorPro-G2\n" +
                         "Chip 1 W25Q32JV is set.\nVCC 1.8V is applied!\n" + std::string(kVoltageError));
    EXPECT_EQ(h.api.indexOf("switch"), -1);
    // The step failed on its only device: nothing is recorded.
    EXPECT_EQ(settingOf(h, settings::keys::kLastSetChipType), L"<unset>");
}

TEST(SetChip, EndOfInputCountsAsAnyOtherAnswer) {
    Harness h;
    h.api.chip.voltage = 1800;
    auto r = h.dispatch({"--set", "W25Q32JV"}, "");
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, std::string(kQuestion) + "Chip 1 W25Q32JV is set.\nVCC 1.8V is applied!\n" +
                         std::string(kVoltageError));
}

TEST(SetChip, A2500MillivoltChipIsAskedAboutOnceOnly) {
    Harness h;
    h.api.chip.voltage = 2500;
    auto r = h.dispatch({"--set", "W25Q32JV"}, "YYYY");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, std::string(kQuestion) + "Please wait for 10 seconds...\nChip 1 W25Q32JV is set.\nVCC 3.3V is applied!\n");
    EXPECT_TRUE(h.api.called("switch 0 0"));
}

TEST(SetChip, AWrongImageAfterTheSwitchFails) {
    Harness h;
    h.api.chip.voltage = 1800;
    h.api.devices[0].majorAfter18VSwitch = 0x02;
    auto r = h.dispatch({"--set", "W25Q32JV"}, "Y");
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.out.ends_with("Error: VCC setting error! Please re-plug ZelmorPro-G2\n")) << r.out;
    EXPECT_EQ(h.api.indexOf("setchip"), -1);
}

TEST(SetChip, UnknownImageVoltageFailsSilently) {
    Harness h;
    h.api.devices[0].firmware = 0x03050A5F;
    auto r = h.dispatch({"--set", "W25Q32JV"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "");
}

TEST(SetChip, MissingOrEscapingChipNamesAreNotSupported) {
    Harness h;
    EXPECT_EQ(h.dispatch({"--set", "NOPE"}).out, "Error: the chip is not supported now ...\n");
    h.file("outside.cfg");
    auto r = h.dispatch({"--set", "../../outside"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "Error: the chip is not supported now ...\n");
}

TEST(SetChip, AFileThatIsNoChipConfigurationIsNotSupported) {
    Harness h;
    h.api.chip = {};
    auto r = h.dispatch({"--set", "W25Q32JV"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "Error: the chip is not supported now ...\n");
    EXPECT_EQ(h.api.indexOf("setchip"), -1);
}

TEST(SetChip, EarlierModelUsesTheTopFolderAndHasNoSecondChip) {
    Harness h;
    h.api.devices[0].name = L"Zelmor";
    h.api.devices[0].firmware = 0x021E025F;
    h.addChip("OLD1", true);
    auto r = h.dispatch({"--set", "OLD1"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(h.api.called("setchip config/OLD1.cfg 0 0"));
    r = h.dispatch({"--set", "OLD1", "-g", "2"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "Zelmor does not support dual flash!\n");
}

TEST(SetChip, FirstGenerationFirmwareVoltageAndFourByteCapability) {
    Harness h;
    h.api.devices[0].firmware = 0x021E825F;  // 1.8 V image, minor 95
    auto r = h.dispatch({"--set", "W25Q32JV", "--enter-4byte-mode", "2"});
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.out.ends_with(std::string(kVoltageError)));

    h.api.devices[0].firmware = 0x021E0243;  // minor 67: no voltage encoded, no 4-byte entry
    r = h.dispatch({"--set", "W25Q32JV", "--enter-4byte-mode", "2"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.ends_with("Error: this firmware version doen't support Enter 4-byte mode function! \nPlease "
                                "contect Varnik Inc. to get more information\n"));
    EXPECT_FALSE(h.context->device(0).generation2);
}

TEST(SetChip, FourByteModeFollowsTheChip) {
    Harness h;
    auto r = h.dispatch({"--set", "W25Q32JV", "--enter-4byte-mode", "2", "-g", "2"});
    EXPECT_EQ(r.out, "Chip 2 W25Q32JV is set.\nVCC 3.3V is applied!\nEnter 4-Byte mode.\n");
    EXPECT_TRUE(h.api.called("addrlen 0 0"));
    EXPECT_TRUE(h.api.called("setchip ZelmorPro/W25Q32JV.cfg 1 0"));
    EXPECT_EQ(settingOf(h, settings::keys::kLastSetChipType2), L"W25Q32JV");
    EXPECT_EQ(settingOf(h, settings::keys::kLastSetChipType), L"<unset>");

    h.api.chip.no4ByteMode = true;
    r = h.dispatch({"--set", "W25Q32JV", "--enter-4byte-mode", "2"});
    EXPECT_TRUE(r.out.ends_with("Error: this chip DO NOT support 4-byte-mode\n"));
}

TEST(SetChip, StopsAtTheFirstFailingDevice) {
    Harness h(3);
    h.api.devices[1].opened = false;
    auto r = h.dispatch({"--set", "W25Q32JV"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "Chip 1 W25Q32JV is set.\nVCC 3.3V is applied!\nError: Emulator can not be detected\n\n");
    EXPECT_EQ(h.api.indexOf("setchip ZelmorPro/W25Q32JV.cfg 0 2"), -1);
    // Device 1 took the chip, so the choice is recorded.
    EXPECT_EQ(settingOf(h, settings::keys::kLastSetChipType), L"W25Q32JV");
}

}  // namespace
}  // namespace zel::test
