// The sample configuration end to end: `zelinfo --apply` puts it on target 1 of one emulator and
// target 2 of another, and zelsim's `slot` view shows what each chip slot then holds.
#include <gtest/gtest.h>

#include <string>

#include "ProgramRun.h"
#include "SampleChip.h"
#include "SimProcess.h"
#include "chipcfg/ChipConfigWire.h"

namespace zel::chipcfg {
namespace {

using test::kSampleFileName;
using zel::test::runProgram;
using zel::test::SimProcess;

const std::string kSample = std::string(ZEL_SAMPLES_DIR) + "/" + kSampleFileName;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The slot view's table block: a head line, then the words eight to a line.
std::string tableBlock(const std::string& name, const std::vector<std::uint16_t>& words) {
    std::string text = name + " (" + std::to_string(words.size()) + " words):\n";
    char word[8];
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::snprintf(word, sizeof word, "%04x", words[i]);
        text += (i % 8 == 0 ? "  " : " ") + std::string(word) + (i % 8 == 7 || i + 1 == words.size() ? "\n" : "");
    }
    return text;
}

const std::string kSampleLevels = "levels (the device's, shared by both slots):\n  2=3000\n  3=1000\n  4=3300\n";

class SampleOnTwoEmulators : public ::testing::Test {
protected:
    void SetUp() override { sim.exportEnvironment(); }
    void TearDown() override {
        EXPECT_EQ(sim.control("violations 0"), "");
        EXPECT_EQ(sim.control("violations 1"), "");
    }

    SimProcess sim{{"gen=1", "gen=2"}, {"--strict"}};
};

TEST_F(SampleOnTwoEmulators, EachTargetHoldsTheChipInItsOwnSlot) {
    const auto first = runProgram(ZELINFO_PATH, {"--apply", kSample, "--device", "1"});
    ASSERT_EQ(first.exitCode, 0) << first.output;
    EXPECT_EQ(first.output,
              "device 1 target 1: Winbond W25Q16JV applied\n"
              "  chip size: 2097152 bytes (2048 KiB)\n"
              "  supply voltage: 3300 mV\n"
              "  fixed address mode: yes\n"
              "  SFDP table: yes\n");
    const auto second = runProgram(ZELINFO_PATH, {"--apply", kSample, "--device", "2", "--target", "2"});
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_TRUE(contains(second.output, "device 2 target 2: Winbond W25Q16JV applied\n")) << second.output;

    const auto description = test::sampleChipDescription();
    const std::string sfdp = tableBlock("sfdp", description.sfdpWords);
    const std::string protect = tableBlock("protect", description.protectionWords);
    const std::string none = "sfdp (0 words):\nprotect (0 words):\n";

    // Target 1: the chip's registers, the option registers (0x4F fixed address mode, 0x4D QE off,
    // 0x3B die erase off), pin control bit 2 and the idle SPI status.
    EXPECT_EQ(sim.control("slot 0 0"),
              "registers (slot 0 numbering, device register = r + 0x00):\n"
              "  0x2a=0x0004\n  0x2c=0xc000\n  0x32=0x0060\n  0x40=0x00ef\n  0x41=0x4015\n  0x42=0x0015\n  0x43=0x0008\n  0x44=0x0007\n  0x4f=0x0010\n" +
                  kSampleLevels + sfdp + protect);
    EXPECT_EQ(sim.control("slot 0 1"),
              "registers (slot 1 numbering, device register = r + 0x70):\n" + kSampleLevels + none);

    // Target 2: the same chip in slot 1's registers and tables; slot 0 keeps only what belongs to
    // the device as a whole.
    EXPECT_EQ(sim.control("slot 1 1"),
              "registers (slot 1 numbering, device register = r + 0x70):\n"
              "  0x32=0x0060\n  0x40=0x00ef\n  0x41=0x4015\n  0x42=0x0015\n  0x43=0x0008\n  0x44=0x0007\n" +
                  kSampleLevels + sfdp + protect);
    EXPECT_EQ(sim.control("slot 1 0"),
              "registers (slot 0 numbering, device register = r + 0x00):\n"
              "  0x2a=0x0004\n  0x2c=0xc000\n  0x4f=0x0010\n" +
                  kSampleLevels + none);
}

TEST_F(SampleOnTwoEmulators, ApplyThatCannotGoAheadSendsNoChipConfiguration) {
    const std::string missing = std::string(ZEL_SAMPLES_DIR) + "/no-such-chip.cfg";
    EXPECT_EQ(runProgram(ZELINFO_PATH, {"--apply", missing, "--device", "1"}).exitCode, 1);
    EXPECT_EQ(runProgram(ZELINFO_PATH, {"--apply", kSample, "--device", "5"}).exitCode, 2) << "not found";
    EXPECT_EQ(runProgram(ZELINFO_PATH, {"--apply", kSample}).exitCode, 2);
    EXPECT_EQ(runProgram(ZELINFO_PATH, {"--apply", kSample, "--device", "1", "--target", "3"}).exitCode, 2);
    EXPECT_EQ(runProgram(ZELINFO_PATH, {"--device", "x", "--apply", kSample}).exitCode, 2);
    EXPECT_TRUE(test::wireOps(sim, 0).empty());
    EXPECT_TRUE(test::wireOps(sim, 1).empty());
}

TEST(ChipSlotView, OnlyTwoSlotsOnlyOnCommandFrameDevices) {
    SimProcess sim({"gen=1", "pid=0x1234"});
    EXPECT_THROW(sim.control("slot 0 2"), std::runtime_error);
    EXPECT_THROW(sim.control("slot 1 0"), std::runtime_error);
    EXPECT_THROW(sim.control("slot 2 0"), std::runtime_error);
    EXPECT_THROW(sim.control("slot 0"), std::runtime_error);
}

}  // namespace
}  // namespace zel::chipcfg
