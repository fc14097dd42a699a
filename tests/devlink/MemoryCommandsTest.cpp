// Emulation memory transfer of the device-link core against an in-memory device: what only a
// misbehaving device can show (failed frames, failed or short data phases).
#include "CommandDispatcher.h"
#include "DeviceSlots.h"
#include "FakeDevice.h"
#include "MemoryCommands.h"

#include <gtest/gtest.h>

#include <numeric>

namespace zel::devlink {
namespace {

using test::FakeDevice;
using Bytes = std::vector<uint8_t>;

Bytes frame(std::initializer_list<uint8_t> head) {
    Bytes f(16, 0);
    std::copy(head.begin(), head.end(), f.begin());
    return f;
}

Bytes counting(size_t n) {
    Bytes bytes(n);
    std::iota(bytes.begin(), bytes.end(), uint8_t{1});
    return bytes;
}

TEST(MemoryCommands, WriteIsOneFrameThenTheWholeBlockWithBit31AsGiven) {
    FakeDevice device;
    MemoryCommands memory{CommandChannel(&device)};
    const Bytes data = counting(3000);
    EXPECT_TRUE(memory.write(0x80123400, data));
    ASSERT_EQ(device.sent.size(), 2u);
    EXPECT_EQ(device.sent[0].endpoint, 0x01);
    EXPECT_EQ(device.sent[0].data, frame({0x40, 0x80, 0x12, 0x34, 0x00, 0x00, 0x00, 0x0B, 0xB8}));
    EXPECT_EQ(device.sent[1].endpoint, 0x01);
    EXPECT_EQ(device.sent[1].data, data);
}

TEST(MemoryCommands, WriteFailsWithoutDataPhaseWhenTheFrameFailsAndFailsWhenTheDataFails) {
    FakeDevice device;
    MemoryCommands memory{CommandChannel(&device)};
    const Bytes data = counting(512);

    device.outOutcomes = {false};
    EXPECT_FALSE(memory.write(0x1000, data));
    EXPECT_EQ(device.sent.size(), 1u) << "no data may follow a frame the device never got";

    device.sent.clear();
    device.outOutcomes = {true, false};
    EXPECT_FALSE(memory.write(0x1000, data));
    EXPECT_EQ(device.sent.size(), 2u);
}

TEST(MemoryCommands, ZeroLengthWriteSendsTheFrameAndAZeroLengthPacket) {
    FakeDevice device;
    MemoryCommands memory{CommandChannel(&device)};
    EXPECT_TRUE(memory.write(0x200, {}));
    ASSERT_EQ(device.sent.size(), 2u);
    EXPECT_EQ(device.sent[0].data, frame({0x40, 0x00, 0x00, 0x02, 0x00}));
    EXPECT_TRUE(device.sent[1].data.empty());
}

TEST(MemoryCommands, ReadFailsWhenTheDataPhaseFailsOrComesBackShort) {
    FakeDevice device;
    MemoryCommands memory{CommandChannel(&device)};
    Bytes block(1024, 0x11);

    device.reply(Bytes(1024, 0x5A));
    EXPECT_TRUE(memory.read(0x80000400, block));
    EXPECT_EQ(block, Bytes(1024, 0x5A));
    EXPECT_EQ(device.sent.back().data, frame({0x41, 0x80, 0x00, 0x04, 0x00, 0x00, 0x00, 0x04, 0x00}));

    device.reply(Bytes(1023, 0x6B));
    EXPECT_FALSE(memory.read(0x400, block)) << "short";
    device.reply(Bytes(1024, 0x7C), false);
    EXPECT_FALSE(memory.read(0x400, block)) << "transfer error";
    EXPECT_FALSE(memory.read(0x400, block)) << "no answer at all";
}

TEST(MemoryCommands, ReadAwaitsNoDataAfterAFailedFrameNorForAnEmptyBlock) {
    FakeDevice device;
    MemoryCommands memory{CommandChannel(&device)};
    Bytes block(16);
    device.outOk = false;
    EXPECT_FALSE(memory.read(0, block));
    EXPECT_EQ(device.inRequests, 0);

    device.outOk = true;
    EXPECT_TRUE(memory.read(0x10, {}));
    EXPECT_EQ(device.inRequests, 0);
    EXPECT_EQ(device.sent.back().data, frame({0x41, 0x00, 0x00, 0x00, 0x10}));
}

class MemoryDispatch : public ::testing::Test {
protected:
    MemoryDispatch()
        : slots([this] {
              auto fake = std::make_unique<test::FakeTransport>();
              fake->next = [this] {
                  std::vector<transport::DeviceEntry> entries;
                  auto handle = std::make_unique<FakeDevice>();
                  device = handle.get();
                  entries.push_back({kEmulatorVendorId, kEmulatorProductId, std::move(handle)});
                  return entries;
              };
              return fake;
          }) {
        slots.enumerate();
    }

    long send(_COMMAND command, const void* arg, uint32_t value1, uint32_t value2, int index = 0) {
        return dispatchCommand(slots, {command, reinterpret_cast<uintptr_t>(arg), value1, value2, index});
    }

    FakeDevice* device = nullptr;
    DeviceSlots slots;
};

TEST_F(MemoryDispatch, CommandsCarryAddressLengthAndResult) {
    const Bytes data = counting(64);
    EXPECT_EQ(send(ZELMOR_CMD_MEMORY_WRITE, data.data(), 0x80000040, 64), 1);
    EXPECT_EQ(device->sent[0].data, frame({0x40, 0x80, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x40}));
    EXPECT_EQ(send(ZELMOR_CMD_MEMORY_WRITE_AT_ZERO, data.data(), 64, 0x12345678), 1);
    EXPECT_EQ(device->sent[2].data, frame({0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40}));

    Bytes block(64, 0);
    device->reply(data);
    EXPECT_EQ(send(ZELMOR_CMD_MEMORY_READ, block.data(), 0x100, 64), 1);
    EXPECT_EQ(block, data);
    EXPECT_EQ(device->sent[4].data, frame({0x41, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x40}));
    device->reply(Bytes(64, 0x33));
    EXPECT_EQ(send(ZELMOR_CMD_MEMORY_READ_AT_ZERO, block.data(), 64, 0x999), 1);
    EXPECT_EQ(device->sent[5].data, frame({0x41, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40}));

    device->reply(Bytes(63, 0x33));
    EXPECT_EQ(send(ZELMOR_CMD_MEMORY_READ, block.data(), 0, 64), 0) << "a short read is a failure";
    device->outOk = false;
    EXPECT_EQ(send(ZELMOR_CMD_MEMORY_WRITE, data.data(), 0, 64), 0);
}

TEST_F(MemoryDispatch, MissingBufferOrClosedSlotSendsNothing) {
    Bytes block(8);
    EXPECT_EQ(send(ZELMOR_CMD_MEMORY_WRITE, nullptr, 0, 8), 0);
    EXPECT_EQ(send(ZELMOR_CMD_MEMORY_READ, nullptr, 0, 8), 0);
    EXPECT_EQ(send(ZELMOR_CMD_MEMORY_WRITE_AT_ZERO, nullptr, 8, 0), 0);
    EXPECT_EQ(send(ZELMOR_CMD_MEMORY_READ_AT_ZERO, nullptr, 8, 0), 0);
    EXPECT_EQ(send(ZELMOR_CMD_MEMORY_READ, block.data(), 0, 8, 1), 0);
    EXPECT_EQ(send(ZELMOR_CMD_MEMORY_READ, block.data(), 0, 8, 128), 0);
    EXPECT_TRUE(device->sent.empty());
    EXPECT_EQ(send(ZELMOR_CMD_MEMORY_WRITE, nullptr, 0, 0), 1) << "no bytes need no buffer";
}

}  // namespace
}  // namespace zel::devlink
