// Emulation memory transfer through ZelmorProDll's exports against a strict zelsim: one frame
// and one bulk transfer per request, the chip slot in bit 31, and what the memory holds after.
#include "ZelmorProDll.h"
#include "simwire/DataDigest.h"
#include "support/CommandFrame.h"
#include "support/SimProcess.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>

namespace {

using zel::test::SimLogEntry;
using zel::test::SimProcess;
using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

Bytes frame(std::initializer_list<uint8_t> head) { return zel::test::commandFrame(head); }

Bytes pattern(size_t n, uint8_t seed) {
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 9));
    return bytes;
}

std::vector<SimLogEntry> transfers(const std::vector<SimLogEntry>& log) {
    std::vector<SimLogEntry> list;
    for (const auto& e : log)
        if (e.kind != SimLogEntry::Kind::Note) list.push_back(e);
    return list;
}

class MemorySim : public ::testing::Test {
protected:
    void SetUp() override {
        sim = std::make_unique<SimProcess>(std::vector<std::string>{"gen=1"}, std::vector<std::string>{"--strict"});
        sim->exportEnvironment(20000ms);
        InitZelmorPro();
        sim->clearLog(0);
    }
    void TearDown() override {
        EXPECT_EQ(sim->control("violations 0"), "");
        CloseUSBZelmorPro();
        ExitZelmorPro();
    }

    long send(_COMMAND command, const void* arg, uint32_t value1, uint32_t value2) {
        return SendCommandToZelmorPro(command, reinterpret_cast<uintptr_t>(arg), value1, value2, 0);
    }
    uint64_t digest(uint32_t address, uint64_t length) {
        return std::stoull(sim->control("digest 0 " + std::to_string(address) + " " + std::to_string(length)), nullptr,
                           16);
    }

    std::unique_ptr<SimProcess> sim;
};

TEST_F(MemorySim, WriteAndReadGoToTheChipSlotOfBit31AsOneFrameAndOneTransfer) {
    const Bytes data = pattern(0x9000, 3);
    ASSERT_EQ(send(ZELMOR_CMD_MEMORY_WRITE, data.data(), 0x80001000, data.size()), 1);
    auto log = transfers(sim->log(0));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].data, frame({0x40, 0x80, 0x00, 0x10, 0x00, 0x00, 0x00, 0x90, 0x00}));
    EXPECT_EQ(log[1].length, data.size());
    EXPECT_EQ(log[1].hash, zel::simwire::DataDigest::of(data));
    EXPECT_EQ(digest(0x80001000, data.size()), zel::simwire::DataDigest::of(data));
    EXPECT_EQ(digest(0x1000, data.size()), zel::simwire::DataDigest::of(Bytes(data.size(), 0xFF)))
        << "slot 0 untouched";

    sim->clearLog(0);
    Bytes back(0x9000, 0);
    ASSERT_EQ(send(ZELMOR_CMD_MEMORY_READ, back.data(), 0x80001000, back.size()), 1);
    EXPECT_EQ(back, data);
    log = transfers(sim->log(0));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].data, frame({0x41, 0x80, 0x00, 0x10, 0x00, 0x00, 0x00, 0x90, 0x00}));
    EXPECT_EQ(log[1].kind, SimLogEntry::Kind::In);
    EXPECT_EQ(log[1].requested, data.size());
}

TEST_F(MemorySim, CommandsAtAddressZeroAndAZeroLengthWrite) {
    const Bytes data = pattern(0x200, 5);
    ASSERT_EQ(send(ZELMOR_CMD_MEMORY_WRITE_AT_ZERO, data.data(), data.size(), 0xDEAD), 1);
    Bytes back(0x200, 0);
    ASSERT_EQ(send(ZELMOR_CMD_MEMORY_READ_AT_ZERO, back.data(), back.size(), 0xBEEF), 1);
    EXPECT_EQ(back, data);

    sim->clearLog(0);
    ASSERT_EQ(send(ZELMOR_CMD_MEMORY_WRITE, nullptr, 0x10, 0), 1);
    auto log = transfers(sim->log(0));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].data, frame({0x40, 0x00, 0x00, 0x00, 0x10}));
    EXPECT_EQ(log[1].kind, SimLogEntry::Kind::Out);
    EXPECT_EQ(log[1].length, 0u);
    EXPECT_EQ(log[1].status, "ok");
}

TEST_F(MemorySim, FailedFrameSendsNoDataPhaseAndFailedReadsReportZero) {
    const Bytes data = pattern(0x1000, 7);
    sim->control("fail 0 1");
    EXPECT_EQ(send(ZELMOR_CMD_MEMORY_WRITE, data.data(), 0, data.size()), 0);
    auto log = transfers(sim->log(0));
    ASSERT_EQ(log.size(), 1u) << "the data would have been taken for the next frame";
    EXPECT_EQ(log[0].status, "stall");

    Bytes back(0x1000, 0x33);
    sim->control("fail 0 1");
    EXPECT_EQ(send(ZELMOR_CMD_MEMORY_READ, back.data(), 0, back.size()), 0);
    EXPECT_EQ(back, Bytes(0x1000, 0x33));
    EXPECT_EQ(digest(0, 0x1000), zel::simwire::DataDigest::of(Bytes(0x1000, 0xFF)));

    // The failures leave the link in step.
    sim->clearLog(0);
    ASSERT_EQ(send(ZELMOR_CMD_MEMORY_WRITE, data.data(), 0, data.size()), 1);
    EXPECT_EQ(send(ZELMOR_CMD_MEMORY_READ, back.data(), 0, back.size()), 1);
    EXPECT_EQ(back, data);
}

TEST_F(MemorySim, SlotThatIsNotOpenSendsNothing) {
    const Bytes data(16, 0);
    EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_MEMORY_WRITE, reinterpret_cast<uintptr_t>(data.data()), 0, 16, 1), 0);
    EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_MEMORY_WRITE, reinterpret_cast<uintptr_t>(data.data()), 0, 16, -1), 0);
    EXPECT_TRUE(transfers(sim->log(0)).empty());
}

}  // namespace
