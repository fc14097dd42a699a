// The emulated SPI NOR chip as a target's SPI master meets it: identity, reads, SFDP, status
// and write-enable rules, programming, erasing and the address modes.
#include "TargetBench.h"

#include <numeric>

namespace zel::sim::target::test {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kWel = SpiNorChip::kWriteEnableLatch;

class TargetChip : public TargetBench {};

TEST_F(TargetChip, AnswersJedecIdAndReadsFromTheSlotMemory) {
    start({.manufacturer = 0xC2, .device = 0x2539, .sizeLog2 = 21});
    EXPECT_EQ(spi({0x9F}, 3), (Bytes{0xC2, 0x25, 0x39}));
    EXPECT_EQ(spi({0x9F}, 6), (Bytes{0xC2, 0x25, 0x39, 0xC2, 0x25, 0x39})) << "the ID repeats while clocked";

    Bytes pattern(300);
    std::iota(pattern.begin(), pattern.end(), uint8_t{0});
    fillMemory(0, 2 << 20, 0x00);
    for (size_t i = 0; i < pattern.size(); ++i) fillMemory(0x1000 + i, 1, pattern[i]);
    EXPECT_EQ(read(0x1000, 300), pattern);
    // Fast read: one dummy byte after the address.
    EXPECT_EQ(spi(withAddress(0x0B, 0x1005), 1 + 4).at(1), 5);
    EXPECT_EQ(spi({0x0B, 0x00, 0x10, 0x05, 0xFF}, 4), (Bytes{5, 6, 7, 8}));
    // A master that keeps sending after the address has clocked those data bytes past.
    EXPECT_EQ(spi({0x03, 0x00, 0x10, 0x00, 0xFF, 0xFF}, 2), (Bytes{2, 3}));
}

TEST_F(TargetChip, SequentialReadWrapsAtTheChipEndAndAddressBitsAboveItAreIgnored) {
    start({.sizeLog2 = 19});  // 512 KiB
    fillMemory(0x7FFFE, 2, 0x11);
    fillMemory(0, 2, 0x22);
    EXPECT_EQ(read(0x7FFFE, 4), (Bytes{0x11, 0x11, 0x22, 0x22}));
    EXPECT_EQ(read(0x87FFFE, 2), (Bytes{0x11, 0x11}));
    // Memory beyond the chip in the slot is not the chip's.
    fillMemory(0x80000, 1, 0x33);
    EXPECT_EQ(read(0x7FFFF, 2), (Bytes{0x11, 0x22}));
}

TEST_F(TargetChip, SfdpReadsAtAnyOffsetAndBeyondTheTableGiveFF) {
    start();
    Bytes table(22);  // odd word count on purpose: 11 words
    std::iota(table.begin(), table.end(), uint8_t{0x40});
    loadSfdp(table);
    auto sfdp = [&](uint32_t offset, size_t n) { return spi({0x5A, static_cast<uint8_t>(offset >> 16), static_cast<uint8_t>(offset >> 8), static_cast<uint8_t>(offset), 0x00}, n); };
    EXPECT_EQ(sfdp(0, 4), (Bytes{0x40, 0x41, 0x42, 0x43}));
    EXPECT_EQ(sfdp(3, 3), (Bytes{0x43, 0x44, 0x45})) << "an odd offset starts on a word's high byte";
    EXPECT_EQ(sfdp(20, 4), (Bytes{0x54, 0x55, 0xFF, 0xFF})) << "past the table: 0xFF";
    EXPECT_EQ(sfdp(0x10000, 2), (Bytes{0xFF, 0xFF})) << "no wrap to the table start";
    // Without the dummy byte the master gets the bytes one position early: the chip does not care.
    EXPECT_EQ(spi({0x5A, 0, 0, 1}, 3), (Bytes{0xFF, 0x41, 0x42}));

    // SFDP keeps its 3-byte address in 4-byte mode.
    loadChip({.sizeLog2 = 25, .options = 0x05});
    spi({0xB7});
    EXPECT_EQ(sfdp(1, 2), (Bytes{0x41, 0x42}));
}

TEST_F(TargetChip, SfdpOfTheOtherSlotIsSeparate) {
    start({}, 1);
    loadSfdp({0x53, 0x46, 0x44, 0x50}, 1);
    EXPECT_EQ(spi({0x5A, 0, 0, 0, 0}, 4, 1), (Bytes{0x53, 0x46, 0x44, 0x50}));
    start({}, 0);
    EXPECT_EQ(spi({0x5A, 0, 0, 0, 0}, 2, 0), (Bytes{0xFF, 0xFF})) << "slot 0 has no table";
}

TEST_F(TargetChip, WriteEnableLatchFollowsTheRulesOfRealChips) {
    start();
    EXPECT_EQ(status() & (kWel | SpiNorChip::kWriteInProgress), 0);
    spi({0x06});
    EXPECT_EQ(status() & kWel, kWel);
    spi({0x04});
    EXPECT_EQ(status() & kWel, 0);

    // Program and erase without the latch do nothing.
    spi({0x02, 0, 0, 0, 0x00});
    spi({0x20, 0, 0x10, 0});
    EXPECT_EQ(memory(0, 1), Bytes{0xFF});
    fillMemory(0x1000, 1, 0x00);
    spi({0x20, 0, 0x10, 0});
    EXPECT_EQ(memory(0x1000, 1), Bytes{0x00});

    // Each of program, erase and status write uses the latch up.
    for (Bytes command : {Bytes{0x02, 0, 0, 0, 0x12}, Bytes{0x20, 0, 0x10, 0}, Bytes{0x01, 0x00}}) {
        spi({0x06});
        spi(command);
        EXPECT_EQ(status() & kWel, 0) << "after opcode " << int(command[0]);
    }
    EXPECT_EQ(memory(0, 1), Bytes{0x12});
    EXPECT_EQ(memory(0x1000, 1), Bytes{0xFF});
    // An erase whose address is cut short is no command: the latch stays.
    spi({0x06});
    spi({0x20, 0, 0x10});
    EXPECT_EQ(status() & kWel, kWel);
    // WIP never shows: every operation is done when chip select rises.
    EXPECT_EQ(status() & SpiNorChip::kWriteInProgress, 0);
}

TEST_F(TargetChip, StatusRegistersWriteAndReadBack) {
    start();
    spi({0x06});
    spi({0x01, 0x1C | 0x03, 0x02});  // WIP/WEL bits of the value are ignored; second byte: SR2
    EXPECT_EQ(status(0x05), 0x1C);
    EXPECT_EQ(status(0x35), 0x02);
    spi({0x06});
    spi({0x31, 0x40});
    EXPECT_EQ(status(0x35), 0x40);
    spi({0x06});
    spi({0x11, 0x61});
    EXPECT_EQ(status(0x15), 0x60) << "bit 0 of SR3 is the address mode, not writable";
    // Without the latch nothing changes; 0x50 allows one write without it.
    spi({0x01, 0x00});
    EXPECT_EQ(status(0x05), 0x1C);
    spi({0x50});
    spi({0x01, 0x00});
    EXPECT_EQ(status(0x05), 0x00);
    // A status register read repeats while clocked.
    EXPECT_EQ(spi({0x35}, 3), (Bytes{0x40, 0x40, 0x40}));
}

TEST_F(TargetChip, QuadEnableShowsAsShippedWhereTheChipKeepsIt) {
    start({.options = 0x18, .reads = 0x2F});  // QE in SR2 bit 1
    EXPECT_EQ(status(0x35) & 0x02, 0x02);
    EXPECT_EQ(status(0x05) & 0x40, 0);
    start({.device = 0x4016, .options = 0x18, .reads = 0x1F});  // another identity: QE in SR1 bit 6
    EXPECT_EQ(status(0x05) & 0x40, 0x40);
    EXPECT_EQ(status(0x35), 0);
}

TEST_F(TargetChip, PageProgramOnlyClearsBitsAndWrapsInsideThePage) {
    start();
    fillMemory(0x100, 0x300, 0xF0);
    spi({0x06});
    spi({0x02, 0x00, 0x01, 0x00, 0x3C, 0x0F});
    EXPECT_EQ(memory(0x100, 3), (Bytes{0x30, 0x00, 0xF0}));

    // From column 0xFE: two bytes to the page end, the rest from the page start.
    fillMemory(0x200, 0x100, 0xFF);
    spi({0x06});
    spi({0x02, 0x00, 0x02, 0xFE, 0xA1, 0xA2, 0xA3, 0xA4});
    EXPECT_EQ(memory(0x2FE, 2), (Bytes{0xA1, 0xA2}));
    EXPECT_EQ(memory(0x200, 3), (Bytes{0xA3, 0xA4, 0xFF}));
    EXPECT_EQ(memory(0x300, 1), Bytes{0xF0}) << "the next page is untouched";

    // More than a page: the last 256 bytes are what stays.
    Bytes command{0x02, 0x00, 0x04, 0x00};
    for (int i = 0; i < 258; ++i) command.push_back(static_cast<uint8_t>(i));
    spi({0x06});
    spi(command);
    EXPECT_EQ(memory(0x400, 2), (Bytes{2, 3}));
    EXPECT_EQ(memory(0x4FF, 1), Bytes{1});
}

TEST_F(TargetChip, EraseSizesClearWholeAlignedBlocksAndNothingAround) {
    start({.sizeLog2 = 20});
    struct Case {
        uint8_t opcode;
        uint32_t address;  // inside the block
        uint32_t blockStart, blockSize;
    };
    for (auto c : {Case{0x20, 0x1234, 0x1000, 0x1000}, Case{0x52, 0x1ABCD, 0x18000, 0x8000},
                   Case{0xD8, 0x2FFFF, 0x20000, 0x10000}, Case{0x20, 0xFFFFF, 0xFF000, 0x1000}}) {
        SCOPED_TRACE(c.opcode);
        fillMemory(0, 1 << 20, 0x00);
        spi({0x06});
        spi(withAddress(c.opcode, c.address));
        EXPECT_EQ(memory(c.blockStart, c.blockSize), bytes(c.blockSize, 0xFF));
        if (c.blockStart > 0) {
            EXPECT_EQ(memory(c.blockStart - 1, 1), Bytes{0x00});
        }
        if (c.blockStart + c.blockSize < (1u << 20)) {
            EXPECT_EQ(memory(c.blockStart + c.blockSize, 1), Bytes{0x00});
        }
    }
    // A chip without 32 KiB erase ignores 0x52 and keeps its latch.
    loadChip({.sizeLog2 = 20, .erases = 0x05});
    fillMemory(0, 1 << 20, 0x00);
    spi({0x06});
    spi(withAddress(0x52, 0x8000));
    EXPECT_EQ(memory(0x8000, 1), Bytes{0x00});
    EXPECT_EQ(status() & kWel, kWel);
    // Chip erase, both opcodes.
    for (uint8_t opcode : {0x60, 0xC7}) {
        fillMemory(0, 1 << 20, 0x00);
        spi({0x06});
        spi({opcode});
        EXPECT_EQ(memory(0, 1 << 20), bytes(1 << 20, 0xFF));
    }
}

TEST_F(TargetChip, FourByteModeEntersAndLeavesOnlyWhereTheChipAllows) {
    const ChipSpec switchable{.device = 0x4019, .sizeLog2 = 25, .options = 0x05};
    start(switchable);
    fillMemory(0x1000000, 1, 0x5A);
    EXPECT_EQ(status(0x15) & SpiNorChip::kFourByteModeFlag, 0);
    spi({0xB7});
    EXPECT_EQ(status(0x15) & SpiNorChip::kFourByteModeFlag, SpiNorChip::kFourByteModeFlag);
    EXPECT_EQ(spi(withAddress(0x03, 0x1000000, 4), 1), Bytes{0x5A});
    spi({0xE9});
    EXPECT_EQ(status(0x15) & SpiNorChip::kFourByteModeFlag, 0);
    EXPECT_EQ(spi(withAddress(0x03, 0x000000), 1), Bytes{0xFF}) << "3-byte addresses again";

    // 3-byte only: 0xB7 changes nothing.
    start({.sizeLog2 = 24, .options = 0x08});
    spi({0xB7});
    EXPECT_EQ(status(0x15) & SpiNorChip::kFourByteModeFlag, 0);
    // Fixed 4-byte chip: starts in 4-byte mode and 0xE9 cannot leave it.
    start({.device = 0x4020, .sizeLog2 = 26, .options = 0x0F});
    EXPECT_EQ(status(0x15) & SpiNorChip::kFourByteModeFlag, SpiNorChip::kFourByteModeFlag);
    spi({0xE9});
    EXPECT_EQ(status(0x15) & SpiNorChip::kFourByteModeFlag, SpiNorChip::kFourByteModeFlag);
    // Fixed 3-byte chip that could address 4 bytes (bits 0 and 3): no switching either.
    start({.device = 0x4021, .sizeLog2 = 25, .options = 0x09});
    spi({0xB7});
    EXPECT_EQ(status(0x15) & SpiNorChip::kFourByteModeFlag, 0);
}

TEST_F(TargetChip, FourByteOpcodesNeedTheirOptionBitAndIgnoreTheMode) {
    ChipSpec chip{.device = 0x4019, .sizeLog2 = 25, .options = 0x05};
    start(chip);
    fillMemory(0x1800000, 0x10000, 0x00);
    EXPECT_EQ(spi(withAddress(0x13, 0x1800000, 4), 2), (Bytes{0x00, 0x00}));
    auto fastRead = withAddress(0x0C, 0x1800000, 4);
    fastRead.push_back(0x00);  // dummy
    EXPECT_EQ(spi(fastRead, 1), Bytes{0x00});
    spi({0x06});
    spi(withAddress(0x21, 0x1800123, 4));
    EXPECT_EQ(memory(0x1800000, 0x1000), bytes(0x1000, 0xFF));
    EXPECT_EQ(memory(0x1801000, 1), Bytes{0x00});
    spi({0x06});
    spi(withAddress(0xDC, 0x1800000, 4));
    EXPECT_EQ(memory(0x1800000, 0x10000), bytes(0x10000, 0xFF));
    spi({0x06});
    auto program = withAddress(0x12, 0x1800010, 4);
    program.push_back(0x77);
    spi(program);
    EXPECT_EQ(memory(0x1800010, 1), Bytes{0x77});

    // Without bit 2 the same opcodes are nothing.
    chip.options = 0x01;
    loadChip(chip);
    EXPECT_EQ(spi(withAddress(0x13, 0x1800010, 4), 1), Bytes{0xFF});
    spi({0x06});
    spi(withAddress(0x21, 0x1800000, 4));
    EXPECT_EQ(memory(0x1800010, 1), Bytes{0x77});
}

}  // namespace
}  // namespace zel::sim::target::test
