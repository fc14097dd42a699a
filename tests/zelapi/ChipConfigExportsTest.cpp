// The chip-configuration exports against a strict zelsim: what CliGetConfigFileInfo fills with
// and without the API object, files that must change nothing, SFDP presence, CliSetChipType on
// the wire, and the option registers that follow the last file read.
#include "ChipConfigFiles.h"
#include "SimProcess.h"
#include "chipcfg/ChipConfigWire.h"
#include "zelapi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <optional>

namespace {

using zel::chipcfg::test::CfgBytes;
using zel::chipcfg::test::defaultLevelOps;
using zel::chipcfg::test::lines;
using zel::chipcfg::test::wireLevel;
using zel::chipcfg::test::wireOps;
using zel::chipcfg::test::wireReg;
using zel::test::chipFile;
using zel::test::ConfigFolder;
using zel::test::SimProcess;
using Lines = std::vector<std::string>;

// The outputs of CliGetConfigFileInfo, preset to values no file gives. One spare character
// beyond each name buffer shows whether anything was written past it.
struct InfoOutputs {
    std::array<wchar_t, kZelVendorNameChars + 1> vendor;
    std::array<wchar_t, kZelChipNameChars + 1> chip;
    uint32_t chipSize = 0xDEADBEEF;
    uint32_t voltage = 0xBEEF;
    uint8_t flag = 0x77;

    InfoOutputs()
    {
        vendor.fill(L'#');
        chip.fill(L'#');
        vendor[5] = chip[5] = L'\0';
    }
    static InfoOutputs of(const std::wstring& path)
    {
        InfoOutputs out;
        CliGetConfigFileInfo(path.c_str(), out.vendor.data(), out.chip.data(), &out.chipSize, &out.voltage, &out.flag);
        return out;
    }
    std::wstring vendorName() const { return vendor.data(); }
    std::wstring chipName() const { return chip.data(); }
    bool untouched() const
    {
        const InfoOutputs fresh;
        return vendor == fresh.vendor && chip == fresh.chip && chipSize == fresh.chipSize &&
               voltage == fresh.voltage && flag == fresh.flag;
    }
};

class ChipConfigExports : public ::testing::Test {
protected:
    void start(std::vector<std::string> devices = {"gen=1"})
    {
        deviceCount_ = static_cast<int>(devices.size());
        sim_.emplace(std::move(devices), std::vector<std::string>{"--strict"});
        sim_->exportEnvironment();
    }
    void initialise()
    {
        CliInitialZelmorProDLL();
        for (int d = 0; d < deviceCount_; ++d)
            sim_->clearLog(d);
    }
    void TearDown() override
    {
        CliCloseUSBDevice();
        CliCloseZelmorProDLL();
        for (int d = 0; sim_ && d < deviceCount_; ++d)
            EXPECT_EQ(sim_->control("violations " + std::to_string(d)), "") << "device " << d;
    }
    SimProcess& sim() { return *sim_; }

    // The three option registers as the device receives them, after a fresh log.
    Lines optionWrites(int index = 0)
    {
        sim().clearLog(index);
        CliSetAddrLen(true, index);
        CliSetAddrLen(false, index);
        CliSetSetQEbit(index);
        CliSetDieEraseSize(index);
        return wireOps(sim(), index);
    }

    ConfigFolder files;

private:
    std::optional<SimProcess> sim_;
    int deviceCount_ = 0;
};

Lines optionLines(unsigned threeByte, unsigned fourByte, unsigned qe, unsigned dieErase)
{
    return {wireReg(0x4F, threeByte), wireReg(0x4F, fourByte), wireReg(0x4D, qe), wireReg(0x3B, dieErase)};
}

// ---- CliGetConfigFileInfo ----

TEST_F(ChipConfigExports, WithoutTheApiObjectOnlyNamesAndSizeAreFilledAndNothingIsSent)
{
    start();
    const auto path = files.save(chipFile("Acme", "AC25Q16", {1, 1, 1}, 3300, 0x200000), "a.cfg");

    const auto out = InfoOutputs::of(path);
    EXPECT_EQ(out.vendorName(), L"Acme");
    EXPECT_EQ(out.chipName(), L"AC25Q16");
    EXPECT_EQ(out.chipSize, 0x200000u);
    EXPECT_EQ(out.voltage, 0xBEEFu);
    EXPECT_EQ(out.flag, 0x77);

    EXPECT_EQ(CliGetConfigFileSFDP(files.save(chipFile("A", "B", {0, 0, 0}).padTo(180).sfdp(), "s.cfg").c_str()), 0);
    CliSetChipType(path.c_str(), false, 0);
    CliSetAddrLen(true, 0);
    CliSetSetQEbit(0);
    CliSetDieEraseSize(0);
    EXPECT_TRUE(sim().log(0).empty());
}

TEST_F(ChipConfigExports, InitialisedFillsEverythingAndTheOptionRegistersFollowTheLastFileRead)
{
    start();
    initialise();
    const auto fixed = InfoOutputs::of(files.save(chipFile("Acme", "AC25Q16", {1, 0, 1}, 3300, 0x200000), "a.cfg"));
    EXPECT_EQ(fixed.vendorName(), L"Acme");
    EXPECT_EQ(fixed.chipName(), L"AC25Q16");
    EXPECT_EQ(fixed.chipSize, 0x200000u);
    EXPECT_EQ(fixed.voltage, 3300u);
    EXPECT_EQ(fixed.flag, 1);
    EXPECT_EQ(optionWrites(), optionLines(0x10, 0x10, 0, 1)) << "a fixed addressing mode is never switched";

    const auto quad = InfoOutputs::of(files.save(chipFile("Acme", "AC25Q256", {0, 1, 0}, 1800, 0x2000000), "b.cfg"));
    EXPECT_EQ(quad.voltage, 1800u);
    EXPECT_EQ(quad.flag, 0);
    EXPECT_EQ(optionWrites(), optionLines(0, 1, 1, 0));

    // An option is on only when its byte is exactly 1.
    const auto odd = InfoOutputs::of(files.save(chipFile("Acme", "AC25Q32", {2, 0xFF, 0x11}), "c.cfg"));
    EXPECT_EQ(odd.flag, 0);
    EXPECT_EQ(optionWrites(), optionLines(0, 1, 0, 0));
}

TEST_F(ChipConfigExports, OptionRegistersGoToTheNamedDevice)
{
    start({"gen=1", "gen=2"});
    initialise();
    InfoOutputs::of(files.save(chipFile("Acme", "AC25Q16", {1, 1, 1}), "a.cfg"));
    EXPECT_EQ(optionWrites(1), optionLines(0x10, 0x10, 1, 1));
    EXPECT_TRUE(sim().log(0).empty());
}

TEST_F(ChipConfigExports, NamesAreCutToTheirBuffersAndConvertedFromWindows1252)
{
    start();
    initialise();
    const auto out = InfoOutputs::of(
        files.save(chipFile(std::string(300, 'V'), std::string(120, 'C'), {0, 0, 0}), "long.cfg"));
    EXPECT_EQ(out.vendorName(), std::wstring(255, L'V'));
    EXPECT_EQ(out.chipName(), std::wstring(99, L'C'));
    EXPECT_EQ(out.vendor.back(), L'#') << "nothing past the 256-character buffer";
    EXPECT_EQ(out.chip.back(), L'#') << "nothing past the 100-character buffer";

    const auto ansi = InfoOutputs::of(files.save(chipFile("Caf\xE9 \x80", "Q\xB5", {0, 0, 0}), "ansi.cfg"));
    EXPECT_EQ(ansi.vendorName(), L"Café €");
    EXPECT_EQ(ansi.chipName(), L"Qµ");

    // Null outputs are skipped; the others are still filled.
    uint32_t size = 0;
    CliGetConfigFileInfo(files.pathOf("ansi.cfg").c_str(), nullptr, nullptr, &size, nullptr, nullptr);
    EXPECT_EQ(size, 0x200000u);
}

// Files that fail the header read change no output and no chip information, and CliSetChipType
// sends nothing for them, also those the device link itself would walk.
TEST_F(ChipConfigExports, FilesWhoseHeaderCannotBeReadChangeNothingAndAreNotApplied)
{
    start();
    initialise();
    InfoOutputs::of(files.save(chipFile("Acme", "AC25Q16", {0, 1, 0}), "good.cfg"));  // QE on

    auto offsetOutside = chipFile("Acme", "AC25Q16", {1, 1, 1}).record(1, 0x20).record(0, 0xFFFF);
    offsetOutside.patch32(24, 0x10000);  // voltage offset beyond the end
    const std::vector<std::wstring> bad = {
        files.pathOf("missing.cfg"),
        files.folder(),
        files.save(chipFile("Acme", "AC25Q16", {1, 1, 1}).truncate(31), "short.cfg"),
        files.save(offsetOutside, "outside.cfg"),
        files.save(chipFile("Acme", "AC25Q16", {1, 1, 1}, 3300, 0xFFFFFFFF), "huge.cfg"),
        files.save(chipFile("Acme", "AC25Q16", {1, 1, 1}, 0), "0mV.cfg"),
    };
    for (const auto& path : bad) {
        SCOPED_TRACE(zel::text::wideToUtf8(path));
        EXPECT_TRUE(InfoOutputs::of(path).untouched());
        sim().clearLog(0);
        CliSetChipType(path.c_str(), false, 0);
        EXPECT_TRUE(sim().log(0).empty());
        EXPECT_EQ(optionWrites(), optionLines(0, 1, 1, 0)) << "the chip information is still the good file's";
    }
    EXPECT_EQ(CliGetConfigFileSFDP(nullptr), 0);
    CliGetConfigFileInfo(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    CliSetChipType(nullptr, false, 0);
}

TEST_F(ChipConfigExports, FileWithoutTheMagicIsAppliedWithoutSectionOneAndTellsNothing)
{
    start();
    initialise();
    InfoOutputs::of(files.save(chipFile("Acme", "AC25Q16", {0, 1, 0}), "good.cfg"));

    auto noMagic = chipFile("Acme", "AC25Q16", {1, 0, 1}).record(0x0001, 0x20).record(2500, 4);
    noMagic.patch32(0, 0x12345678);
    const auto path = files.save(noMagic, "nomagic.cfg");
    EXPECT_TRUE(InfoOutputs::of(path).untouched());

    sim().clearLog(0);
    CliSetChipType(path.c_str(), false, 0);
    EXPECT_EQ(wireOps(sim(), 0), (Lines{wireLevel(4, 2500), wireReg(0xC4, 1), wireReg(0x2A, 4)}))
        << "the first record is passed over, the second is a level";
    EXPECT_EQ(optionWrites(), optionLines(0, 1, 1, 0));
}

// ---- CliGetConfigFileSFDP ----

TEST_F(ChipConfigExports, SfdpPresenceNeedsTheMarkerAtOffset180InAFileOfAtLeast184Bytes)
{
    start();
    initialise();
    auto sfdpAt = [&](size_t offset, size_t size, const std::string& name) {
        auto b = chipFile("A", "B", {0, 0, 0}).padTo(offset).sfdp().padTo(size);
        return CliGetConfigFileSFDP(files.save(b.truncate(size), name).c_str());
    };
    EXPECT_EQ(sfdpAt(180, 184, "exact.cfg"), 1);
    EXPECT_EQ(sfdpAt(180, 400, "longer.cfg"), 1);
    EXPECT_EQ(sfdpAt(176, 180, "ends-at-180.cfg"), 0);
    EXPECT_EQ(sfdpAt(180, 182, "cut.cfg"), 0);
    EXPECT_EQ(sfdpAt(184, 300, "at-184.cfg"), 0);
    EXPECT_EQ(CliGetConfigFileSFDP(files.pathOf("missing.cfg").c_str()), 0);
    EXPECT_TRUE(sim().log(0).empty());
}

// ---- CliSetChipType ----

TEST_F(ChipConfigExports, SetChipTypeAppliesTheFileToTheNamedDeviceAndTarget)
{
    start({"gen=1", "gen=2"});
    initialise();
    const auto path = files.save(chipFile("Acme", "AC25Q16", {0, 1, 1})
                                     .record(0x1234, 0x20)
                                     .record(0x1FFF, 0x21)
                                     .sfdp()
                                     .record(0x4653, 0x5044)
                                     .srst()
                                     .prot(),
                                 "a.cfg");
    CliSetChipType(path.c_str(), true, 1);
    EXPECT_EQ(wireOps(sim(), 1), lines({{wireReg(0x90, 0x1234)},
                                        defaultLevelOps(),
                                        {wireReg(0xC9, 2), wireReg(0xC2, 0x4653), wireReg(0xC2, 0x5044),
                                         wireReg(0xC4, 2), wireReg(0x2A, 4)}}))
        << "the G2 device ends section 1 at 0x1FFF";
    EXPECT_TRUE(sim().log(0).empty()) << "the current device hears nothing";
    EXPECT_EQ(sim().control("levels 1"), "2=3000\n3=1000\n4=3300\n");
    // The applied file is now the chip information.
    EXPECT_EQ(optionWrites(1), optionLines(0, 1, 1, 1));
}

TEST_F(ChipConfigExports, ChipNamesThatCouldLeaveTheConfigurationFolderAreRefused)
{
    start();
    initialise();
    InfoOutputs::of(files.save(chipFile("Acme", "AC25Q16", {0, 1, 0}), "good.cfg"));
    for (const std::string name : {"../AC25Q16", "sub/AC25Q16", "sub\\AC25Q16", "AC..25"}) {
        SCOPED_TRACE(name);
        const auto path = files.save(chipFile("Acme", name, {1, 0, 1}).record(1, 0x20), "bad.cfg");
        sim().clearLog(0);
        CliSetChipType(path.c_str(), false, 0);
        EXPECT_TRUE(sim().log(0).empty());
        EXPECT_EQ(optionWrites(), optionLines(0, 1, 1, 0));
    }
}

}  // namespace
