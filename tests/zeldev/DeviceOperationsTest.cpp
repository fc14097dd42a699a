// Device operations against a scripted device: failed and short transfers, endless busy
// status, the exact data of memory writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "ControlEndPoint.h"
#include "DeviceLink.h"
#include "FlashProgramming.h"
#include "MemoryTransfer.h"
#include "ScriptedDevice.h"
#include "SlotTable.h"
#include "StatusPoll.h"
#include "StringDescriptor.h"

namespace zel::zeldev {
namespace {

using test::RecordedTransfer;
using test::ScriptedDevice;

class DeviceOperationsTest : public ::testing::Test {
protected:
    ScriptedDevice device;
    Pipes pipes = sortPipes(device.interfaceEndpoints());
    CCyControlEndPoint control;
    DeviceLink link{device, pipes, control};
};

std::vector<uint8_t> counting(size_t length)
{
    std::vector<uint8_t> data(length);
    std::iota(data.begin(), data.end(), uint8_t{1});
    return data;
}

TEST(PipeSortingTest, SortsInterfaceEndpointsByKindKeepingTwoBulkPipesPerDirection)
{
    const auto pipes = sortPipes({{0x81, transport::EndpointType::Interrupt, 64},
                                  {0x02, transport::EndpointType::Bulk, 512},
                                  {0x86, transport::EndpointType::Bulk, 512},
                                  {0x88, transport::EndpointType::Bulk, 512},
                                  {0x8A, transport::EndpointType::Bulk, 512},
                                  {0x03, transport::EndpointType::Isochronous, 512}});
    EXPECT_EQ(pipes.bulkIn, (std::vector<uint8_t>{0x86, 0x88}));
    EXPECT_EQ(pipes.bulkOut, (std::vector<uint8_t>{0x02}));
    EXPECT_EQ(pipes.interrupt, 0x81);
}

TEST(RotatedCopyTest, RotatesLeftBy128OnTheDataRing)
{
    const auto data = counting(300);
    auto expected = data;
    std::rotate(expected.begin(), expected.begin() + 128, expected.end());
    EXPECT_EQ(rotatedCopy(data), expected);

    EXPECT_EQ(rotatedCopy(counting(128)), counting(128));
    const auto shortData = counting(100);  // 128 mod 100 = 28
    auto shortExpected = shortData;
    std::rotate(shortExpected.begin(), shortExpected.begin() + 28, shortExpected.end());
    EXPECT_EQ(rotatedCopy(shortData), shortExpected);
    EXPECT_EQ(rotatedCopy(counting(1)), counting(1));
}

TEST(StringDescriptorTest, TakesTheTextWithinTheClaimedAndTheReceivedLength)
{
    const std::vector<uint8_t> name{12, 3, 'Z', 0, 'e', 0, 'l', 0, 'm', 0, 'o', 0, 'r', 0};
    EXPECT_EQ(descriptorText(name), L"Zelmo");  // bLength 12: five units
    EXPECT_EQ(descriptorText(std::span(name).first(7)), L"Ze");      // cut inside a unit
    std::vector<uint8_t> claimsMore = name;
    claimsMore[0] = 200;
    EXPECT_EQ(descriptorText(claimsMore), L"Zelmor");
    EXPECT_EQ(descriptorText(std::vector<uint8_t>{8, 3, 'A', 0, 0, 0, 'B', 0}), L"A");
    EXPECT_EQ(descriptorText(std::vector<uint8_t>{8, 3, 0x3D, 0xD8, 0x00, 0xDE, 'x', 0}),
              std::wstring(1, wchar_t(0x1F600)) + L"x");
    EXPECT_EQ(descriptorText(std::vector<uint8_t>{6, 3, 0x00, 0xDC, 'y', 0}),
              std::wstring(1, wchar_t(0xFFFD)) + L"y");
    EXPECT_EQ(descriptorText(std::vector<uint8_t>{2}), L"");
}

TEST_F(DeviceOperationsTest, ShortMemoryWriteIsPaddedAndItsRotatedCopyStaysInsideTheData)
{
    const auto data = counting(100);
    ASSERT_TRUE(writeMemory(link, 0x2000, data));

    const auto outs = device.bulkOuts();
    ASSERT_EQ(outs.size(), 2u);
    std::vector<uint8_t> first(512, 0xFF);
    std::copy(data.begin(), data.end(), first.begin());
    EXPECT_EQ(outs[0].endpoint, 0x02);
    EXPECT_EQ(outs[0].data, first);
    const auto rotated = rotatedCopy(data);
    std::vector<uint8_t> second(512, 0xFF);
    std::copy(rotated.begin(), rotated.end(), second.begin());
    EXPECT_EQ(outs[1].data, second);

    // 0xC2 carries the block count as 16-bit little-endian plus two zero bytes.
    const auto start = std::find_if(device.transfers.begin(), device.transfers.end(),
                                    [](const RecordedTransfer& t) { return t.setup.request == 0xC2; });
    ASSERT_NE(start, device.transfers.end());
    EXPECT_EQ(start->data, (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(start->setup.value, 0x0000);
    EXPECT_EQ(start->setup.index, 0x2000);
}

TEST_F(DeviceOperationsTest, MemoryWriteWhoseStartFailsSendsNoData)
{
    device.controlOutFails = [](const transport::SetupPacket& setup) { return setup.request == 0xC2; };
    EXPECT_FALSE(writeMemory(link, 0, counting(600)));
    EXPECT_TRUE(device.bulkOuts().empty());
}

TEST_F(DeviceOperationsTest, MemoryWriteRefusesEmptyAndOverLongData)
{
    EXPECT_FALSE(writeMemory(link, 0, {}));
    const std::vector<uint8_t> tooLong((16u << 20) + 1);
    EXPECT_FALSE(writeMemory(link, 0, tooLong));
    EXPECT_TRUE(device.transfers.empty());
}

TEST_F(DeviceOperationsTest, FailedOrShortMemoryReadLeavesTheBufferUntouched)
{
    std::vector<uint8_t> buffer(513, 0x5C);
    const auto untouched = buffer;

    device.onBulkIn = [](std::span<uint8_t> data) {
        std::fill(data.begin(), data.end(), 0x11);
        return transport::TransferResult{false, 0};
    };
    EXPECT_FALSE(readMemory(link, 0, buffer));
    EXPECT_EQ(buffer, untouched);

    device.onBulkIn = [](std::span<uint8_t> data) {
        std::fill(data.begin(), data.end(), 0x22);
        return transport::TransferResult{true, data.size() - 512};
    };
    EXPECT_FALSE(readMemory(link, 0, buffer));
    EXPECT_EQ(buffer, untouched);

    device.onBulkIn = [](std::span<uint8_t> data) {
        std::fill(data.begin(), data.end(), 0x33);
        return transport::TransferResult{true, data.size()};
    };
    EXPECT_TRUE(readMemory(link, 0, buffer));
    EXPECT_EQ(buffer, std::vector<uint8_t>(513, 0x33));
}

TEST_F(DeviceOperationsTest, MemoryReadAsksForWholeBlocksOnTheFirstBulkInPipe)
{
    std::vector<uint8_t> buffer(1025);
    ASSERT_TRUE(readMemory(link, 0x01234567, buffer));
    const auto start = std::find_if(device.transfers.begin(), device.transfers.end(),
                                    [](const RecordedTransfer& t) { return t.setup.request == 0xC1; });
    ASSERT_NE(start, device.transfers.end());
    EXPECT_EQ(start->data, (std::vector<uint8_t>{3, 0, 0, 0}));
    EXPECT_EQ(start->setup.value, 0x0123);
    EXPECT_EQ(start->setup.index, 0x4567);
    const auto read = std::find_if(device.transfers.begin(), device.transfers.end(),
                                   [](const RecordedTransfer& t) { return t.kind == RecordedTransfer::Kind::BulkIn; });
    ASSERT_NE(read, device.transfers.end());
    EXPECT_EQ(read->endpoint, 0x86);
}

TEST_F(DeviceOperationsTest, StatusThatStaysBusyEndsThePollWithinItsBudget)
{
    device.onControlIn = [](const transport::SetupPacket& setup, std::span<uint8_t> data) {
        std::fill(data.begin(), data.end(), setup.request == 0xB4 ? 1 : 0);
        return transport::TransferResult{true, data.size()};
    };
    EXPECT_FALSE(writeSerialNumber(link, 1234));
    const auto polls = device.countRequests(0xB4);
    EXPECT_GT(polls, 1u);
    EXPECT_LE(polls, static_cast<size_t>(kBlockPoll.budget / kBlockPoll.interval + 1));

    device.transfers.clear();
    EXPECT_FALSE(eraseSerialFlash(link));
    EXPECT_LE(device.countRequests(0xB4), static_cast<size_t>(kErasePoll.budget / kErasePoll.interval + 1));
}

TEST_F(DeviceOperationsTest, FailedStatusReadFailsTheOperationAtOnce)
{
    device.onControlIn = [](const transport::SetupPacket& setup, std::span<uint8_t> data) {
        return transport::TransferResult{setup.request != 0xBA, data.size()};
    };
    std::vector<uint8_t> image(200, 0x42);
    EXPECT_FALSE(writeBootImage(link, image));
    EXPECT_EQ(device.countRequests(0xBA), 1u);
    EXPECT_EQ(device.countRequests(0xB9), 1u);
}

TEST_F(DeviceOperationsTest, ShortStatusReplyIsAFailure)
{
    device.onControlIn = [](const transport::SetupPacket&, std::span<uint8_t>) {
        return transport::TransferResult{true, 0};
    };
    EXPECT_FALSE(writeSerialNumber(link, 1));
    EXPECT_EQ(device.countRequests(0xB4), 1u);
}

TEST_F(DeviceOperationsTest, SerialFlashImageMismatchOnReadBackFails)
{
    // Every read-back returns zeros: the image is programmed but does not verify.
    std::vector<uint8_t> image(100, 0x42);
    EXPECT_FALSE(writeSerialFlashImage(link, image));
    EXPECT_EQ(device.countRequests(0xB3), 2u);
    EXPECT_EQ(device.countRequests(0xB2), 1u);
}

}  // namespace
}  // namespace zel::zeldev
