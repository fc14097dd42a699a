// The link speed of a simulated emulator: bulk transfers answer when their bytes would have
// crossed a link of that rate, in both directions; a device's own key wins over --speed.
#include "SimTestHelpers.h"

#include <gtest/gtest.h>

#include <chrono>

namespace zel::test {
namespace {

using Clock = std::chrono::steady_clock;
using simwire::Status;

constexpr uint32_t kLength = 2'000'000;

// A memory write of kLength bytes and the read of them back, each timed.
std::pair<double, double> writeAndReadSeconds(RawSimClient& device) {
    auto frame = [](uint8_t opcode) {
        return makeFrame({opcode, 0, 0, 0, 0, uint8_t(kLength >> 24), uint8_t(kLength >> 16), uint8_t(kLength >> 8),
                          uint8_t(kLength)});
    };
    const std::vector<uint8_t> data(kLength, 0x5A);
    auto start = Clock::now();
    EXPECT_EQ(device.bulkOut(0x01, frame(0x40)).status, Status::Ok);
    EXPECT_EQ(device.bulkOut(0x01, data).status, Status::Ok);
    const double write = std::chrono::duration<double>(Clock::now() - start).count();
    start = Clock::now();
    EXPECT_EQ(device.bulkOut(0x01, frame(0x41)).status, Status::Ok);
    const auto back = device.bulkIn(0x82, kLength);
    EXPECT_EQ(back.payload, data);
    return {write, std::chrono::duration<double>(Clock::now() - start).count()};
}

TEST(LinkSpeed, TransfersTakeTheirBytesOverTheRate) {
    // 2 MB at 20 MB/s: 100 ms each way; --speed applies to the device without its own key.
    SimProcess sim({"gen=2,speed=20", "gen=2"}, {"--speed", "10"});
    auto paced = openDevice(sim, 0);
    const auto [write, read] = writeAndReadSeconds(*paced);
    EXPECT_GE(write, 0.1);
    EXPECT_GE(read, 0.1);
    EXPECT_LT(write + read, 1.0);
    auto slower = openDevice(sim, 1);
    const auto [write10, read10] = writeAndReadSeconds(*slower);
    EXPECT_GE(write10, 0.2);
    EXPECT_GE(read10, 0.2);
}

}  // namespace
}  // namespace zel::test
