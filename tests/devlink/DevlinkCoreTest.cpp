// The device-link core against in-memory devices: what only a misbehaving device can show
// (short or failed replies), the slot rules, and the dispatcher table.
#include "CommandDispatcher.h"
#include "DeviceSlots.h"
#include "IdentityCommands.h"
#include "RegisterCommands.h"
#include "FakeDevice.h"

#include <gtest/gtest.h>

namespace zel::devlink {
namespace {

using test::FakeDevice;
using test::FakeTransport;

std::vector<uint8_t> frame(std::initializer_list<uint8_t> head) {
    std::vector<uint8_t> f(16, 0);
    std::copy(head.begin(), head.end(), f.begin());
    return f;
}

// ---- transfer primitives ----

TEST(CommandChannel, ReplyThatFailsOrComesBackShortLeavesZeros) {
    FakeDevice device;
    CommandChannel channel(&device);
    std::array<uint8_t, 5> reply{9, 9, 9, 9, 9};

    device.reply({1, 2, 3});  // short
    EXPECT_FALSE(channel.readReply(reply));
    EXPECT_EQ(reply, (std::array<uint8_t, 5>{}));

    device.reply({1, 2, 3, 4, 5}, false);  // data, but the transfer reported an error
    EXPECT_FALSE(channel.readReply(reply));
    EXPECT_EQ(reply, (std::array<uint8_t, 5>{}));

    device.reply({1, 2, 3, 4, 5});
    EXPECT_TRUE(channel.readReply(reply));
    EXPECT_EQ(reply, (std::array<uint8_t, 5>{1, 2, 3, 4, 5}));
}

TEST(CommandChannel, ShortDataInIsAFailure) {
    FakeDevice device;
    CommandChannel channel(&device);
    std::vector<uint8_t> block(512);
    device.reply(std::vector<uint8_t>(511, 0xAB));
    EXPECT_FALSE(channel.receiveData(block));
    device.reply(std::vector<uint8_t>(512, 0xAB));
    EXPECT_TRUE(channel.receiveData(block));
}

TEST(CommandChannel, ClosedChannelFailsEveryPrimitive) {
    CommandChannel closed(nullptr);
    std::array<uint8_t, 3> reply{7, 7, 7};
    EXPECT_FALSE(closed.isOpen());
    EXPECT_FALSE(closed.sendCommand(CommandFrame(Opcode::ReadRegister)));
    EXPECT_FALSE(closed.readReply(reply));
    EXPECT_EQ(reply, (std::array<uint8_t, 3>{}));
    EXPECT_FALSE(closed.sendData(reply));
    EXPECT_FALSE(closed.receiveData(reply));
    EXPECT_FALSE(closed.control({0x80, 6, 0x100, 0, 3}, reply).ok);
}

TEST(CommandFrame, ParametersAreBigEndianAndTheRestZero) {
    CommandFrame read(Opcode::ReadMemory);
    read.put32(1, 0x80123456).put32(5, 0x00010000);
    const std::vector<uint8_t> expected = frame({0x41, 0x80, 0x12, 0x34, 0x56, 0x00, 0x01, 0x00, 0x00});
    EXPECT_EQ(std::vector<uint8_t>(read.bytes().begin(), read.bytes().end()), expected);
    CommandFrame write(Opcode::WriteFlashPage);
    write.put24(1, 0x1FFF00).fill(4, 0xFF);
    auto page = write.bytes();
    EXPECT_EQ(page[1], 0x1F);
    EXPECT_EQ(page[3], 0x00);
    EXPECT_EQ(page[4], 0xFF);
    EXPECT_EQ(page[15], 0xFF);
}

// ---- registers and identity ----

TEST(RegisterCommands, ReadTakesBytesOneAndTwoAndAFailedReadIsNoValue) {
    FakeDevice device;
    RegisterCommands regs{CommandChannel(&device)};
    device.reply({0xEE, 0x12, 0x34});
    EXPECT_EQ(regs.read(0x2C), 0x1234);
    ASSERT_EQ(device.sent.size(), 1u);
    EXPECT_EQ(device.sent[0].endpoint, 0x01);
    EXPECT_EQ(device.sent[0].data, frame({0x22, 0x2C}));

    device.reply({0xEE, 0x12});
    EXPECT_EQ(regs.read(0x2C), std::nullopt);
    EXPECT_FALSE(regs.isRunning());
}

TEST(RegisterCommands, NoReplyIsAwaitedForAFrameTheDeviceNeverGot) {
    FakeDevice device;
    device.outOk = false;
    RegisterCommands regs{CommandChannel(&device)};
    EXPECT_EQ(regs.read(0x28), std::nullopt);
    EXPECT_EQ(device.inRequests, 0);
}

TEST(RegisterCommands, RunWritesWhenTheStateCannotBeReadStopDoesNot) {
    FakeDevice device;
    RegisterCommands regs{CommandChannel(&device)};
    regs.run();  // run register unreadable: counts as stopped
    ASSERT_EQ(device.sent.size(), 2u);
    EXPECT_EQ(device.sent[1].data, frame({0x23, 0x28, 0x00, 0x01}));
    device.sent.clear();
    regs.stop();
    EXPECT_EQ(device.sent.size(), 1u) << "only the read";
}

TEST(IdentityCommands, FirmwareVersionIsReorderedAndGenerationFollowsTheMcuMajorByte) {
    FakeDevice device;
    IdentityCommands identity{CommandChannel(&device)};
    device.reply({0xEE, 0x02, 0x5F, 0x03, 0x05});
    EXPECT_EQ(identity.firmwareVersion(), (FirmwareVersion{0x5F, 0x02, 0x05, 0x03}));
    EXPECT_EQ(device.sent[0].data, frame({0x10}));

    device.reply({0xEE, 0x02, 0x5F, 0x03, 0x05});
    EXPECT_TRUE(identity.isG2());
    device.reply({0xEE, 0x02, 0x5F, 0x02, 0x1E});
    EXPECT_FALSE(identity.isG2());
    device.reply({0xEE, 0x02, 0x5F, 0x07});  // short: all zeros
    EXPECT_EQ(identity.firmwareVersion(), (FirmwareVersion{}));
}

TEST(IdentityCommands, IdentityPageThatComesBackShortReadsAsErased) {
    FakeDevice device;
    IdentityCommands identity{CommandChannel(&device)};
    device.reply({0xEF, 0x40, 0x15});
    device.reply(std::vector<uint8_t>(100, 0x00));  // partial page of zeros
    EXPECT_EQ(identity.serialNumber(), 0xFFFFFFFFu);
    ASSERT_EQ(device.sent.size(), 2u);
    EXPECT_EQ(device.sent[0].data, frame({0x30}));
    EXPECT_EQ(device.sent[1].data, frame({0x33, 0x1F, 0xFF, 0x00}));

    std::vector<uint8_t> page(256, 0xFF);
    page[1] = 0x07;
    page[2] = 0x45, page[3] = 0x23, page[4] = 0x01, page[5] = 0x00;
    device.reply({0xEF, 0x40, 0x15});
    device.reply(page);
    EXPECT_EQ(identity.serialNumber(), 0x00012345u);
    device.reply({}, false);  // the ID read fails; the page is still read
    device.reply(page);
    EXPECT_EQ(identity.hardwareVersion(), 0x07);
}

TEST(IdentityCommands, NameOnlyForTheEmulatorIdentity) {
    FakeDevice device;
    IdentityCommands identity{CommandChannel(&device)};
    uint16_t productId = 0x1235;
    bool fail = false;
    device.onControl = [&](const transport::SetupPacket& setup, std::span<uint8_t> data) {
        EXPECT_EQ(setup.requestType, 0x80);
        EXPECT_EQ(setup.request, 6);
        EXPECT_EQ(setup.value, 0x0100);
        EXPECT_EQ(setup.index, 0);
        EXPECT_EQ(setup.length, 18);
        data[8] = 0xB4, data[9] = 0x04;
        data[10] = static_cast<uint8_t>(productId), data[11] = static_cast<uint8_t>(productId >> 8);
        return transport::TransferResult{!fail, 18};
    };
    EXPECT_EQ(identity.deviceName(), L"ZelmorPro");
    productId = 0x1234;
    EXPECT_EQ(identity.deviceName(), L"");
    productId = 0x1235;
    fail = true;
    EXPECT_EQ(identity.deviceName(), L"");
}

// ---- slots ----

class DeviceSlotsTest : public ::testing::Test {
protected:
    FakeTransport* transport = nullptr;
    DeviceSlots slots{[this] {
        auto t = std::make_unique<FakeTransport>();
        transport = t.get();
        return t;
    }};

    // present[i]: true = opened, false = present but not openable
    void attach(std::vector<bool> present) {
        if (!transport) slots.enumerate();  // creates the transport
        transport->next = [present] {
            std::vector<transport::DeviceEntry> entries;
            for (bool open : present) {
                entries.push_back({0x04B4, 0x1235, open ? std::make_unique<FakeDevice>() : nullptr});
            }
            return entries;
        };
    }
};

TEST_F(DeviceSlotsTest, CurrentIndexIsTheOnlyOpenedDeviceAmongSeveralElseZero) {
    attach({false, false, true});
    EXPECT_EQ(slots.enumerate(), 1);
    EXPECT_EQ(slots.currentIndex(), 2);
    EXPECT_EQ(transport->lastVendorId, 0x04B4);
    EXPECT_EQ(transport->lastProductId, 0x1235);

    attach({true, true});
    EXPECT_EQ(slots.enumerate(), 2);
    EXPECT_EQ(slots.currentIndex(), 0);

    attach({false, true, true});
    EXPECT_EQ(slots.enumerate(), 2);
    EXPECT_EQ(slots.currentIndex(), 0);

    attach({false});
    EXPECT_EQ(slots.enumerate(), 0);
    EXPECT_EQ(slots.currentIndex(), 0);
    EXPECT_EQ(slots.device(0), nullptr);
}

TEST_F(DeviceSlotsTest, ReleaseKeepsTheCurrentIndexAndClosesEverySlot) {
    attach({false, true});
    slots.enumerate();
    ASSERT_NE(slots.device(1), nullptr);
    slots.releaseAll();
    EXPECT_EQ(slots.device(1), nullptr);
    EXPECT_EQ(slots.openCount(), 0u);
    EXPECT_EQ(slots.currentIndex(), 1);
}

TEST_F(DeviceSlotsTest, OldHandlesAreClosedBeforeTheNextEnumeration) {
    attach({true});
    bool destroyed = false;
    transport->next = [&destroyed] {
        std::vector<transport::DeviceEntry> entries;
        auto device = std::make_unique<FakeDevice>();
        device->destroyed = &destroyed;
        entries.push_back({0x04B4, 0x1235, std::move(device)});
        return entries;
    };
    slots.enumerate();
    transport->next = [&destroyed] {
        EXPECT_TRUE(destroyed) << "our own handle would make the device look busy";
        return std::vector<transport::DeviceEntry>{};
    };
    slots.enumerate();
    EXPECT_EQ(transport->enumerations, 3);  // one by attach(), two here
}

TEST_F(DeviceSlotsTest, DevicesBeyondTheTableAreNotOpenedAndIndicesOutsideItAreNoSlot) {
    attach(std::vector<bool>(130, true));
    EXPECT_EQ(slots.enumerate(), 128);
    EXPECT_NE(slots.device(127), nullptr);
    EXPECT_EQ(slots.device(128), nullptr);
    EXPECT_EQ(slots.device(-1), nullptr);
    EXPECT_EQ(slots.device(1000), nullptr);
}

// ---- dispatcher ----

TEST_F(DeviceSlotsTest, DispatcherServesOnlyItsTableAndOnlyOpenSlots) {
    attach({true, false});
    slots.enumerate();
    auto& device = static_cast<FakeDevice&>(*slots.device(0));
    std::array<uint8_t, 256> page{};

    EXPECT_EQ(dispatchCommand(slots, {static_cast<_COMMAND>(3), 0, 0, 0, 0}), 0);
    EXPECT_EQ(dispatchCommand(slots, {static_cast<_COMMAND>(0x77), 0, 0, 0, 0}), 0);
    EXPECT_EQ(dispatchCommand(slots, {ZELMOR_CMD_ACCEPTED_B8, 0, 0, 0, 0}), 1);
    EXPECT_EQ(dispatchCommand(slots, {ZELMOR_CMD_ACCEPTED_B9, 0, 0, 0, 0}), 1);
    EXPECT_EQ(dispatchCommand(slots, {ZELMOR_CMD_ACCEPTED_B8, 0, 0, 0, 1}), 0) << "slot 1 is not open";
    EXPECT_EQ(dispatchCommand(slots, {ZELMOR_CMD_FLASH_READ_PAGE, 0, 0x1000, 0, 0}), 0) << "no buffer";
    EXPECT_TRUE(device.sent.empty());

    device.reply(std::vector<uint8_t>(256, 0x5A));
    auto arg = reinterpret_cast<uintptr_t>(page.data());
    EXPECT_EQ(dispatchCommand(slots, {ZELMOR_CMD_FLASH_READ_PAGE, arg, 0x123456, 0, 0}), 1);
    EXPECT_EQ(page[255], 0x5A);
    ASSERT_EQ(device.sent.size(), 1u);
    EXPECT_EQ(device.sent[0].data, frame({0x33, 0x12, 0x34, 0x56}));

    device.reply(std::vector<uint8_t>(255, 0x5A));
    EXPECT_EQ(dispatchCommand(slots, {ZELMOR_CMD_FLASH_READ_PAGE, arg, 0, 0, 0}), 0) << "short page";
}

}  // namespace
}  // namespace zel::devlink
