// Start-up and shut-down around the dispatch: old-driver check, notices, help, option errors and
// the settings document.
#include <gtest/gtest.h>

#include <cstdlib>

#include "Harness.h"
#include "ProgramFolder.h"

namespace zel::test {
namespace {

constexpr std::string_view kDocument =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Preferences>\n  <GUI_USERS LastSetChipType=\"OLD\" Other=\"x\"/>\n"
    "</Preferences>\n";

TEST(Application, OldDriverNoticeEndsTheRunBeforeAnyDeviceWork) {
    Harness h;
    h.oldDrivers.status = zel::cmd::OldDriverStatus::PresentOnOldSystem;
    auto r = h.application({"--stop"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.starts_with("Our software has detected that you are using an old USB driver version"));
    EXPECT_NE(r.out.find("We will remove the old driver version (Cypress...)"), std::string::npos);
    EXPECT_TRUE(h.oldDrivers.removed);
    EXPECT_TRUE(h.api.calls().empty());
    EXPECT_TRUE(h.notices.empty());
}

TEST(Application, HelpAfterTheApiStartsAndNoticesAroundTheRun) {
    Harness h(0);
    auto r = h.application({});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.starts_with("Help\nExample:\n"));
    EXPECT_TRUE(r.out.ends_with("\n\n"));
    EXPECT_EQ(h.api.calls(), (std::vector<std::string>{"open", "close"}));
    EXPECT_EQ(h.notices, (std::vector<std::string>{"notice 1", "notice 2"}));
    EXPECT_EQ(h.application({"--stop", "-h"}).status, 0);
    EXPECT_EQ(h.api.indexOf("hold"), -1);
}

TEST(Application, OptionErrorsGoToStandardErrorWith99) {
    Harness h;
    auto r = h.application({"--set", "A", "--set", "B"});
    EXPECT_EQ(r.status, 99);
    EXPECT_EQ(r.err, "error: option '--set' cannot be specified more than once\n");
    EXPECT_EQ(r.out, "");
    r = h.application({"--stop", "--device", "2"});
    EXPECT_EQ(r.status, 99);
    EXPECT_EQ(r.err, "error: the argument ('2') for option '--device' is invalid\n");
    EXPECT_EQ(h.notices.back(), "notice 2");
}

TEST(Application, SettingsAreWrittenOnlyIntoAnExistingDocument) {
    Harness h;
    auto r = h.application({"--set", "W25Q32JV", "--reset", "2"});
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(std::filesystem::exists(h.folder / "settings.xml"));

    writeBytes(h.folder / "settings.xml", kDocument);
    r = h.application({"--set", "W25Q32JV", "--reset", "2", "--start", "--hold", "2"});
    EXPECT_EQ(r.status, 0);
    const auto text = readBytes(h.folder / "settings.xml");
    // Existing attributes keep their place, new ones follow them.
    EXPECT_NE(text.find("<GUI_USERS LastSetChipType=\"W25Q32JV\" Other=\"x\" "), std::string::npos) << text;
    EXPECT_NE(text.find("LastSetManufacturer=\"Winbond\""), std::string::npos) << text;
    EXPECT_NE(text.find("EnableResetPin=\"Yes\""), std::string::npos) << text;
    EXPECT_NE(text.find("HoldPinSetting=\"3\""), std::string::npos) << text;
}

TEST(Application, AStepThatFailedOnEveryDeviceRecordsNothing) {
    Harness h;
    writeBytes(h.folder / "settings.xml", kDocument);
    h.api.devices[0].emulating = true;
    auto r = h.application({"--reset", "2", "--device", "1"});
    EXPECT_EQ(r.status, 11);
    const auto text = readBytes(h.folder / "settings.xml");
    EXPECT_EQ(text.find("EnableResetPin"), std::string::npos) << text;
    EXPECT_NE(text.find("HoldPinSetting=\"2\""), std::string::npos) << text;
}

}  // namespace
}  // namespace zel::test

namespace zel::test {
namespace {

TEST(ProgramFolder, ConfigBesideTheProgramElseTheInstalledDataFolder) {
    TempDir root;
    std::filesystem::create_directories(root / "bin");
    EXPECT_EQ(zel::cmd::programFolderFor(root / "bin"), (root / "share" / "zelmor").lexically_normal());
    std::filesystem::create_directories(root / "bin" / "config");
    EXPECT_EQ(zel::cmd::programFolderFor(root / "bin"), root / "bin");
}

TEST(OldDriverCheck, LinuxIsCleanAndTheHiddenHookFakesBothNotices) {
    ::unsetenv("ZELCMD_FAKE_OLD_DRIVER");
    EXPECT_EQ(zel::cmd::makeOldDriverCheck()->detect(), zel::cmd::OldDriverStatus::Clean);
    ::setenv("ZELCMD_FAKE_OLD_DRIVER", "present", 1);
    EXPECT_EQ(zel::cmd::makeOldDriverCheck()->detect(), zel::cmd::OldDriverStatus::Present);
    ::setenv("ZELCMD_FAKE_OLD_DRIVER", "present-old-system", 1);
    EXPECT_EQ(zel::cmd::makeOldDriverCheck()->detect(), zel::cmd::OldDriverStatus::PresentOnOldSystem);
    ::unsetenv("ZELCMD_FAKE_OLD_DRIVER");
    const auto notice = zel::cmd::oldDriverNotice(zel::cmd::OldDriverStatus::Present);
    EXPECT_NE(notice.find("you are asked to remove the old driver version (Cypress...) from your computer.\n\t\t\t\t\r"
                          "Please follow the instruction on the following link:\n\t\t\t\t\rC:\\Program Files\\Varnik\\"
                          "Zelmor\\\n"),
              std::string::npos);
    EXPECT_TRUE(notice.ends_with("please refer to our user manual."));
}

}  // namespace
}  // namespace zel::test
