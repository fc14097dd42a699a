// Faults in the middle of a firmware update: the simulator is told to fail a transfer or to lose
// power exactly when the host is about to send a chosen frame (a transport in front of the
// simulator's watches the frames go by), so the failure hits the same step every run.
#include "FirmwareUpdate.h"
#include "CommandDispatcher.h"
#include "DeviceSlots.h"
#include "SimChecks.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace zel::devlink {
namespace {

using test::SimLogEntry;
using test::SimProcess;
using test::TempDir;
using test::maintenance::Bytes;
using test::maintenance::ConfigHome;
using test::maintenance::countFrames;
using test::maintenance::flashBytes;
using test::maintenance::frame;
using test::maintenance::syntheticImage;
using test::maintenance::writeFirmwareFolder;

// Calls `beforeFrame` with every command frame before the simulator gets it.
class WatchedDevice final : public transport::DeviceHandle {
public:
    WatchedDevice(std::unique_ptr<transport::DeviceHandle> inner, std::function<void(std::span<const uint8_t>)> beforeFrame)
        : inner_(std::move(inner)), beforeFrame_(std::move(beforeFrame)) {}
    transport::TransferResult bulkOut(uint8_t endpoint, std::span<const uint8_t> data) override {
        if (data.size() == 16) beforeFrame_(data);
        return inner_->bulkOut(endpoint, data);
    }
    transport::TransferResult bulkIn(uint8_t endpoint, std::span<uint8_t> data) override {
        return inner_->bulkIn(endpoint, data);
    }
    transport::TransferResult control(const transport::SetupPacket& setup, std::span<uint8_t> data) override {
        return inner_->control(setup, data);
    }
    std::vector<transport::EndpointInfo> interfaceEndpoints() const override { return inner_->interfaceEndpoints(); }
    double timeScale() const override { return inner_->timeScale(); }

private:
    std::unique_ptr<transport::DeviceHandle> inner_;
    std::function<void(std::span<const uint8_t>)> beforeFrame_;
};

class WatchedTransport final : public transport::Transport {
public:
    explicit WatchedTransport(std::function<void(std::span<const uint8_t>)> beforeFrame)
        : inner_(transport::makeTransport()), beforeFrame_(std::move(beforeFrame)) {}
    std::vector<transport::DeviceEntry> enumerate(uint16_t vendorId, uint16_t productId) override {
        auto entries = inner_->enumerate(vendorId, productId);
        for (auto& entry : entries)
            if (entry.handle) entry.handle = std::make_unique<WatchedDevice>(std::move(entry.handle), beforeFrame_);
        return entries;
    }

private:
    std::unique_ptr<transport::Transport> inner_;
    std::function<void(std::span<const uint8_t>)> beforeFrame_;
};

class UpdateFault : public ::testing::Test {
protected:
    void start(const std::string& device) {
        sim.emplace(std::vector<std::string>{device}, std::vector<std::string>{"--time-scale", "0.001"});
        sim->exportEnvironment();
        slots.emplace([this] {
            return std::make_unique<WatchedTransport>([this](std::span<const uint8_t> f) { onFrame(f); });
        });
        ASSERT_EQ(slots->enumerate(), 1);
        writeFirmwareFolder(files.path(), syntheticImage(5000, 1), syntheticImage(3000, 2));
    }
    // Runs `fault` (a control command) just before the n-th frame (1-based) with this opcode.
    void injectBefore(uint8_t opcode, int n, std::string fault) {
        trigger = {opcode, n, std::move(fault)};
    }
    long update() {
        sim->clearLog(0);
        const std::wstring path = widen(files.path().string());
        return dispatchCommand(*slots, {ZELMOR_CMD_FIRMWARE_UPDATE, reinterpret_cast<uintptr_t>(path.c_str()), 0, 0, 0});
    }
    std::vector<Bytes> frames() const { return sim->commandFrames(0); }
    Bytes bootMarkerPage() const { return flashBytes(*sim, 0, 0x100000, 8); }

    ConfigHome home;
    TempDir files;
    std::optional<SimProcess> sim;
    std::optional<DeviceSlots> slots;

private:
    struct Trigger {
        uint8_t opcode = 0;
        int remaining = 0;
        std::string fault;
    };
    static std::wstring widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }
    void onFrame(std::span<const uint8_t> f) {
        if (trigger.remaining <= 0 || f[0] != trigger.opcode) return;
        if (--trigger.remaining == 0) sim->control(trigger.fault);
    }
    Trigger trigger;
};

TEST_F(UpdateFault, FailedPageWriteFailsTheUpdateWithoutAMarker) {
    start("gen=1");
    injectBefore(0x34, 7, "fail 0 1");  // a page in the middle of the FPGA image
    EXPECT_EQ(update(), 0);
    auto sent = frames();
    // The FPGA image stops at the failed page and is not read back; the MCU image is still
    // written and verified; the marker is not.
    EXPECT_EQ(countFrames(sent, 0x34), 7u + 12u);
    EXPECT_EQ(countFrames(sent, 0x33), 12u);
    EXPECT_EQ(sent.back(), frame({0x30}));
    EXPECT_EQ(bootMarkerPage(), Bytes(8, 0xFF));
}

TEST_F(UpdateFault, FailedMcuReadBackFailsTheUpdateWithoutAMarker) {
    start("gen=1");
    injectBefore(0x33, 20 + 5, "fail 0 1");  // 20 FPGA read-backs, then the fifth MCU page
    EXPECT_EQ(update(), 0);
    auto sent = frames();
    EXPECT_EQ(countFrames(sent, 0x34), 20u + 12u);
    EXPECT_EQ(countFrames(sent, 0x33), 25u);
    EXPECT_EQ(sent.back(), frame({0x30}));
    EXPECT_EQ(bootMarkerPage(), Bytes(8, 0xFF));
}

TEST_F(UpdateFault, FailedVersionReadBeforeTheEraseRefusesTheUpdate) {
    start("gen=1");
    const Bytes before = flashBytes(*sim, 0, 0, 0x200000);
    home.plantEncrypFile();
    injectBefore(0x10, 2, "fail 0 1");  // the erase reads the version again
    EXPECT_EQ(update(), 0);
    EXPECT_EQ(frames(), (std::vector<Bytes>{frame({0x10}), frame({0x36}), frame({0x30}), frame({0x10})}));
    EXPECT_EQ(flashBytes(*sim, 0, 0, 0x200000), before) << "nothing was erased";
    EXPECT_FALSE(std::filesystem::exists(home.encrypFile())) << "the flash ID check had passed";
}

TEST_F(UpdateFault, PowerLossDuringTheImagesFailsTheUpdateAndLeavesNoMarker) {
    start("gen=1");
    injectBefore(0x34, 15, "unplug 0");
    EXPECT_EQ(update(), 0);
    auto sent = frames();
    EXPECT_EQ(countFrames(sent, 0x34), 14u) << "nothing reached the device after it went";
    EXPECT_EQ(countFrames(sent, 0x33), 0u);
    EXPECT_EQ(bootMarkerPage(), Bytes(8, 0xFF));
    EXPECT_EQ(flashBytes(*sim, 0, 0x100100, 8), Bytes(8, 0xFF)) << "the MCU image never started";
}

}  // namespace
}  // namespace zel::devlink
