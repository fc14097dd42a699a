// Command 4 of SendCommandToZelmorPro against a strict zelsim: the ordered register and level
// frames a chip configuration becomes, for both chip slots and both generations, the final
// read-modify-write of register 0x2A, which device the frames reach, and files that are refused.
#include "ZelmorProDll.h"
#include "chipcfg/CfgBytes.h"
#include "chipcfg/ChipConfigWire.h"
#include "TempDir.h"
#include "support/SimProcess.h"
#include "text/TextCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

using zel::chipcfg::test::CfgBytes;
using zel::chipcfg::test::defaultLevelOps;
using zel::chipcfg::test::lines;
using zel::test::TempDir;
using zel::chipcfg::test::WireView;
using zel::chipcfg::test::wireLevel;
using zel::chipcfg::test::wireOps;
using zel::chipcfg::test::wireReg;
using zel::chipcfg::test::withHeader;
using zel::test::SimLogEntry;
using zel::test::SimProcess;
using Lines = std::vector<std::string>;

// Every section used: two settings, the 0xFFFF end tag, two levels, a two-record SFDP table,
// one status default and a one-record protection table.
CfgBytes fullFile() {
    return withHeader()
        .record(0x1234, 0x20)
        .record(0x0005, 0x21)
        .record(0x0000, 0xFFFF)
        .record(3300, 4)
        .record(1800, 2)
        .sfdp()
        .record(0x4653, 0x5044)
        .record(0x0106, 0xFF00)
        .srst()
        .record(0x0002, 0x31)
        .prot()
        .record(0xAAAA, 0x5555);
}

size_t transferCount(const std::vector<SimLogEntry>& log) {
    return static_cast<size_t>(
        std::count_if(log.begin(), log.end(), [](const SimLogEntry& e) { return e.kind != SimLogEntry::Kind::Note; }));
}

class ChipConfigCommand : public ::testing::Test {
protected:
    void start(std::vector<std::string> devices) {
        deviceCount = static_cast<int>(devices.size());
        sim = std::make_unique<SimProcess>(std::move(devices), std::vector<std::string>{"--strict"});
        sim->exportEnvironment();
        InitZelmorPro();
        for (int d = 0; d < deviceCount; ++d) sim->clearLog(d);
    }

    void TearDown() override {
        CloseUSBZelmorPro();
        ExitZelmorPro();
        for (int d = 0; sim && d < deviceCount; ++d)
            EXPECT_EQ(sim->control("violations " + std::to_string(d)), "") << "device " << d;
    }

    std::wstring save(const CfgBytes& bytes, const std::string& name = "chip.cfg") {
        bytes.saveTo(dir / name);
        return zel::text::utf8ToWide((dir / name).string());
    }

    static long apply(const std::wstring& path, uint32_t slot, int index) {
        return SendCommandToZelmorPro(ZELMOR_CMD_CHIP_CONFIG, reinterpret_cast<uintptr_t>(path.c_str()), slot, 0, index);
    }

    TempDir dir;
    std::unique_ptr<SimProcess> sim;
    int deviceCount = 0;
};

// ---- what goes on the wire ----

TEST_F(ChipConfigCommand, FirstChipSlotGetsEverySectionInOrder) {
    start({"gen=1"});
    sim->control("set-reg 0 0x2a 0x0003");
    sim->clearLog(0);
    EXPECT_EQ(apply(save(fullFile()), 0, 0), 1);

    EXPECT_EQ(wireOps(*sim, 0, WireView::Everything),
              (Lines{"version", wireReg(0x20, 0x1234), "version", wireReg(0x21, 0x0005), "version",
                     wireLevel(4, 3300), wireLevel(2, 1800), wireReg(0xC9, 1), wireReg(0xC1, 0x4653),
                     wireReg(0xC1, 0x5044), wireReg(0xC1, 0x0106), wireReg(0xC1, 0xFF00), wireReg(0x31, 0x0002),
                     wireReg(0xC4, 1), wireReg(0xC5, 0xAAAA), wireReg(0xC5, 0x5555), "read 0x2a",
                     wireReg(0x2A, 0x0007)}))
        << "the generation is asked before each section-1 record, the end tag included";
    EXPECT_EQ(sim->control("table 0 sfdp 0"), "4653\n5044\n0106\nff00\n");
    EXPECT_EQ(sim->control("table 0 protect 0"), "aaaa\n5555\n");
    EXPECT_EQ(sim->control("levels 0"), "2=1800\n4=3300\n");
}

TEST_F(ChipConfigCommand, SecondChipSlotUsesShiftedRegistersAndItsOwnTablePorts) {
    start({"gen=1"});
    EXPECT_EQ(apply(save(fullFile()), 1, 0), 1);
    EXPECT_EQ(wireOps(*sim, 0),
              (Lines{wireReg(0x90, 0x1234), wireReg(0x91, 0x0005), wireLevel(4, 3300), wireLevel(2, 1800),
                     wireReg(0xC9, 2), wireReg(0xC2, 0x4653), wireReg(0xC2, 0x5044), wireReg(0xC2, 0x0106),
                     wireReg(0xC2, 0xFF00), wireReg(0xA1, 0x0002), wireReg(0xC4, 2), wireReg(0xC6, 0xAAAA),
                     wireReg(0xC6, 0x5555), wireReg(0x2A, 0x0004)}));
    EXPECT_EQ(sim->control("table 0 sfdp 1"), "4653\n5044\n0106\nff00\n");
    EXPECT_EQ(sim->control("table 0 sfdp 0"), "");
    EXPECT_EQ(sim->control("table 0 protect 1"), "aaaa\n5555\n");
}

TEST_F(ChipConfigCommand, OnlyTheLowByteOfTheSlotArgumentCounts) {
    start({"gen=1"});
    const auto path = save(withHeader().record(0x0001, 0x20).record(0, 0xFFFF));
    EXPECT_EQ(apply(path, 0x100, 0), 1);
    EXPECT_EQ(wireOps(*sim, 0).front(), wireReg(0x20, 1));
    sim->clearLog(0);
    EXPECT_EQ(apply(path, 0x201, 0), 1);
    EXPECT_EQ(wireOps(*sim, 0).front(), wireReg(0x90, 1));
}

TEST_F(ChipConfigCommand, SlotOneRegistersWrapAroundAt256) {
    start({"gen=1"});
    EXPECT_EQ(apply(save(withHeader().record(0x000C, 0xA0).record(0, 0xFFFF)), 1, 0), 1);
    EXPECT_EQ(wireOps(*sim, 0).front(), wireReg(0x10, 0x000C));  // 0xA0 + 0x70 = 0x110, the reset pin
}

// ---- section boundaries ----

class GenerationTerminator : public ChipConfigCommand, public ::testing::WithParamInterface<int> {};

TEST_P(GenerationTerminator, EachGenerationEndsSectionOneAtItsOwnTerminator) {
    const bool g2 = GetParam() == 2;
    start({g2 ? "gen=2" : "gen=1"});
    const auto path = save(withHeader()
                               .record(0x0001, 0x20)
                               .record(0x0FFF, 0x21)
                               .record(0x0002, 0x22)
                               .record(0x1FFF, 0x23)
                               .record(1500, 5));
    EXPECT_EQ(apply(path, 0, 0), 1);
    const auto all = wireOps(*sim, 0, WireView::Everything);
    const auto versions = std::count(all.begin(), all.end(), "version");
    if (g2) {
        EXPECT_EQ(versions, 4);
        EXPECT_EQ(wireOps(*sim, 0), (Lines{wireReg(0x20, 1), wireReg(0x21, 0x0FFF), wireReg(0x22, 2),
                                           wireLevel(5, 1500), wireReg(0xC4, 1), wireReg(0x2A, 4)}));
    } else {
        // The record after the terminator already belongs to the level section.
        EXPECT_EQ(versions, 2);
        EXPECT_EQ(wireOps(*sim, 0), (Lines{wireReg(0x20, 1), wireLevel(0x22, 2), wireLevel(0x23, 0x1FFF),
                                           wireLevel(5, 1500), wireReg(0xC4, 1), wireReg(0x2A, 4)}));
    }
}

INSTANTIATE_TEST_SUITE_P(Generations, GenerationTerminator, ::testing::Values(1, 2),
                         [](const auto& info) { return "gen" + std::to_string(info.param); });

TEST_F(ChipConfigCommand, WithoutTheMagicTheFirstRecordIsPassedOverAndNoGenerationIsAsked) {
    start({"gen=1"});
    EXPECT_EQ(apply(save(withHeader(false).record(0x1111, 0x20).record(2500, 4)), 0, 0), 1);
    EXPECT_EQ(wireOps(*sim, 0, WireView::Everything),
              (Lines{wireLevel(4, 2500), wireReg(0xC4, 1), "read 0x2a", wireReg(0x2A, 4)}));
}

TEST_F(ChipConfigCommand, EmptySectionsStillSendDefaultLevelsAndTheProtectionSelect) {
    start({"gen=1"});
    // No level record, an SFDP table, no status default, no protection record.
    EXPECT_EQ(apply(save(withHeader().record(1, 0x20).record(0, 0xFFFF).sfdp().record(0x1234, 0x5678).srst().prot()),
                    0, 0),
              1);
    EXPECT_EQ(wireOps(*sim, 0), lines({{wireReg(0x20, 1)},
                                       defaultLevelOps(),
                                       {wireReg(0xC9, 1), wireReg(0xC1, 0x1234), wireReg(0xC1, 0x5678),
                                        wireReg(0xC4, 1), wireReg(0x2A, 4)}}));
    EXPECT_EQ(sim->control("levels 0"), "2=3000\n3=1000\n4=3300\n");
}

TEST_F(ChipConfigCommand, FileEndingEarlyLeavesLaterSectionsEmpty) {
    start({"gen=1"});
    // The SFDP marker with nothing after it selects no table; a record cut short is not used.
    EXPECT_EQ(apply(save(withHeader().record(1, 0x20).record(0, 0xFFFF).sfdp().raw({0x01, 0x02})), 0, 0), 1);
    EXPECT_EQ(wireOps(*sim, 0), lines({{wireReg(0x20, 1)}, defaultLevelOps(), {wireReg(0xC4, 1), wireReg(0x2A, 4)}}));

    sim->clearLog(0);
    EXPECT_EQ(apply(save(withHeader().patch32(8, 0x7FFFFFF0), "beyond.cfg"), 0, 0), 1);
    EXPECT_EQ(wireOps(*sim, 0), lines({defaultLevelOps(), {wireReg(0xC4, 1), wireReg(0x2A, 4)}}))
        << "a record offset beyond the file leaves every section empty";
}

// ---- the final read-modify-write of register 0x2A ----

TEST_F(ChipConfigCommand, FirstFailedTransferEndsTheWalkAndTheCommandFails) {
    start({"gen=1"});
    const auto path = save(fullFile());
    // A level frame (0x11), then the pin control read (0x22 0x2A), fail once: the command
    // reports it and nothing follows the failed frame, so register 0x2A keeps its bits.
    for (const char* frame : {"11", "222a"}) {
        sim->control("set-reg 0 0x2a 0x0003");
        sim->clearLog(0);
        sim->control(std::string("fail 0 1 ") + frame);
        EXPECT_EQ(apply(path, 0, 0), 0) << frame;
        EXPECT_EQ(sim->reg(0, 0x2A), 0x0003) << frame;
        auto log = sim->log(0);
        auto failed = std::find_if(log.begin(), log.end(), [](const SimLogEntry& e) { return e.status == "stall"; });
        ASSERT_NE(failed, log.end()) << frame;
        EXPECT_EQ(transferCount({failed + 1, log.end()}), 0u) << frame << ": no transfer after the failed one";
        sim->control("clear-violations 0");  // the failed frames are the test's own doing
    }
    EXPECT_EQ(apply(path, 0, 0), 1) << "the same file applies once the device answers";
}

TEST_F(ChipConfigCommand, FailedVersionReadNeverConfiguresAG2EmulatorAsFirstGeneration) {
    start({"gen=2"});
    const auto path = save(withHeader().record(0x0001, 0x20).record(0x0FFF, 0x21).record(0x1FFF, 0x22).record(1500, 5));
    sim->control("fail 0 1 10");
    EXPECT_EQ(apply(path, 0, 0), 0);
    EXPECT_EQ(wireOps(*sim, 0), Lines{}) << "0x0FFF would have ended section 1 on a first-generation emulator";
    sim->control("clear-violations 0");
}

// ---- which device ----

TEST_F(ChipConfigCommand, EveryFrameGoesToTheNamedDeviceNotTheCurrentOne) {
    start({"gen=1,serial=1", "gen=2,serial=2"});
    ASSERT_EQ(DoGetUSBDexIndex(), 0);
    EXPECT_EQ(apply(save(fullFile()), 1, 1), 1);
    EXPECT_EQ(transferCount(sim->log(0)), 0u) << "the current device hears nothing";
    const auto ops = wireOps(*sim, 1);
    EXPECT_NE(std::find(ops.begin(), ops.end(), wireLevel(4, 3300)), ops.end());
    EXPECT_NE(std::find(ops.begin(), ops.end(), wireLevel(2, 1800)), ops.end());
    EXPECT_EQ(sim->control("levels 1"), "2=1800\n4=3300\n");
    EXPECT_EQ(sim->control("levels 0"), "");
}

// ---- refused without traffic ----

TEST_F(ChipConfigCommand, FilesThatCannotBeWalkedSendNothingAndReturnZero) {
    start({"gen=1"});
    const auto missing = zel::text::utf8ToWide((dir / "missing.cfg").string());
    const auto folder = zel::text::utf8ToWide(dir.path().string());
    const auto headerless = save(withHeader().truncate(31), "short.cfg");
    EXPECT_EQ(apply(missing, 0, 0), 0);
    EXPECT_EQ(apply(folder, 0, 0), 0);
    EXPECT_EQ(apply(headerless, 0, 0), 0);
    EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_CHIP_CONFIG, 0, 0, 0, 0), 0) << "no path at all";
    EXPECT_EQ(transferCount(sim->log(0)), 0u);

    EXPECT_EQ(apply(save(withHeader().truncate(32), "header-only.cfg"), 0, 0), 1)
        << "a bare header is walked: defaults, protection select, pin control";
}

TEST_F(ChipConfigCommand, DeviceThatIsNotOpenIsNotAddressed) {
    start({"gen=1"});
    const auto path = save(fullFile());
    EXPECT_EQ(apply(path, 0, 1), 0);
    EXPECT_EQ(apply(path, 0, 128), 0);
    EXPECT_EQ(apply(path, 0, -1), 0);
    EXPECT_EQ(transferCount(sim->log(0)), 0u);
}

TEST_F(ChipConfigCommand, PathWithBackslashesAndNonAsciiNamesIsFound) {
    start({"gen=1"});
    std::filesystem::create_directory(dir / "Vendör");
    withHeader().record(0x0042, 0x20).record(0, 0xFFFF).saveTo(dir / "Vendör" / "chïp.cfg");
    std::wstring path = zel::text::utf8ToWide(dir.path().string()) + L"\\Vendör\\chïp.cfg";
    EXPECT_EQ(apply(path, 0, 0), 1);
    EXPECT_EQ(wireOps(*sim, 0).front(), wireReg(0x20, 0x0042));
}

}  // namespace
