// The fixed dispatch order, the combination and hold checks, and the device-number checks.
#include <gtest/gtest.h>

#include <boost/program_options/errors.hpp>

#include "Harness.h"

namespace zel::test {
namespace {

TEST(DispatchOrder, StepsRunInTheirFixedOrderWhateverTheCommandLineOrder) {
    Harness h;
    const auto bin = h.file("image.bin", std::string(0x100, '\x11'));
    auto r = h.dispatch({"--start", "-v", "-d", bin.string(), "--set", "W25Q32JV", "--stop", "--reset", "2"});
    ASSERT_EQ(r.status, 0) << r.out;
    const int reset = h.api.indexOf("reset 1 0");
    const int stop = h.api.indexOf("hold 2 0");  // the stop step leaves the hold pin floating
    const int set = h.api.indexOf("setchip");
    const int download = h.api.indexOf("download 0");
    const int verify = h.api.indexOf("verify");
    const int start = h.api.indexOf("start 0");
    EXPECT_EQ(h.api.indexOf("boot 0"), 0);
    EXPECT_LT(reset, stop);
    EXPECT_LT(stop, set);
    EXPECT_LT(set, download);
    EXPECT_LT(download, verify);
    EXPECT_LT(verify, start);
}

TEST(DispatchOrder, NoDeviceEndsAtOnceWithStatusZero) {
    Harness h(0);
    auto r = h.dispatch({"--stop", "--set", "W25Q32JV", "--device", "3"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "No device is connected!\n");
    EXPECT_TRUE(h.api.calls().empty());
}

TEST(DispatchOrder, VerifyWithoutDownloadFailsAfterStopAndSet) {
    Harness h;
    auto r = h.dispatch({"-v", "--stop", "--set", "W25Q32JV", "-b", "--start"});
    EXPECT_EQ(r.status, 99);
    EXPECT_TRUE(r.out.ends_with("This command has to work with -d.\n")) << r.out;
    EXPECT_NE(h.api.indexOf("setchip"), -1);
    EXPECT_EQ(h.api.indexOf("read"), -1);
    EXPECT_EQ(h.api.indexOf("start"), -1);
}

TEST(DispatchOrder, AddressWithReadIsFineButFillNeedsDownload) {
    Harness h;
    EXPECT_EQ(h.dispatch({"--set", "W25Q32JV", "-r", "STDOUT", "-a", "0xFF0"}).status, 0);
    Harness other;
    EXPECT_EQ(other.dispatch({"--set", "W25Q32JV", "-r", "STDOUT", "-x", "0xAA"}).status, 99);
}

TEST(DispatchOrder, HoldWithoutStartRunsEverythingThenEndsWith13) {
    Harness h;
    auto r = h.dispatch({"--hold", "2", "--stop", "-c"});
    EXPECT_EQ(r.status, 13);
    EXPECT_NE(h.api.indexOf("hold 2 0"), -1);
    EXPECT_NE(r.out.find("MCU firmware version: 3.5"), std::string::npos);
    EXPECT_TRUE(r.out.ends_with("This command has to work with --start.\n")) << r.out;
}

TEST(DispatchOrder, FirstFailingStepEndsTheRunWithItsStatus) {
    Harness h;
    h.api.devices[0].opened = false;
    auto r = h.dispatch({"--stop", "--start"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(h.api.indexOf("start"), -1);
}

TEST(DispatchOrder, DeviceNumbersOutsideTheAttachedOnesAreOptionErrors) {
    Harness h(2);
    EXPECT_THROW(h.dispatch({"--stop", "--device", "3"}), boost::program_options::error);
    EXPECT_THROW(h.dispatch({"--stop", "--device", "0"}), boost::program_options::error);
    EXPECT_THROW(h.dispatch({"--list-device-id", "3"}), boost::program_options::error);
    EXPECT_TRUE(h.api.calls().empty());
    EXPECT_EQ(h.dispatch({"--stop", "--device", "2"}).status, 0);
    EXPECT_EQ(h.api.indexOf("stop 0"), -1);
    EXPECT_EQ(h.api.indexOf("hold 2 1"), 1);  // after "boot 1"
}

}  // namespace
}  // namespace zel::test
