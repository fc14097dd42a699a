// The worker flows: download (with verify), firmware update and RPMC download.
#include <gtest/gtest.h>

#include "Harness.h"
#include "rpmc/RpmcTable.h"
#include "settings/SettingsKeys.h"

namespace zel::test {
namespace {

std::wstring settingOf(const Harness& h, std::string_view key) {
    for (const auto& change : h.context->settings().changes()) {
        if (change.key == key) return change.value;
    }
    return L"<unset>";
}

TEST(DownloadFlow, TheImageIsLoadedOnceForEveryDevice) {
    Harness h(2);
    const auto bin = h.file("image.bin");
    auto r = h.dispatch({"--set", "W25Q32JV", "-d", bin.string(), "-v"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(h.api.imageLoads, 1);
    EXPECT_TRUE(h.api.called("download 0"));
    EXPECT_TRUE(h.api.called("download 1"));
    EXPECT_NE(r.out.find("\nDevice 1 : Download Complete\n\nDevice 2 : Download Complete\n"), std::string::npos);
    // Verify compares the image length from the start address.
    EXPECT_TRUE(h.api.called("verify 0 256 1"));
    EXPECT_EQ(settingOf(h, settings::keys::kLastLoadedFile), std::wstring(bin.wstring()));
    EXPECT_EQ(settingOf(h, settings::keys::kLastLoadedFileFormat), L"RawBin");
    EXPECT_EQ(settingOf(h, settings::keys::kTruncateFile), L"No");
}

TEST(DownloadFlow, NoisyOverwritesOneElapsedTimeLineWhileTheWorkersRun) {
    Harness h;
    h.api.devices[0].downloadTime = std::chrono::milliseconds(400);
    auto r = h.dispatch({"--set", "W25Q32JV", "-d", h.file("image.bin").string(), "-n"});
    EXPECT_EQ(r.status, 0);
    const std::string backspaces(16, '\b');
    const auto at = r.out.find(backspaces);
    ASSERT_NE(at, std::string::npos) << r.out;
    // Every update is exactly as wide as the 16 backspaces before it, so none leaves characters
    // of the one before (sub-second values included).
    size_t updates = 0;
    for (auto from = at; from != std::string::npos; from = r.out.find(backspaces, from + 16), ++updates) {
        const auto unit = r.out.find("s elapsed", from);
        ASSERT_NE(unit, std::string::npos);
        EXPECT_EQ(unit + 9 - (from + 16), 16u) << r.out.substr(from + 16, unit + 9 - from - 16);
        EXPECT_GT(std::stod(r.out.substr(from + 16, unit - from - 16)), 0.0);
    }
    EXPECT_GE(updates, 2u);
    EXPECT_NE(r.out.find("s elapsed\nDevice 1 : Download Complete\n"), std::string::npos);
}

TEST(DownloadFlow, OptionsReachTheDownload) {
    Harness h;
    const auto hex = h.file("image.HEX");
    auto r = h.dispatch({"--set", "W25Q32JV", "-d", hex.string(), "-x", "aa", "-a", "0x10", "-l", "20", "-t", "-g", "2"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_FALSE(h.api.lastDownload.keepContent);
    EXPECT_EQ(h.api.lastDownload.fillByte, 0xAA);
    EXPECT_EQ(h.api.lastDownload.address, 0x80000010u);
    EXPECT_EQ(h.api.lastDownload.length, 0x20u);
    EXPECT_TRUE(h.api.lastDownload.truncate);
    EXPECT_TRUE(h.api.lastDownload.generation2);
    EXPECT_EQ(settingOf(h, settings::keys::kLastLoadedFile2), std::wstring(hex.wstring()));
    EXPECT_EQ(settingOf(h, settings::keys::kLastLoadedFileFormat2), L"IntelHex");
    EXPECT_EQ(settingOf(h, settings::keys::kTruncateFile), L"Yes");
    EXPECT_EQ(settingOf(h, settings::keys::kLastLoadedFile), L"<unset>");
}

TEST(DownloadFlow, AnImageThatFailsToLoadIsNeverSent) {
    Harness h(2);
    h.api.image = {false, 0, "bad.hex: line 1: record checksum is F1, its bytes need F2"};
    const auto hex = h.file("bad.hex");
    auto r = h.dispatch({"--set", "W25Q32JV", "-d", hex.string()});
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(h.api.indexOf("download"), -1);
    EXPECT_EQ(h.api.imageLoads, 1);
    EXPECT_NE(r.out.find("Error: bad.hex: line 1: record checksum is F1, its bytes need F2\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nDevice 1 : Download Failed\n\nDevice 2 : Download Failed\n"), std::string::npos);
    EXPECT_EQ(settingOf(h, settings::keys::kLastLoadedFile), L"<unset>");
}

TEST(DownloadFlow, MainThreadChecksEndTheStepAtOnce) {
    Harness h;
    auto r = h.dispatch({"-d", h.file("image.bin").string()});
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.out, "Chip is not selected. This command has to work with --set.\n");
    r = h.dispatch({"--set", "W25Q32JV", "-d", (h.folder / "nothing.bin").string(), "-v"});
    EXPECT_EQ(r.status, 4);
    EXPECT_TRUE(r.out.ends_with((h.folder / "nothing.bin").string() + " is not found.\n")) << r.out;
    EXPECT_EQ(h.api.imageLoads, 0);
}

TEST(DownloadFlow, AFailedDeviceFailsTheStepAndItsVerify) {
    Harness h(2);
    h.api.devices[1].emulating = true;
    auto r = h.dispatch({"--set", "W25Q32JV", "-d", h.file("image.bin").string()});
    EXPECT_EQ(r.status, 4);
    EXPECT_NE(r.out.find("The command can't be executed\nEmulator is in Emulation mode now.\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nDevice 1 : Download Complete\n\nDevice 2 : Download Failed\n"), std::string::npos);
    // Device 1 took the image: it is recorded.
    EXPECT_NE(settingOf(h, settings::keys::kLastLoadedFile), L"<unset>");

    h.api.devices[1].emulating = false;
    h.api.devices[1].downloadResult = 3;
    r = h.dispatch({"--set", "W25Q32JV", "-d", h.file("image.bin").string(), "-v", "--device", "2"});
    EXPECT_EQ(r.status, 4);
}

TEST(DownloadFlow, VerifyNeedsADownloadOfThisRunAndReportsDifferences) {
    Harness h;
    h.api.devices[0].downloadResult = 0;
    auto r = h.dispatch({"--set", "W25Q32JV", "-d", h.file("image.bin").string(), "--device", "1"});
    EXPECT_EQ(r.status, 4);
    h.api.devices[0].downloadResult = 1;
    h.api.devices[0].verifyResult = 0;
    r = h.dispatch({"--set", "W25Q32JV", "-d", h.file("image.bin").string(), "-v"});
    EXPECT_EQ(r.status, 6);
    EXPECT_TRUE(r.out.ends_with("Device 1 : Verify\nChecking, please wait ...\n\nVerify Fail. Checksum is different.\n\n"))
        << r.out;
}

TEST(FirmwareUpdateFlow, SummaryAndReplugMessage) {
    Harness h(2);
    h.api.devices[1].firmwareUpdateResult = 0;
    h.api.devices[1].serial = 77;
    const auto fw = h.file("fw.vkfw");
    auto r = h.dispatch({"--update-fw", fw.string()});
    EXPECT_EQ(r.status, 12);
    EXPECT_NE(r.out.find("Device 1 (ZL123456) :  Firmware updating .....\n"), std::string::npos);
    EXPECT_NE(r.out.find("Device 2 (VK000077) :  Firmware updating .....\n"), std::string::npos);
    EXPECT_TRUE(r.out.ends_with(
        "\nDevice 1 : Firmware Update Complete!\nDevice 2 : Firmware Update Fail!Please replug all ZelmorPro(s)...\n"))
        << r.out;

    r = h.dispatch({"--update-fw", fw.string(), "--device", "1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.ends_with("\nDevice 1 : Firmware Update Complete!Please replug ZelmorPro...\n")) << r.out;
}

TEST(FirmwareUpdateFlow, AnEmulatingDeviceIsSkippedOrEndsTheStep) {
    Harness h(2);
    h.api.devices[0].emulating = true;
    auto r = h.dispatch({"--update-fw", h.file("fw.vkfw").string(), "--device", "1"});
    EXPECT_EQ(r.status, 12);
    EXPECT_EQ(r.out, "The command can't be executed\nEmulator is in Emulation mode now.\n");
    r = h.dispatch({"--update-fw", h.file("fw.vkfw").string()});
    EXPECT_EQ(r.status, 12);
    EXPECT_TRUE(h.api.called("update 1"));
    EXPECT_EQ(h.api.indexOf("update 0"), -1);
}

TEST(RpmcFlow, TableFromTheFileAndOldFirmwareWarning) {
    Harness h(2);
    h.api.devices[1].firmware = 0x02190000;  // MCU 2.25
    const auto file = h.file("t.rpmc", "[Varnik RPMC]\r\nInitialized2=1\r\nCountValue2=12\r\nKey2=AB\r\n");
    auto r = h.dispatch({"--download-RPMC", file.string()});
    EXPECT_EQ(r.status, 4);
    EXPECT_TRUE(h.api.called("rpmc 0"));
    EXPECT_EQ(h.api.indexOf("rpmc 1"), -1);
    EXPECT_NE(r.out.find("\n\nDevice 2 : Warning: This version firmware does NOT support RPMC!!\nPlease contact Varnik "
                         "for further support!!\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\nDevice 1 : Downloading, please wait ...\n\n"), std::string::npos) << r.out;
    EXPECT_TRUE(r.out.ends_with("\nDevice 1 : Download Complete\nDevice 2 : Download Failed")) << r.out;
    ASSERT_EQ(h.api.lastRpmcTable.size(), 164u);
    EXPECT_EQ(h.api.lastRpmcTable[0], 0x68);
    EXPECT_EQ(h.api.lastRpmcTable[53], 1);     // counter 2 initialised
    EXPECT_EQ(h.api.lastRpmcTable[57], 0x12);  // its value, most significant byte first
    EXPECT_EQ(h.api.lastRpmcTable[89], 0xAB);  // the last key byte
    EXPECT_EQ(h.api.lastRpmcTable[16], 0);     // counter 1 not initialised
    EXPECT_EQ(settingOf(h, settings::keys::kEnableRpmc), L"1");
    EXPECT_EQ(settingOf(h, settings::keys::kRpmcCounterValue[1]), L"00000012");
}

TEST(RpmcFlow, MissingFileAndFailedWrite) {
    Harness h;
    const auto missing = (h.folder / "none.rpmc").string();
    auto r = h.dispatch({"--download-RPMC", missing});
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.out, "Error: Can not open " + missing + "\r\n\n");
    EXPECT_TRUE(h.api.calls().size() == 1);  // the boot selection only

    h.api.devices[0].rpmcResult = 0;
    r = h.dispatch({"--download-RPMC", h.file("t.rpmc", "[Varnik RPMC]\n").string()});
    EXPECT_EQ(r.status, 4);
    EXPECT_TRUE(r.out.ends_with("\nDevice 1 : Download Failed"));
    EXPECT_EQ(settingOf(h, settings::keys::kEnableRpmc), L"<unset>");
}

}  // namespace
}  // namespace zel::test
