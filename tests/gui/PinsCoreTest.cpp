// The device settings pages' logic against a scripted API: the confirmed sheet's order of calls
// and stored keys, the RPMC table at Run, the manual supply after a chip configuration, and the
// RPMC values through the settings document and .rpmc files.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "EmulatorControl.h"
#include "FakeDevices.h"
#include "GuiSettings.h"
#include "PinChoices.h"
#include "RpmcChoices.h"
#include "SheetChoices.h"
#include "TempDir.h"
#include "rpmc/RpmcFile.h"

namespace zel::gui::pins {
namespace {

using test::CallLog;
using test::FakeDevices;
using test::FakeHolder;
using test::Lines;

struct Bench {
    CallLog calls;
    FakeDevices api{calls};
    FakeHolder holder{calls};
    Lines lines;
    EmulatorControl control{api, holder, lines};
};

std::wstring valueOf(const settings::SettingsUpdate& update, std::string_view key) {
    for (const auto& change : update.changes())
        if (change.key == key) return change.value;
    return L"<missing>";
}

TEST(SheetChoices, ConfirmedPinsGoOutInOrderAndAreStoredWithTheirCodes) {
    for (const bool g2 : {true, false}) {
        Bench bench;
        if (!g2) bench.api.product.firmware = 0x021B025A;  // first generation, 4-byte capable
        bench.control.refreshStatus();
        bench.calls.calls.clear();
        SheetChoices choices;
        choices.pins.hold = holdCode(HoldRadio::Input);
        choices.pins.resetPin = true;
        choices.pins.misoByExternalBuffer = true;
        choices.pins.chipSelect = true;
        choices.fourByteMode = true;
        const settings::SettingsUpdate stored = applySheetChoices(bench.control, choices);

        std::vector<std::string> expected{"addr 4", "hold 3", "miso 4", "rstPin 1", "htPort"};
        if (g2) expected.push_back("cs 1");
        EXPECT_EQ(bench.calls.calls, expected) << "g2 " << g2;
        EXPECT_TRUE(bench.control.state().pins.fourByteMode);
        EXPECT_EQ(valueOf(stored, "HoldPinSetting"), L"3");
        EXPECT_EQ(valueOf(stored, "MISODrivenSetting"), L"1");
        EXPECT_EQ(valueOf(stored, "EnableResetPin"), L"Yes");
        EXPECT_EQ(valueOf(stored, "ChipSelectMode"), L"0");
        EXPECT_EQ(valueOf(stored, "EnableRPMC"), L"<missing>");  // no RPMC page, nothing about it
    }
    EXPECT_EQ(holdRadioOf(kHoldDefaultLow), HoldRadio::DefaultLow);
    EXPECT_EQ(holdRadioOf(kHoldDefaultHigh), HoldRadio::Floating);
    EXPECT_EQ(holdCode(HoldRadio::Floating), kHoldFloating);
}

TEST(EmulatorControl, RunWritesTheRpmcTableAfterStartingAndSaysWhenItCannot) {
    Bench bench;
    bench.control.refreshStatus();
    ASSERT_TRUE(bench.control.chooseChip(0, "W25Q16JV.cfg"));
    bench.control.run();
    EXPECT_TRUE(bench.api.rpmcTables.empty());  // RPMC not enabled

    RpmcChoices rpmc;
    rpmc.enabled = true;
    rpmc.counters[1].initialized = true;
    rpmc.counters[1].count = "12";
    bench.control.setRpmcAtRun(rpmcAtRun(rpmc));
    bench.control.stop();
    bench.calls.calls.clear();
    bench.control.run();
    ASSERT_EQ(bench.api.rpmcTables.size(), 1u);
    EXPECT_EQ(bench.calls.calls.back(), "rpmc");
    EXPECT_EQ(bench.calls.calls[bench.calls.calls.size() - 2], "start");
    const auto& table = bench.api.rpmcTables[0];
    EXPECT_EQ(table[0], 0x68);
    EXPECT_EQ(table[16 + 37], 1);     // counter 2 initialised
    EXPECT_EQ(table[16 + 37 + 4], 0x12);
    EXPECT_EQ(table[16 + 1 + 4], 0xFF);  // counter 1's key

    bench.control.run();  // already running: written again
    EXPECT_EQ(bench.api.rpmcTables.size(), 2u);
    bench.api.rpmcResult = 0;
    bench.control.run();
    EXPECT_EQ(bench.lines.messages.back(), "Error: the RPMC settings could not be written to the emulator");

    bench.api.product.firmware = 0x02190000;  // MCU 2.25
    bench.control.run();
    EXPECT_EQ(bench.api.rpmcTables.size(), 3u);
    EXPECT_TRUE(bench.lines.contains("Warning: This version firmware does NOT support RPMC!!"));
}

TEST(EmulatorControl, ManualSupplyFollowsEveryChipConfiguration) {
    Bench bench;
    bench.control.refreshStatus();
    ManualSupply supply{true, SupplyRadio::V18};
    bench.control.setManualSupply(supply.millivolts());
    bench.calls.calls.clear();
    ASSERT_TRUE(bench.control.chooseChip(1, "W25Q16JV.cfg"));
    EXPECT_EQ(bench.calls.calls, (std::vector<std::string>{"chip 2", "supply 1800"}));
    bench.control.setManualSupply(ManualSupply{false, SupplyRadio::V25}.millivolts());
    bench.calls.calls.clear();
    ASSERT_TRUE(bench.control.chooseChip(0, "W25Q16JV.cfg"));
    EXPECT_EQ(bench.calls.calls, (std::vector<std::string>{"chip 1"}));
    EXPECT_EQ((ManualSupply{true, SupplyRadio::V25}.millivolts()), 2500u);
}

TEST(RpmcChoices, SettingsDocumentShowsWhatTheTableSendsAndStoresFullTexts) {
    zel::test::TempDir home;
    GuiSettings settings(home.path(), {ZEL_TEMPLATE_DIR});
    settings::SettingsUpdate written;
    written.set("EnableRPMC", L"1");
    written.set("RPMCCounter3Init", L"1");
    written.set("RPMCKey3", L"0x" + std::wstring(64, L'A'));  // as the console tool may store it
    written.set("RPMCCounterValue3", L"1G");                  // not hex: the table takes 0
    ASSERT_FALSE(settings.write(written));

    RpmcChoices read = readRpmcChoices(settings);
    EXPECT_TRUE(read.enabled);
    EXPECT_TRUE(read.counters[2].initialized);
    EXPECT_EQ(read.counters[2].key, std::string(64, 'A'));
    EXPECT_EQ(read.counters[2].count, "00000000");
    EXPECT_FALSE(read.counters[0].initialized);
    EXPECT_EQ(read.counters[0].key, "5A3C96E1B2D47F08C1E9A36B4D2F7581E0C3A95B6D7F1248A3E5C9072B4D6F81");

    read.counters[0] = {};
    read.counters[0].initialized = true;
    read.counters[0].key = "";     // empty reads as 0
    read.counters[0].count = "7";
    const settings::SettingsUpdate stored = rpmcChanges(read);
    EXPECT_EQ(valueOf(stored, "RPMCCounter1Init"), L"1");
    EXPECT_EQ(valueOf(stored, "RPMCKey1"), std::wstring(64, L'0'));
    EXPECT_EQ(valueOf(stored, "RPMCCounterValue1"), L"00000007");
    EXPECT_EQ(valueOf(stored, "RPMCCounter2Init"), L"0");
    const rpmc::RpmcTable table = rpmcTable(read.counters);
    EXPECT_EQ(table[16], 1);
    EXPECT_EQ(table[16 + 4], 7);
    EXPECT_EQ(table[16 + 5], 0);
}

TEST(RpmcChoices, FileSavedPaddedAndLoadedBackInPlaceOfOtherContent) {
    zel::test::TempDir dir;
    const auto file = dir.path() / "counters.rpmc";
    { std::ofstream(file) << "; kept\r\n[Varnik RPMC]\r\nKey4=FF\r\n"; }
    RpmcCounters counters;
    counters[0].initialized = true;
    counters[0].count = "12";
    counters[0].key = std::string(60, 'B');
    counters[1].initialized = false;
    ASSERT_TRUE(saveRpmcCounters(counters, file));

    std::stringstream text;
    text << std::ifstream(file).rdbuf();
    EXPECT_NE(text.str().find("; kept"), std::string::npos);
    EXPECT_NE(text.str().find("CountValue1=00000012"), std::string::npos);
    EXPECT_NE(text.str().find("Key1=0000" + std::string(60, 'B')), std::string::npos);
    EXPECT_NE(text.str().find("Initialized2=0"), std::string::npos);

    std::error_code error;
    const auto loaded = loadRpmcCounters(file, error);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE((*loaded)[0].initialized);
    EXPECT_EQ((*loaded)[0].count, "00000012");
    EXPECT_EQ((*loaded)[0].key, "0000" + std::string(60, 'B'));
    EXPECT_EQ(rpmcTable(*loaded), rpmcTable(counters));
    EXPECT_FALSE(loadRpmcCounters(dir.path() / "missing.rpmc", error));
}

TEST(RpmcChoices, ShortKeysAndCountsAreWarnedAboutByCounter) {
    EXPECT_EQ(keyLengthWarning(0, std::string(63, 'A')), "Error : key1 Please input 64 chars!");
    EXPECT_EQ(keyLengthWarning(3, ""), "Error : key4 Please input 64 chars!");
    EXPECT_FALSE(keyLengthWarning(1, std::string(64, 'A')));
    EXPECT_EQ(countLengthWarning(1, "1234567"), "Error : count value 2 Please input 8 chars!");
    EXPECT_FALSE(countLengthWarning(2, "12345678"));
}

}  // namespace
}  // namespace zel::gui::pins
