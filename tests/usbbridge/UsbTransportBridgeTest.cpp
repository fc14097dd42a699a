// The libusb backend (UsbTransport over the system libusb) against zelsim's device model through
// the bridge: what the hand-written seam assumed about libusb, now checked against the real one.
#include "MemoryCommands.h"
#include "SimProcess.h"
#include "UsbBridge.h"
#include "presence/PresenceWatcher.h"
#include "presence/UsbDeviceLister.h"
#include "presence/UsbHotplugSource.h"
#include "presence/UsbPollingSource.h"
#include "transport/UsbTransport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <thread>

namespace zel::test {
namespace {

using namespace std::chrono_literals;
using transport::Problem;
using usbbridge::UsbBridge;

constexpr uint16_t kVendor = 0x04B4;
constexpr uint16_t kProduct = 0x1235;
constexpr uint16_t kEarlierProduct = 0x1234;
constexpr auto kTimeout = 1500ms;

std::vector<uint8_t> pattern(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : bytes) b = static_cast<uint8_t>((x = x * 1664525u + 1013904223u) >> 24);
    return bytes;
}

std::vector<uint64_t> outLengths(const SimProcess& sim, int device) {
    std::vector<uint64_t> lengths;
    for (const auto& e : sim.log(device))
        if (e.kind == SimLogEntry::Kind::Out) lengths.push_back(e.length);
    return lengths;
}

// libusb lists the device it discovered last first, so tests find devices by their node.
transport::DeviceEntry& entryAt(std::vector<transport::DeviceEntry>& entries, const std::string& node) {
    auto it = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.location == node; });
    if (it == entries.end()) throw std::runtime_error("no device at " + node);
    return *it;
}

devlink::CommandChannel channelOf(transport::DeviceEntry& entry) { return devlink::CommandChannel(entry.handle.get()); }

// A zelsim with the given devices, presented to libusb; UsbTransport with shortened time-outs.
class Bridged : public ::testing::Test {
protected:
    explicit Bridged(std::vector<std::string> devices = {"gen=1,serial=1111"}, std::vector<std::string> options = {})
        : sim_(std::move(devices), std::move(options)), bridge_(sim_.dir()) {}

    std::vector<transport::DeviceEntry> enumerate(uint16_t product = kProduct) {
        return transport::UsbTransport(transport::makeSystemLibusbApi(), {kTimeout, kTimeout}).enumerate(kVendor, product);
    }
    transport::DeviceEntry openFirst() {
        auto entries = enumerate();
        EXPECT_EQ(entries.size(), 1u);
        EXPECT_TRUE(entries.empty() || entries[0].handle);
        return entries.empty() ? transport::DeviceEntry{} : std::move(entries[0]);
    }

    SimProcess sim_;
    UsbBridge bridge_;
};

class TwoDesigns : public Bridged {
protected:
    TwoDesigns() : Bridged({"gen=1,serial=1111", "pid=0x1234,fw=0x01020304"}) {}
};

TEST_F(TwoDesigns, EachIdentityListsItsOwnEmulatorAndBothAnswerThroughLibusb) {
    // As for a user: ZELMOR_SIM is unset, so the process's transport is libusb.
    auto frames = transport::makeTransport()->enumerate(kVendor, kProduct);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].location, bridge_.deviceNode(0));
    ASSERT_TRUE(frames[0].handle);
    const uint8_t registerRead[16] = {0x22, 0x2C};
    ASSERT_TRUE(frames[0].handle->bulkOut(0x01, registerRead).ok);
    uint8_t reply[3] = {};
    EXPECT_TRUE(frames[0].handle->bulkIn(0x82, reply).complete(3));
    const auto log = sim_.log(0);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2].data, std::vector<uint8_t>(std::begin(registerRead), std::end(registerRead)));
    EXPECT_EQ(log.back().data, std::vector<uint8_t>(std::begin(reply), std::end(reply)));

    auto earlier = transport::makeTransport()->enumerate(kVendor, kEarlierProduct);
    ASSERT_EQ(earlier.size(), 1u);
    EXPECT_EQ(earlier[0].location, bridge_.deviceNode(1));
    ASSERT_TRUE(earlier[0].handle);
    std::vector<uint8_t> version(4);
    auto control = earlier[0].handle->control({0xC0, 0xBE, 0, 0, 4}, version);  // vendor request: firmware
    EXPECT_TRUE(control.complete(4));
    EXPECT_EQ(version, (std::vector<uint8_t>{0x04, 0x03, 0x02, 0x01}));
    std::vector<uint8_t> descriptor(18);
    EXPECT_TRUE(earlier[0].handle->control({0x80, 0x06, 0x0100, 0, 18}, descriptor).complete(18));
    EXPECT_EQ(descriptor[10] | descriptor[11] << 8, kEarlierProduct);
}

class HeldAndDenied : public Bridged {
protected:
    HeldAndDenied() : Bridged({"gen=1,serial=1111", "gen=1,serial=2222", "gen=1,serial=3333"}) {}
};

TEST_F(HeldAndDenied, BusyAndNoPermissionAreListedUnopenedAndTheFreeOneOpens) {
    sim_.control("hold 0");
    bridge_.denyAccess(1);
    auto entries = enumerate();
    ASSERT_EQ(entries.size(), 3u);
    auto& held = entryAt(entries, bridge_.deviceNode(0));
    EXPECT_FALSE(held.handle);
    EXPECT_EQ(held.openProblem, Problem::Busy);
    auto& denied = entryAt(entries, bridge_.deviceNode(1));
    EXPECT_FALSE(denied.handle);
    EXPECT_EQ(denied.openProblem, Problem::Permission);
    EXPECT_TRUE(entryAt(entries, bridge_.deviceNode(2)).handle);
    entries.clear();

    sim_.control("release 0");
    entries = enumerate();
    EXPECT_TRUE(entryAt(entries, bridge_.deviceNode(0)).handle) << "a released device opens at the next enumeration";
    EXPECT_FALSE(entryAt(entries, bridge_.deviceNode(1)).handle);
}

TEST_F(Bridged, LongTransfersMoveInFourMiBUrbsAndArriveWhole) {
    auto device = openFirst();
    auto memory = devlink::MemoryCommands(channelOf(device));
    const auto image = pattern((9u << 20) + 3 * 512 + 100, 1);
    sim_.clearLog(0);
    ASSERT_TRUE(memory.write(0, image));
    EXPECT_EQ(outLengths(sim_, 0), (std::vector<uint64_t>{16, 4u << 20, 4u << 20, (1u << 20) + 1636}));

    std::vector<uint8_t> back(image.size());
    ASSERT_TRUE(memory.read(0, back));
    EXPECT_TRUE(back == image);
    std::vector<uint64_t> inLengths;
    for (const auto& e : sim_.log(0))
        if (e.kind == SimLogEntry::Kind::In) inLengths.push_back(e.length);
    EXPECT_EQ(inLengths, (std::vector<uint64_t>{4u << 20, 4u << 20, (1u << 20) + 1636}));
}

TEST_F(Bridged, WholePacketBlocksEndOnTheirLengthAndAnEmptyBlockIsOneZeroLengthPacket) {
    auto device = openFirst();
    auto memory = devlink::MemoryCommands(channelOf(device));
    const auto block = pattern(512 * 8192, 2);  // exactly one 4 MiB URB
    sim_.clearLog(0);
    ASSERT_TRUE(memory.write(0x100000, block));
    ASSERT_TRUE(memory.write(0x100000, {}));
    ASSERT_TRUE(memory.write(0, std::vector<uint8_t>(512, 0x5A)));
    // The device counts bytes: no packet follows the whole-packet block; the empty block is the
    // zero-length packet libusb sent as a URB of length 0, and the device then takes a new frame.
    EXPECT_EQ(outLengths(sim_, 0), (std::vector<uint64_t>{16, 512 * 8192, 16, 0, 16, 512}));
    EXPECT_EQ(sim_.control("violations 0"), "");
    EXPECT_EQ(sim_.control("mem 0 0 4").substr(0, 8), "5a5a5a5a");
}

TEST_F(Bridged, CutDataPhasesFailWithTheBytesThatMovedAndTheDeviceAnswersAfterwards) {
    auto device = openFirst();
    auto memory = devlink::MemoryCommands(channelOf(device));
    const auto block = pattern(64 * 1024, 3);
    ASSERT_TRUE(memory.write(0, block));

    // The device ends the read after 8 whole packets (with the zero-length packet that ends a
    // transfer on a packet boundary): libusb completes it short, and a short read is no success.
    sim_.control("cut 0 4096");
    const uint8_t readFrame[16] = {0x41, 0, 0, 0, 0, 0, 0x01, 0, 0};  // 64 KiB from address 0
    ASSERT_TRUE(device.handle->bulkOut(0x01, readFrame).ok);
    std::vector<uint8_t> back(block.size());
    const auto shortRead = device.handle->bulkIn(0x82, back);
    EXPECT_TRUE(shortRead.ok);
    EXPECT_EQ(shortRead.transferred, 4096u);
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 4096, back.begin()));
    sim_.control("cut 0 1000");
    EXPECT_FALSE(memory.read(0, back));

    sim_.control("cut 0 4096");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(memory.write(0, pattern(block.size(), 4)));
    EXPECT_LT(std::chrono::steady_clock::now() - started, kTimeout);
    EXPECT_EQ(device.handle->lastProblem(), Problem::DeviceError);  // the endpoint stalled
    EXPECT_EQ(sim_.log(0).back().length, 4096u);

    ASSERT_TRUE(memory.write(0, block)) << "zelsim needs no halt cleared";
    ASSERT_TRUE(memory.read(0, back));
    EXPECT_TRUE(back == block);
}

TEST_F(Bridged, StalledDeviceTimesOutAtTheTimeOutAndTheNextTransferGoesThrough) {
    auto device = openFirst();
    sim_.control("stall 0 on");
    const uint8_t frame[16] = {0x22, 0x2C};
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(device.handle->bulkOut(0x01, frame).ok);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(device.handle->lastProblem(), Problem::Timeout);
    EXPECT_GE(waited, kTimeout - 50ms);
    EXPECT_LT(waited, kTimeout + 1s);
    sim_.control("stall 0 off");
    EXPECT_TRUE(device.handle->bulkOut(0x01, frame).ok);
    uint8_t reply[3];
    EXPECT_TRUE(device.handle->bulkIn(0x82, reply).complete(3));
}

class SlowLink : public Bridged {
protected:
    SlowLink() : Bridged({"gen=1,serial=1111,speed=40"}) {}
};

TEST_F(SlowLink, UnplugMidTransferFailsAsDisconnectedAtOnceAndTheReplugWorks) {
    auto device = openFirst();
    auto memory = devlink::MemoryCommands(channelOf(device));
    const auto image = pattern(32u << 20, 5);  // 0.8 s on the link
    auto writing = std::async(std::launch::async, [&] {
        const auto started = std::chrono::steady_clock::now();
        const bool ok = memory.write(0, image);
        return std::make_pair(ok, std::chrono::steady_clock::now() - started);
    });
    std::this_thread::sleep_for(300ms);
    sim_.control("unplug 0");
    ASSERT_EQ(writing.wait_for(5s), std::future_status::ready) << "nothing hangs";
    auto [ok, took] = writing.get();
    EXPECT_FALSE(ok);
    EXPECT_LT(took, kTimeout);
    EXPECT_EQ(device.handle->lastProblem(), Problem::Disconnected);
    const auto oldNode = bridge_.deviceNode(0);
    device = {};

    bridge_.sync();
    EXPECT_TRUE(enumerate().empty());
    sim_.control("replug 0");
    bridge_.sync();
    auto again = openFirst();
    EXPECT_NE(again.location, oldNode) << "a device that arrives gets a new address";
    EXPECT_TRUE(devlink::MemoryCommands(channelOf(again)).write(0, pattern(4096, 6)));
}

TEST_F(Bridged, PowerLossMidReplyFailsAsDisconnected) {
    auto device = openFirst();
    auto memory = devlink::MemoryCommands(channelOf(device));
    ASSERT_TRUE(memory.write(0, pattern(64 * 1024, 7)));
    sim_.control("cut 0 3000 unplug");
    std::vector<uint8_t> back(64 * 1024);
    EXPECT_FALSE(memory.read(0, back));
    EXPECT_EQ(device.handle->lastProblem(), Problem::Disconnected);
}

// libusb hot-plug (udev events) and the polling fallback alike see the device leave and arrive.
TEST_F(Bridged, PresenceWatcherSeesDevicesLeaveAndArriveByHotplugAndByPolling) {
    using namespace session::presence;
    auto hotplug = UsbHotplugSource::create();
    ASSERT_TRUE(hotplug) << "libusb offers hot-plug under umockdev";
    std::unique_ptr<PresenceSource> sources[] = {
        std::move(hotplug), std::make_unique<UsbPollingSource>(makeLibusbDeviceLister(), 50ms)};
    for (auto& source : sources) {
        std::atomic<int> changes{0};
        PresenceWatcher watcher(std::move(source), [&] { ++changes; });
        auto changedFrom = [&](int seen) {
            for (auto until = std::chrono::steady_clock::now() + 3s; std::chrono::steady_clock::now() < until;) {
                if (changes > seen) return true;
                std::this_thread::sleep_for(10ms);
            }
            return false;
        };
        sim_.control("unplug 0");
        bridge_.sync();
        ASSERT_TRUE(changedFrom(0)) << "removal";
        const int afterRemoval = changes;
        sim_.control("replug 0");
        bridge_.sync();
        EXPECT_TRUE(changedFrom(afterRemoval)) << "arrival";
        EXPECT_EQ(enumerate().size(), 1u);
    }
}

}  // namespace
}  // namespace zel::test
