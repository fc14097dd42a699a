// The desktop terminal's logic without Qt: its settings through the document and back with the
// op-code check, the viewer's wrapping search, and the register tester's decoding, hex input and
// split dFIFO writes against a scripted emulator.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "GuiSettings.h"
#include "HtTester.h"
#include "RowSearch.h"
#include "TempDir.h"
#include "TerminalSettings.h"

#include <deque>
#include <map>

namespace {

using namespace zel::gui;
using ::testing::ElementsAre;

TEST(TerminalSettings, RoundTripThroughTheDocumentAndOpcodeCheck) {
    zel::test::TempDir home;
    GuiSettings settings(home.path(), {ZEL_TEMPLATE_DIR});
    auto chosen = terminal_settings::TerminalSettings::read(settings);
    chosen.lookUpPaths = {"/b/look.txt", "/a/look.txt"};
    chosen.dedicated = true;
    chosen.opcode = 0x9F;
    chosen.pageProgram = true;
    chosen.translateCheckPoints = true;
    chosen.colours.rgb[2] = 0x123456;
    chosen.chooseFiles("/a/look.txt", "/c/ckp.txt");
    ASSERT_FALSE(settings.write(chosen.changes()));

    const auto read = terminal_settings::TerminalSettings::read(GuiSettings(home.path(), {ZEL_TEMPLATE_DIR}));
    EXPECT_TRUE(read.dedicated);
    EXPECT_EQ(read.opcode, 0x9F);
    EXPECT_TRUE(read.pageProgram);
    EXPECT_TRUE(read.translateCheckPoints);
    EXPECT_EQ(read.colours.rgb[2], 0x123456u);
    EXPECT_EQ(read.lookUpFile, "/a/look.txt");
    EXPECT_THAT(read.lookUpPaths, ElementsAre("/a/look.txt", "/b/look.txt"));
    EXPECT_THAT(read.checkPointPaths, ElementsAre("/c/ckp.txt"));

    EXPECT_EQ(read.opcodeProblem("Winbond"), "This OP code is used by SPI flash.\nPlease select another one.");
    EXPECT_EQ(read.opcodeProblem("Nobody"), std::nullopt);
    auto normalRead = read;
    normalRead.dedicated = false;  // the edit's op-code is not used then
    EXPECT_EQ(normalRead.opcodeProblem("winbond"), std::nullopt);
    EXPECT_EQ(normalRead.dedicatedOpcode(), std::nullopt);
    EXPECT_EQ(terminal_settings::parseOpcodeText("e5"), 0xE5);
    EXPECT_EQ(terminal_settings::parseOpcodeText("zz"), std::nullopt);
}

TEST(RowSearch, FindsWithoutCaseAfterTheSelectionAndWraps) {
    const std::vector<std::string> rows = {"#0  Boot", "#1  hello World", "#2  nothing", "#3  WORLD peace"};
    const auto text = [&](size_t row) { return rows[row]; };
    EXPECT_EQ(findNextRow(rows.size(), std::nullopt, "world", text), 1u);
    EXPECT_EQ(findNextRow(rows.size(), 1, "world", text), 3u);
    EXPECT_EQ(findNextRow(rows.size(), 3, "world", text), 1u);  // past the end to the top
    EXPECT_EQ(findNextRow(rows.size(), 0, "boot", text), 0u);   // a lone match is found again
    EXPECT_EQ(findNextRow(rows.size(), 0, "absent", text), std::nullopt);
    EXPECT_EQ(findNextRow(rows.size(), 0, "", text), std::nullopt);
}

// An emulator whose registers and uFIFO the test sets; dFIFO pieces are recorded.
class ScriptedDevice final : public tester::HtDevice {
public:
    bool emulation = true;
    std::map<int, std::uint8_t> registers;
    std::optional<std::vector<std::uint8_t>> uFifo = std::vector<std::uint8_t>{};
    std::vector<std::vector<std::uint8_t>> pieces;
    size_t takeAtMost = 255;

    bool emulating() override { return emulation; }
    std::optional<std::uint8_t> readRegister(int index) override {
        const auto found = registers.find(index);
        return found == registers.end() ? std::nullopt : std::optional(found->second);
    }
    std::optional<std::vector<std::uint8_t>> readUFifo() override { return uFifo; }
    size_t writeDFifo(std::span<const std::uint8_t> piece) override {
        const size_t taken = std::min(piece.size(), takeAtMost);
        pieces.emplace_back(piece.begin(), piece.begin() + long(taken));
        return taken;
    }
};

TEST(HtTester, MainRegisterIsDecodedByItsBitsAndFollowsTheFifoLengths) {
    ScriptedDevice device;
    device.registers = {{0, 0x50}, {1, 0x1C}};  // restart, no dFIFO data, uFIFO holds some
    EXPECT_THAT(tester::readRegister(device, 0),
                ElementsAre("Read SPI hyper termainl register...", "\n\n*HT Register 0: Main Register = 0x50",
                            "*Restart the SPI Flash emulation", "*At least 1B valid data in uFIFO",
                            "*uFIFO length = 0x1C", "*No valid data in dFIFO"));
    device.registers = {{0, 0x30}};  // bit 6 clear: the dFIFO holds data, and its length read fails
    EXPECT_THAT(tester::readRegister(device, 0),
                ElementsAre("Read SPI hyper termainl register...", "\n\n*HT Register 0: Main Register = 0x30",
                            "*Restart the SPI Flash emulation", "*No valid data in uFIFO",
                            "*At least 1B valid data in dFIFO", "*USB Error: reading the dFIFO length failed"));
    device.registers = {{0, 6}};
    EXPECT_EQ(tester::readRegister(device, 0).size(), 2u);
    EXPECT_EQ(tester::readRegister(device, 3).back(), "*Zelmor identification is only available on SPI bus!");
    EXPECT_EQ(tester::readRegister(device, 5).back(), "*USB Error: reading 5: Timer failed");
    device.emulation = false;
    EXPECT_EQ(tester::readRegister(device, 0).back(), "Run ZelmorPro first!");
}

TEST(HtTester, UFifoIsListedSixteenBytesALineAndAFailureIsReported) {
    ScriptedDevice device;
    device.uFifo = std::vector<std::uint8_t>(20, 0xAB);
    const auto lines = tester::readUFifo(device);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2].size(), 16u * 3);
    EXPECT_EQ(lines[3], " AB AB AB AB");
    device.uFifo = std::vector<std::uint8_t>{};
    EXPECT_EQ(tester::readUFifo(device).back(), "*uFIFO content: No data");
    device.uFifo.reset();
    EXPECT_EQ(tester::readUFifo(device).back(), "*USB Error: reading the uFIFO failed");
}

TEST(HtTester, HexInputIsCheckedBeforeAnythingIsSent) {
    ScriptedDevice device;
    EXPECT_THAT(tester::writeHex(device, "12 34 56"),
                ElementsAre("Write hex data to download FIFO...", "*3 bytes are sent to dFIFO"));
    EXPECT_THAT(device.pieces, ElementsAre(std::vector<std::uint8_t>{0x12, 0x34, 0x56}));
    EXPECT_EQ(tester::writeHex(device, "1G")[1], "*rror! The data format should be hex!");
    EXPECT_THAT(tester::writeHex(device, "123 45"),
                ElementsAre("Write hex data to download FIFO...", "Error byte: 123", "*Error! The data format should be hex!",
                            "*Please note that there should be a space after each hex data(Ex. 12 34 56....)."));
    EXPECT_EQ(tester::writeHex(device, "").back(), "*0 bytes are sending to dFIFO");
    EXPECT_EQ(device.pieces.size(), 1u);
}

TEST(HtTester, LongWritesAreSplitAndTheTotalAndAShortfallLogged) {
    ScriptedDevice device;
    std::string hex;
    for (int i = 0; i < 600; ++i) hex += "a5 ";
    EXPECT_THAT(tester::writeHex(device, hex),
                ElementsAre("Write hex data to download FIFO...", "*600 bytes are sent to dFIFO",
                            "*600 bytes written in 3 pieces of at most 255 bytes"));
    ASSERT_EQ(device.pieces.size(), 3u);
    EXPECT_EQ(device.pieces[0].size(), 255u);
    EXPECT_EQ(device.pieces[2].size(), 90u);

    ScriptedDevice broken;
    broken.takeAtMost = 0;
    const std::vector<std::uint8_t> text(10, 'x');
    EXPECT_EQ(tester::writeText(broken, text).back(), "*USB Error: only 0 of 10 bytes reached the dFIFO");
}

}  // namespace
