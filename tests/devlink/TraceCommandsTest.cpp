// The trace burst read against a scripted device: which counts it believes, where it stops
// appending, and when it stops asking.
#include "FakeDevice.h"
#include "TraceCommands.h"

#include <gtest/gtest.h>

#include <memory>

namespace zel::devlink::test {
namespace {

std::vector<uint8_t> block(size_t count, uint8_t mark) {
    std::vector<uint8_t> b(kTraceBlockSize, mark);
    b[0] = static_cast<uint8_t>(count >> 8);
    b[1] = static_cast<uint8_t>(count);
    return b;
}

TEST(TraceBurstRead, CountsAreClampedToABlockAndRecordsStopAtTheCaptureBufferEnd) {
    FakeDevice device;
    device.reply(block(0xFFFF, 0x11));  // a count no block can hold
    device.reply(block(0, 0x22));
    std::vector<uint8_t> buffer(2 * kTraceBlockSize, 0);
    uint32_t filled = 8;
    ASSERT_TRUE(TraceCommands(CommandChannel(&device)).burstRead(buffer.data(), 2 * kTraceBlockSize + 100, filled, 0x15));
    EXPECT_EQ(filled, 8 + 1023 * 8u);
    EXPECT_EQ(buffer[8 + 1023 * 8 - 1], 0x11);
    EXPECT_EQ(buffer[8 + 1023 * 8], 0x00) << "nothing past the clamped count";

    // Near the end of the 128 MiB buffer only the whole records that fit are taken.
    auto capture = std::make_unique_for_overwrite<uint8_t[]>(kCaptureBufferSize);  // untouched pages cost nothing
    device.reply(block(100, 0x33));
    uint32_t nearEnd = kCaptureBufferSize - 64;
    ASSERT_TRUE(TraceCommands(CommandChannel(&device)).burstRead(capture.get(), kTraceBlockSize, nearEnd, 0x15));
    EXPECT_EQ(nearEnd, kCaptureBufferSize);
    EXPECT_EQ(capture[kCaptureBufferSize - 1], 0x33);
}

TEST(TraceBurstRead, AfterAFailedBlockNothingIsAppendedAndASilentDeviceIsNotAskedAgain) {
    FakeDevice device;
    device.reply(block(2, 0x11));
    device.reply(std::vector<uint8_t>(100, 0x22));  // short: the stream is off, keep reading
    device.reply(block(3, 0x33));
    // then no answer at all: the remaining five blocks are not asked for
    std::vector<uint8_t> buffer(0x10000, 0);
    uint32_t filled = 0;
    EXPECT_FALSE(TraceCommands(CommandChannel(&device)).burstRead(buffer.data(), 0x10000, filled, 0x15));
    EXPECT_EQ(filled, 16u) << "the records before the failure stay counted";
    EXPECT_EQ(buffer[16], 0x00);
    EXPECT_EQ(device.inRequests, 4);
    ASSERT_EQ(device.sent.size(), 1u);
    const std::vector<uint8_t> frame{0xBC, 0, 0, 0, 8, 0, 0, 0, 0, 0x15, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(device.sent[0].data, frame);
}

}  // namespace
}  // namespace zel::devlink::test
