// zelcmd as a user runs it, on libusb (ZELMOR_SIM unset) through the bridge: the same console
// transcript and emulation memory as over the simulator transport, and faults mid-transfer that
// fail the run at once and leave the next run to succeed.
#include "BackgroundChild.h"
#include "FirmwareFixtures.h"
#include "SimProcess.h"
#include "UsbBridge.h"
#include "ZelcmdProcess.h"
#include "simwire/DataDigest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

namespace zel::test {
namespace {

using namespace std::chrono_literals;
using usbbridge::UsbBridge;

constexpr const char* kChip64M = "W25Q512JV";  // 64 MiB, 3300 mV
constexpr uint32_t kSize64M = 64u << 20;
constexpr const char* kSmallChip = "W25Q16JV";  // 2 MiB
constexpr uint32_t kSize2M = 2u << 20;

std::vector<uint8_t> pattern(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    uint32_t x = seed * 2654435761u + 7;
    for (auto& b : bytes) b = static_cast<uint8_t>((x = x * 1664525u + 1013904223u) >> 24);
    return bytes;
}

void writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

uint64_t simDigest(const SimProcess& sim, uint32_t length) {
    return std::stoull(sim.control("digest 0 0 " + std::to_string(length)), nullptr, 16);
}

std::vector<std::vector<uint8_t>> frames(const SimProcess& sim) { return sim.commandFrames(0); }

// The command frames other than memory writes and reads, whose sizes follow the rate the link
// has shown (zelapi's ChunkSizer), so differ from run to run.
std::vector<std::vector<uint8_t>> controlFrames(const SimProcess& sim) {
    auto all = frames(sim);
    std::erase_if(all, [](const auto& f) { return f[0] == 0x40 || f[0] == 0x41; });
    return all;
}

std::string describe(const ChildResult& r) {
    return "status " + std::to_string(r.status) + (r.timedOut ? " (timed out)" : "") + "\nout:\n" + r.out +
           "\nerr:\n" + r.err;
}

long long msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A zelsim, a zelcmd world, and (once made) the bridge that puts the zelsim on libusb.
class ZelcmdOverLibusb : public ::testing::Test {
protected:
    explicit ZelcmdOverLibusb(std::vector<std::string> devices = {"gen=1"}) : sim_(std::move(devices)), env_(&sim_) {}

    void useLibusb() {
        bridge_ = std::make_unique<UsbBridge>(sim_.dir());
        for (const auto& [name, value] : bridge_->childEnvironment()) env_.setEnvironment(name, value);
    }
    ChildResult zelcmd(const std::vector<std::string>& args) const { return env_.run(args); }
    // The device comes back freshly powered, as after the run over the other transport.
    void powerCycle() {
        sim_.control("unplug 0");
        sim_.control("replug 0");
        if (bridge_) bridge_->sync();
    }
    void unplugAndReplug() {
        sim_.control("replug 0");
        bridge_->sync();
    }

    SimProcess sim_;
    ZelcmdProcess env_;
    std::unique_ptr<UsbBridge> bridge_;
};

TEST_F(ZelcmdOverLibusb, TypicalJobWith64MiBGivesTheSameTranscriptFramesAndMemoryAsTheSimulatorTransport) {
    const auto image = pattern(kSize64M, 1);
    writeBytes(env_.workDir() / "image.bin", image);
    const std::vector<std::string> job = {"--stop", "--set", kChip64M, "-d", "image.bin", "-v", "--start"};

    auto started = std::chrono::steady_clock::now();
    const auto overSim = zelcmd(job);
    RecordProperty("simulator_transport_ms", std::to_string(msSince(started)));
    ASSERT_EQ(overSim.status, 0) << describe(overSim);
    const auto simFrames = controlFrames(sim_);
    ASSERT_EQ(simDigest(sim_, kSize64M), simwire::DataDigest::of(image));

    powerCycle();
    sim_.clearLog(0);
    useLibusb();
    started = std::chrono::steady_clock::now();
    const auto overUsb = zelcmd(job);
    RecordProperty("libusb_ms", std::to_string(msSince(started)));
    ASSERT_EQ(overUsb.status, 0) << describe(overUsb);
    EXPECT_EQ(overUsb.out, overSim.out);
    EXPECT_EQ(overUsb.err, overSim.err);
    EXPECT_TRUE(controlFrames(sim_) == simFrames) << "the same command frames reach the device";
    EXPECT_EQ(simDigest(sim_, kSize64M), simwire::DataDigest::of(image));
    EXPECT_TRUE(contains(sim_.control("status"), "running")) << sim_.control("status");
    const auto seen = bridge_->requestsSeen();
    for (const char* request : {"GET_CAPABILITIES", "DISCONNECT_CLAIM", "SUBMITURB", "REAPURBNDELAY", "RELEASEINTERFACE"})
        EXPECT_TRUE(seen.contains(request)) << request;
}

class SlowEmulatorOverLibusb : public ZelcmdOverLibusb {
protected:
    // 2 MiB take 0.5 s on a 4 MB/s link: time to pull the plug midway.
    SlowEmulatorOverLibusb() : ZelcmdOverLibusb({"gen=1,speed=4"}) {}

    // Runs zelcmd in the background and unplugs the device once `frame` reached it.
    ChildResult runAndUnplugAfter(const std::vector<std::string>& args, uint8_t opcode) {
        BackgroundChild run(env_.commandLine(args));
        const auto until = std::chrono::steady_clock::now() + 20s;
        auto reached = [&] {
            for (const auto& f : frames(sim_))
                if (f[0] == opcode) return true;
            return false;
        };
        while (!reached() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(20ms);
        EXPECT_TRUE(reached()) << "frame 0x" << std::hex << int(opcode) << " never came";
        std::this_thread::sleep_for(100ms);
        sim_.control("unplug 0");
        return run.finish(10s);
    }
};

TEST_F(SlowEmulatorOverLibusb, UnplugMidDownloadFailsAtOnceAndTheRunAfterTheReplugSucceeds) {
    writeBytes(env_.workDir() / "image.bin", pattern(kSize2M, 2));
    useLibusb();
    const auto r = runAndUnplugAfter({"--set", kSmallChip, "-d", "image.bin"}, 0x40);
    EXPECT_TRUE(r.exited()) << "nothing hangs: " << describe(r);
    EXPECT_EQ(r.status, 4) << describe(r);
    EXPECT_FALSE(contains(r.out, "Download Complete")) << describe(r);
    EXPECT_TRUE(contains(r.out, "Download Failed\n  Reason: the emulator was disconnected\n")) << describe(r);

    bridge_->sync();
    unplugAndReplug();
    const auto again = zelcmd({"--set", kSmallChip, "-d", "image.bin", "-v"});
    EXPECT_EQ(again.status, 0) << describe(again);
    EXPECT_TRUE(contains(again.out, "Verify Pass")) << describe(again);
}

TEST_F(SlowEmulatorOverLibusb, UnplugMidFirmwareUpdateFailsAndTheDeviceIsUpdatedAfterTheReplug) {
    const auto folder = env_.workDir() / "fw";
    std::filesystem::create_directories(folder);
    maintenance::writeFirmwareFolder(folder, maintenance::syntheticImage(96 * 1024, 3),
                                     maintenance::syntheticImage(64 * 1024, 4));
    useLibusb();
    const auto r = runAndUnplugAfter({"--update-fw", folder.string()}, 0x34);
    EXPECT_TRUE(r.exited()) << "nothing hangs: " << describe(r);
    EXPECT_NE(r.status, 0) << describe(r);
    EXPECT_TRUE(contains(r.out, "Firmware Update Fail!")) << describe(r);

    bridge_->sync();
    unplugAndReplug();
    const auto again = zelcmd({"--update-fw", folder.string()});
    EXPECT_EQ(again.status, 0) << describe(again);
}

TEST_F(ZelcmdOverLibusb, DataPhaseCutShortFailsTheDownloadAndTheNextRunSucceeds) {
    writeBytes(env_.workDir() / "image.bin", pattern(kSize2M, 5));
    useLibusb();
    // Memory commands move at least 64 KiB, so the first data phase is cut.
    const std::pair<const char*, const char*> cuts[] = {
        {"cut 0 32768", "  Reason: the emulator reported a transfer error\n"},  // the endpoint stalled
        {"cut 0 32768 unplug", "  Reason: the emulator was disconnected\n"}};
    for (const auto& [cut, reason] : cuts) {
        sim_.control(cut);
        const auto r = zelcmd({"--set", kSmallChip, "-d", "image.bin"});
        EXPECT_TRUE(r.exited()) << cut << describe(r);
        EXPECT_EQ(r.status, 4) << cut << describe(r);
        EXPECT_TRUE(contains(r.out, "Device 1 : Download Failed\n")) << cut << describe(r);
        EXPECT_EQ(r.err, reason) << cut << describe(r);
    }
    bridge_->sync();
    unplugAndReplug();
    const auto again = zelcmd({"--set", kSmallChip, "-d", "image.bin", "-v"});
    EXPECT_EQ(again.status, 0) << describe(again);
    EXPECT_TRUE(contains(again.out, "Verify Pass")) << describe(again);
}

}  // namespace
}  // namespace zel::test
