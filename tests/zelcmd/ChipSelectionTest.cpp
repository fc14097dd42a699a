// Chip selection: the G2 supply-voltage prompt, the firmware checks and the address mode.
#include "ZelcmdTestEnv.h"

namespace zel::test {
namespace {

const std::string kPrompt = "Chip voltage has been changed, are you sure to change the chip? [Y/N] ";
const std::string kVccError = "Error: VCC setting error! Please re-plug ZelmorPro-G2\n";
const std::string kFirmwareVoltageError =
    "Error : The voltage requirement of the selected chip is not suitable for current version firmware.\n"
    "Please update the correct firmware or Please contact Varnik Inc. for geting the firmware.\n";
const std::string kSet18 = std::string("Chip 1 ") + kChip18 + " is set.\nVCC 1.8V is applied!\n";
const std::string kSet33 = std::string("Chip 1 ") + kChip33 + " is set.\nVCC 3.3V is applied!\n";

size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

class G2Voltage : public ZelcmdTest {
protected:
    // A G2 emulator with its 3.3 V FPGA image; the host's fixed waits scaled down.
    void SetUp() override { startSim({"gen=2"}, {"--time-scale", "0.01"}); }

    std::string fpgaLine() {
        auto r = zelcmd({"--check"});
        const auto at = r.out.find("FPGA firmware version: ");
        return at == std::string::npos ? r.out : r.out.substr(at, r.out.find('\n', at) - at);
    }
};

TEST_F(G2Voltage, MatchingVoltageNeverReadsTheConsole) {
    // Input that never ends: asking would hang until the time-out.
    auto r = zelcmd({"--set", kChip33}, ChildInput::keptOpen());
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, kSet33);
}

TEST_F(G2Voltage, YesSwitchesTheImageAndSelectsWithoutAskingAgain) {
    auto r = zelcmd({"--set", kChip18}, ChildInput::fromText("y\n"));
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(count(r.out, kPrompt), 1u) << describe(r);
    EXPECT_EQ(r.out, kPrompt + "\nPlease wait for 10 seconds...\n" + kSet18) << describe(r);
    EXPECT_EQ(fpgaLine(), "FPGA firmware version: 2.095 (1.8V)");

    // The image now matches an 1800 mV chip; a 3300 mV chip asks again and "Y" switches back.
    r = zelcmd({"--set", kChip18}, ChildInput::keptOpen());
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.out, kSet18) << describe(r);
    r = zelcmd({"--set", kChip33}, ChildInput::fromText("Y"));
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, kPrompt + "\nPlease wait for 10 seconds...\n" + kSet33) << describe(r);
    EXPECT_EQ(fpgaLine(), "FPGA firmware version: 2.095 (3.3V)");
}

TEST_F(G2Voltage, NoSelectsTheChipThenFailsTheFirmwareCheck) {
    auto r = zelcmd({"--set", kChip18, "--start"}, ChildInput::fromText("n\n"));
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 3) << describe(r);
    EXPECT_EQ(r.out, kPrompt + "\n" + kVccError + kSet18 + kFirmwareVoltageError) << describe(r);
    EXPECT_FALSE(simRunning(*sim_, 0));
    EXPECT_EQ(fpgaLine(), "FPGA firmware version: 2.095 (3.3V)");
}

TEST_F(G2Voltage, EndOfInputAndOtherAnswersCountAsNeither) {
    for (auto input : {ChildInput::devNull(), ChildInput::fromText(""), ChildInput::fromText("x\n")}) {
        auto r = zelcmd({"--set", kChip18}, input);
        ASSERT_TRUE(r.exited()) << describe(r);
        EXPECT_EQ(r.status, 3) << describe(r);
        EXPECT_EQ(r.out, kPrompt + "\n" + kSet18 + kFirmwareVoltageError) << describe(r);
    }
    EXPECT_EQ(fpgaLine(), "FPGA firmware version: 2.095 (3.3V)");
}

TEST_F(G2Voltage, A2500mVChipPassesWithoutAnAnswer) {
    // 2500 mV matches neither image: the question comes, but the firmware check never fails it.
    auto r = zelcmd({"--set", kChip25}, ChildInput::devNull());
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, kPrompt + "\nChip 1 " + kChip25 + " is set.\nVCC 3.3V is applied!\n") << describe(r);
}

class ChipSelection : public ZelcmdTest {};

TEST_F(ChipSelection, FirmwareVoltageOnFirstGeneration) {
    // FPGA major 0x82: a 1.8 V image on a first-generation emulator (FPGA minor 95 > 67).
    startSim({"gen=1,fw=0x021E825F"});
    auto r = zelcmd({"--set", kChip33}, ChildInput::keptOpen());
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 3) << describe(r);
    EXPECT_EQ(r.out, kSet33 + kFirmwareVoltageError);
    r = zelcmd({"--set", kChip18}, ChildInput::keptOpen());
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, kSet18);
}

TEST_F(ChipSelection, OldFpgaEncodesNoVoltage) {
    // FPGA minor 67: no voltage in the version; either chip passes.
    startSim({"gen=1,fw=0x021E8243"});
    EXPECT_EQ(zelcmd({"--set", kChip18}).status, 0);
    EXPECT_EQ(zelcmd({"--set", kChip33}).status, 0);
}

TEST_F(ChipSelection, FourByteMode) {
    startSim({"gen=1", "gen=1,fw=0x021E025A"});
    // A chip with a fixed addressing mode refuses the switch; the step still succeeds.
    auto r = zelcmd({"--device", "1", "--set", kChip33, "--enter-4byte-mode", "2"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, kSet33 + "Error: this chip DO NOT support 4-byte-mode\n") << describe(r);
    r = zelcmd({"--device", "1", "--set", "W25Q256JV-IM", "--enter-4byte-mode", "2"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, "Chip 1 W25Q256JV-IM is set.\nVCC 3.3V is applied!\nEnter 4-Byte mode.\n") << describe(r);
    // FPGA minor 90: no 4-byte entry.
    r = zelcmd({"--device", "2", "--set", "W25Q256JV-IM", "--enter-4byte-mode", "2"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, "Chip 1 W25Q256JV-IM is set.\nVCC 3.3V is applied!\n"
                     "Error: this firmware version doen't support Enter 4-byte mode function! \n"
                     "Please contect Varnik Inc. to get more information\n")
        << describe(r);
}

}  // namespace
}  // namespace zel::test
