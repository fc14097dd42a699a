// `zelsim cut` through the simulator transport: a data phase that stops partway reports exactly
// the bytes that moved and never success.
#include "SimProcess.h"
#include "transport/SimTransport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zel::test {
namespace {

using namespace std::chrono_literals;
using transport::Problem;

constexpr uint32_t kBlock = 8192;

std::vector<uint8_t> memoryFrame(uint8_t opcode, uint32_t length) {
    std::vector<uint8_t> frame(16, 0);
    frame[0] = opcode;
    for (int i = 0; i < 4; ++i) frame[5 + i] = static_cast<uint8_t>(length >> (24 - 8 * i));
    return frame;
}

std::vector<uint8_t> pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    return bytes;
}

class CutTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        entries_ = transport::SimTransport(sim_.dir(), {2000ms, 2000ms}).enumerate(0x04B4, 0x1235);
        ASSERT_EQ(entries_.size(), 1u);
        ASSERT_TRUE(entries_[0].handle);
    }
    transport::DeviceHandle& device() { return *entries_[0].handle; }

    SimProcess sim_{{"gen=1"}};
    std::vector<transport::DeviceEntry> entries_;
};

TEST_F(CutTransfer, OutStallsAfterTheCutAndInEndsShort) {
    const auto data = pattern(kBlock);
    sim_.control("cut 0 4096");
    EXPECT_NE(sim_.control("status").find("cut=4096"), std::string::npos);
    ASSERT_TRUE(device().bulkOut(0x01, memoryFrame(0x40, kBlock)).ok) << "command frames are never cut";
    auto out = device().bulkOut(0x01, data);
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.transferred, 4096u);
    EXPECT_EQ(device().lastProblem(), Problem::DeviceError);
    const auto log = sim_.log(0);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().length, 4096u);
    EXPECT_EQ(log.back().status, "stall");

    // The stall ended the command: the next frame is taken as one and its data lands whole.
    auto whole = data;
    std::reverse(whole.begin(), whole.end());
    ASSERT_TRUE(device().bulkOut(0x01, memoryFrame(0x40, kBlock)).ok);
    ASSERT_TRUE(device().bulkOut(0x01, whole).ok);
    std::vector<uint8_t> back(kBlock);
    ASSERT_TRUE(device().bulkOut(0x01, memoryFrame(0x41, kBlock)).ok);
    ASSERT_TRUE(device().bulkIn(0x82, back).complete(kBlock));
    EXPECT_TRUE(back == whole);

    // A read cut short: ok, with fewer bytes, the first of them right.
    sim_.control("cut 0 1000");
    ASSERT_TRUE(device().bulkOut(0x01, memoryFrame(0x41, kBlock)).ok);
    std::fill(back.begin(), back.end(), 0);
    auto in = device().bulkIn(0x82, back);
    EXPECT_TRUE(in.ok);
    EXPECT_EQ(in.transferred, 1000u);
    EXPECT_FALSE(in.complete(kBlock));
    EXPECT_TRUE(std::equal(back.begin(), back.begin() + 1000, whole.begin()));
}

TEST_F(CutTransfer, UnplugMidwayFailsAsDisconnectedAtOnce) {
    sim_.control("cut 0 3000 unplug");
    ASSERT_TRUE(device().bulkOut(0x01, memoryFrame(0x41, kBlock)).ok);
    std::vector<uint8_t> back(kBlock);
    const auto started = std::chrono::steady_clock::now();
    auto in = device().bulkIn(0x82, back);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1500ms) << "no time-out is waited for";
    EXPECT_FALSE(in.ok);
    EXPECT_EQ(device().lastProblem(), Problem::Disconnected);
    EXPECT_NE(sim_.control("status").find("unplugged"), std::string::npos);
    sim_.control("replug 0");
}

}  // namespace
}  // namespace zel::test
