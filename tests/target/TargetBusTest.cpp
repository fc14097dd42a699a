// The target bus around the chips: when the target sees a chip at all, the bus-state register,
// the trace records and the separation of the two chip slots.
#include "TargetBench.h"

namespace zel::sim::target::test {
namespace {

using Bytes = std::vector<uint8_t>;

class TargetBusSide : public TargetBench {};

TEST_F(TargetBusSide, NoChipWithoutRunningEmulatorIdentityOrSupply) {
    const Bytes none{0xFF, 0xFF, 0xFF};
    EXPECT_EQ(spi({0x9F}, 3), none) << "power-up: nothing at all";

    loadChip({});
    setSupply(3300);
    EXPECT_EQ(spi({0x9F}, 3), none) << "emulator stopped";
    run(true);
    EXPECT_EQ(spi({0x9F}, 3), (Bytes{0xEF, 0x40, 0x15}));

    setSupply(0);
    EXPECT_EQ(spi({0x9F}, 3), none) << "supply off";
    setSupply(1800);
    loadChip({.sizeLog2 = 0});
    EXPECT_EQ(spi({0x9F}, 3), none) << "no identity loaded";
    loadChip({.sizeLog2 = 40});
    EXPECT_EQ(spi({0x9F}, 3), none) << "a size the slot cannot hold";

    // Without a chip nothing is programmed or erased either.
    loadChip({});
    run(false);
    fillMemory(0, 1, 0x00);
    spi({0x06});
    spi({0x20, 0, 0, 0});
    EXPECT_EQ(memory(0, 1), Bytes{0x00});
    EXPECT_FALSE(bus_.chipPresent(0));
}

TEST_F(TargetBusSide, ChipPowersUpAfreshWhenItComesBack) {
    start({.device = 0x4019, .sizeLog2 = 25, .options = 0x05});
    spi({0x06});
    spi({0xB7});
    run(false);
    spi({0x05}, 1);  // the target tries while the emulator is stopped
    run(true);
    EXPECT_EQ(spi({0x05}, 1), Bytes{0x00}) << "write enable lost";
    EXPECT_EQ(spi({0x15}, 1), Bytes{0x00}) << "back in 3-byte mode";

    spi({0x06});
    bus_.fpgaReloaded();
    EXPECT_EQ(spi({0x05}, 1), Bytes{0x00}) << "an FPGA reload restarts the chip too";
}

TEST_F(TargetBusSide, BusStateRegisterShowsIdleBitsAndTheLastCommand) {
    const auto spiStatus = [&] { return registers_.read(FpgaRegisters::kSpiStatus); };
    EXPECT_EQ(spiStatus(), 0xC000);
    start();
    spi({0x9F}, 3);
    EXPECT_EQ(spiStatus(), 0xC09F) << "idle again, last opcode in bits 0-7";

    bus_.holdBusy(true);
    EXPECT_EQ(spiStatus() & 0xC000, 0);
    spi({0x05}, 1);
    EXPECT_EQ(spiStatus(), 0x0005) << "a transaction does not end another master's hold";
    bus_.holdBusy(false);
    EXPECT_EQ(spiStatus(), 0xC005);

    // The slot-1 copy of register 0x20 (0x90) is left to the chip configuration.
    registers_.write(0x90, 0x1234);
    spi({0x06}, 0, 1);
    EXPECT_EQ(registers_.read(0x90), 0x1234);
    EXPECT_EQ(spiStatus(), 0xC006);

    // An FPGA reload resets the register; a hold still shows.
    bus_.holdBusy(true);
    registers_.reset();
    bus_.fpgaReloaded();
    EXPECT_EQ(spiStatus(), 0x0000);
}

TEST_F(TargetBusSide, EveryTransactionIsRecordedInTheTraceLayout) {
    start();
    fillMemory(0, 16, 0xA0);
    spi({0x03, 0x00, 0x00, 0x00}, 9);  // 13 bus bytes: command record + 2 continuations
    spi({0x06});
    const auto records = bus_.trace().last(100);
    ASSERT_EQ(records.size(), 4u + 2u);

    EXPECT_EQ(records[0][0], 0xFF);
    EXPECT_EQ(records[0][1], 0xFF) << "timestamp record";
    EXPECT_EQ(records[1], (TraceRecord{1, 48, 0x03, 0, 0, 0, 0xA0, 0xA0})) << "opcode, address, first data";
    EXPECT_EQ(records[2], (TraceRecord{1, 1 << 6 | 48, 0xA0, 0xA0, 0xA0, 0xA0, 0xA0, 0xA0}));
    EXPECT_EQ(records[3], (TraceRecord{1, 2 << 6 | 8, 0xA0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(records[4][0], 0xFF);
    EXPECT_EQ(records[5], (TraceRecord{2, 8, 0x06, 0, 0, 0, 0, 0}));

    // Timestamps do not run backwards.
    auto stamp = [](const TraceRecord& r) {
        uint64_t t = 0;
        for (int i = 2; i < 8; ++i) t = t << 8 | r[static_cast<size_t>(i)];
        return t;
    };
    EXPECT_LE(stamp(records[0]), stamp(records[4]));
    // Records are kept when no chip answers: the bus still carried them.
    run(false);
    spi({0x9F}, 3);
    EXPECT_EQ(bus_.trace().last(1)[0], (TraceRecord{3, 32, 0x9F, 0xFF, 0xFF, 0xFF, 0, 0}));
}

TEST_F(TargetBusSide, TraceStaysBoundedAndSequenceNumbersSkip0And255) {
    start();
    for (int i = 0; i < 300; ++i) spi({0x05}, 1);
    // 4096 records of room: 600 records, all kept.
    const auto records = bus_.trace().last(600);
    ASSERT_EQ(records.size(), 600u);
    EXPECT_EQ(records[2 * 253 + 1][0], 254);
    EXPECT_EQ(records[2 * 254 + 1][0], 1) << "254 is followed by 1";

    // A long transaction records only its first bytes.
    spi({0x03, 0, 0, 0}, 1 << 20);
    EXPECT_LE(bus_.trace().size(), 4096u);
    const auto last = bus_.trace().last(1)[0];
    EXPECT_GT(last[1] & 0x3F, 0);

    for (int i = 0; i < 5000; ++i) spi({0x06});
    EXPECT_EQ(bus_.trace().size(), 4096u) << "the oldest records made room";
    EXPECT_EQ(bus_.trace().last(1)[0][2], 0x06);

    bus_.powerCycle();
    EXPECT_EQ(bus_.trace().size(), 0u);
}

TEST_F(TargetBusSide, TheTwoChipSlotsAreSeparateChips) {
    start({.manufacturer = 0xEF, .device = 0x4015, .sizeLog2 = 21}, 0);
    start({.manufacturer = 0xC2, .device = 0x2016, .sizeLog2 = 22}, 1);
    EXPECT_EQ(spi({0x9F}, 3, 0), (Bytes{0xEF, 0x40, 0x15}));
    EXPECT_EQ(spi({0x9F}, 3, 1), (Bytes{0xC2, 0x20, 0x16}));
    spi({0x06}, 0, 1);
    spi({0x02, 0, 0, 0, 0x42}, 0, 1);
    EXPECT_EQ(memory(0, 1, 1), Bytes{0x42});
    EXPECT_EQ(memory(0, 1, 0), Bytes{0xFF});
    spi({0x06}, 0, 0);
    EXPECT_EQ(spi({0x05}, 1, 1)[0] & SpiNorChip::kWriteEnableLatch, 0) << "write enable is per chip";
    EXPECT_THROW(spi({0x9F}, 3, 2), std::out_of_range);
}

}  // namespace
}  // namespace zel::sim::target::test
