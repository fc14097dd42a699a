// The device logic of the desktop program against a scripted API: identity texts, the order and
// messages of run, stop, download and verify, the enable rules, and the polling and share
// protocol as the holder of the emulators.
#include <gtest/gtest.h>

#include <algorithm>

#include "DeviceIdentity.h"
#include "EmulatorControl.h"
#include "EnableRules.h"
#include "FakeDevices.h"
#include "PollingMachine.h"
#include "ShareEventWatcher.h"
#include "TempDir.h"
#include "vm_mgr.h"

namespace zel::gui {
namespace {

using test::CallLog;
using test::FakeDevices;
using test::FakeHolder;
using test::Lines;

TEST(DeviceIdentity, SerialAndVersionTexts) {
    EXPECT_EQ(serialText(42), "VK000042");
    EXPECT_EQ(serialText(99999), "VK099999");
    EXPECT_EQ(serialText(204711), "ZL204711");
    EXPECT_EQ(serialText(0x80000000u), "ZL2147483648");  // never negative
    EXPECT_EQ(serialText(session::kSerialNotAvailable), "N.A");

    const DeviceIdentity g2 = describeDevice({0x03018A05, 1, L"ZelmorPro", true}, 42);
    EXPECT_TRUE(g2.present && g2.generation2 && g2.fourByteCapable && g2.lowVoltageFirmware);
    EXPECT_EQ(g2.modelName, "ZelmorPro-G2");
    EXPECT_EQ(g2.firmwareText, "10.005");
    EXPECT_EQ(g2.hardwareText, "3.01");

    EXPECT_EQ(describeDevice({0x021B025A, 1, L"ZelmorPro", true}, 1).firmwareText, "2.090 (3.3V)");
    EXPECT_TRUE(describeDevice({0x021B025A, 1, L"ZelmorPro", true}, 1).fourByteCapable);  // 2.27, minor 90
    EXPECT_EQ(describeDevice({0x0201020C, 1, L"ZelmorPro", true}, 1).firmwareText, "2.12");
    EXPECT_EQ(describeDevice({0x02010205, 1, L"ZelmorPro", true}, 1).firmwareText, "2.005");
    EXPECT_TRUE(describeDevice({0x02010205, 1, L"Zelmor", true}, 1).endOfLife);
    EXPECT_FALSE(describeDevice({0, 0, L"ZelmorPro", false}, 1).present);  // no answer is no version
}

struct Bench {
    CallLog calls;
    FakeDevices api{calls};
    FakeHolder holder{calls};
    Lines lines;
    EmulatorControl control{api, holder, lines};
    OperationProgress progress;
    zel::test::TempDir files;

    // A raw image of `size` bytes, each `value`, loaded for the target.
    bool load(int target, const std::string& name, std::size_t size, char value = 0x5A) {
        zel::test::writeBytes(files / name, std::string(size, value));
        return control.loadImage(target, ImageChoice{files / name, false, std::nullopt, 0xC3}, progress);
    }
    void chipAndImage(int target) {
        ASSERT_TRUE(control.chooseChip(target, "W25Q16JV.cfg"));
        ASSERT_TRUE(load(target, "image.bin", 0x1000));
    }
};

TEST(EmulatorControl, RunStopMessagesAndTheSecondStopWarns) {
    Bench bench;
    bench.control.refreshStatus();
    EXPECT_EQ(bench.control.run(), RunResult::NoChip);
    bench.chipAndImage(0);
    EXPECT_EQ(bench.control.run(), RunResult::Started);
    EXPECT_TRUE(bench.lines.contains("Start Emulator. \nEmulator is in Emulation mode.\nReady to boot your system now."));
    EXPECT_EQ(bench.control.run(), RunResult::AlreadyRunning);
    EXPECT_EQ(bench.lines.messages.back(), "Emulator is in Emulation mode now.");

    bench.control.stop();
    EXPECT_TRUE(bench.lines.contains("Stop Emulator. \nEmulator is in STOP mode now.\n"));
    bench.lines.messages.clear();
    bench.control.stop();
    EXPECT_EQ(bench.lines.messages, (std::vector<std::string>{"Warning: Emulator  is stoped\n",
                                                             "ZelmorPro Hold-Pin Setting: Floating by default"}));
    bench.api.opened = false;
    bench.control.stop();
    EXPECT_TRUE(bench.lines.contains("Error: Emulator can not be detected\n"));
}

TEST(EmulatorControl, DownloadRangesAndDualFlashAddresses) {
    Bench bench;
    bench.control.refreshStatus();
    bench.chipAndImage(0);
    ASSERT_TRUE(bench.load(0, "big.bin", 0x300000));  // larger than the 2 MiB chip
    EXPECT_EQ(bench.control.download(), OperationResult::Refused);
    EXPECT_EQ(bench.lines.messages.back(), "Error: the file length is out of the chip's memory size");
    EXPECT_TRUE(bench.api.downloads.empty());

    bench.control.state().download.truncate = true;
    EXPECT_EQ(bench.control.download(), OperationResult::Done);
    EXPECT_TRUE(bench.lines.contains("Target Memory Region: [0x0, 0x200000)"));
    EXPECT_TRUE(bench.lines.contains("Truncate-File-To-Fit-Memory Enable"));
    EXPECT_EQ(bench.lines.messages.back(), "Download Complete");

    bench.control.state().download.start = 0x200000;
    EXPECT_EQ(bench.control.download(), OperationResult::Refused);
    EXPECT_EQ(bench.lines.messages.back(), "Error: the address is out of the chip's memory range");

    // Up to an address: the image ends there, and must fit below it and in the chip.
    bench.control.state().download = {.upTo = true};  // up to the chip's last byte
    ASSERT_TRUE(bench.load(0, "image.bin", 0x1000));
    bench.api.downloads.clear();
    EXPECT_EQ(bench.control.download(), OperationResult::Done);
    ASSERT_EQ(bench.api.downloads.size(), 1u);
    EXPECT_EQ(bench.api.downloads[0].address, 0x1FF000u);
    EXPECT_TRUE(bench.lines.contains("Target Memory Region: [0x1ff000, 0x200000)"));
    bench.control.state().download.end = 0xFFF;  // exactly room for it
    EXPECT_EQ(bench.control.download(), OperationResult::Done);
    EXPECT_EQ(bench.api.downloads.back().address, 0u);
    bench.control.state().download.end = 0x7FF;
    EXPECT_EQ(bench.control.download(), OperationResult::Refused);
    EXPECT_EQ(bench.lines.messages.back(), "Error: The file size(0x1000) > The Up to Address(0x7ff)");
    bench.control.state().download.end = 0x200000;
    EXPECT_EQ(bench.control.verify(), OperationResult::Refused);
    EXPECT_EQ(bench.lines.messages.back(), "Error: The Up to Address(0x200000) > chip size(0x200000)");
    EXPECT_EQ(bench.api.downloads.size(), 2u);

    // Two chips: each flash is named, target 2 goes to the device with bit 31 set, and each
    // target's own host buffer is sent.
    bench.control.state().download = {};
    ASSERT_TRUE(bench.load(0, "image.bin", 0x1000));
    bench.chipAndImage(1);
    bench.api.downloads.clear();
    EXPECT_EQ(bench.control.download(), OperationResult::Done);
    ASSERT_EQ(bench.api.downloads.size(), 2u);
    EXPECT_EQ(bench.api.downloads[0].address, 0u);
    EXPECT_EQ(bench.api.downloads[1].address, 0x80000000u);
    EXPECT_EQ(bench.api.downloads[0].hostBuffer, bench.control.image(0)->buffer.handle());
    EXPECT_EQ(bench.api.downloads[1].hostBuffer, bench.control.image(1)->buffer.handle());
    EXPECT_NE(bench.api.downloads[0].hostBuffer, bench.api.downloads[1].hostBuffer);
    EXPECT_TRUE(bench.lines.contains("Flash 2 Target Memory Region: [0x0, 0x1000)"));

    bench.api.emulating = true;
    EXPECT_EQ(bench.control.download(), OperationResult::Refused);
    EXPECT_EQ(bench.lines.messages.back(), "The command can't be executed");
}

TEST(EmulatorControl, EachEmulatorKeepsItsOwnChoices) {
    Bench bench;
    bench.control.state().pins.hold = kHoldInput;
    bench.control.setDevice(0, 204711);
    bench.chipAndImage(0);
    bench.control.setDevice(1, 42);
    EXPECT_FALSE(bench.control.state().targets[0].chip);      // a new emulator has no chip yet
    EXPECT_EQ(bench.control.state().pins.hold, kHoldInput);   // but the user's pin settings
    ASSERT_TRUE(bench.load(0, "other.bin", 0x800, 0x11));  // the second emulator's own image
    bench.control.setDevice(0, 204711);
    ASSERT_TRUE(bench.control.state().targets[0].chip);
    EXPECT_EQ(bench.control.state().targets[0].image, bench.files / "image.bin");
    // The first emulator's buffer was kept meanwhile: its own image goes down.
    EXPECT_EQ(bench.control.download(), OperationResult::Done);
    ASSERT_EQ(bench.api.downloads.size(), 1u);
    EXPECT_EQ(bench.api.downloads[0].length, 0x1000u);
    EXPECT_EQ(bench.api.downloads[0].hostBuffer, bench.control.image(0)->buffer.handle());
}

TEST(EmulatorControl, TheImageIsBufferedWithTheFillValueAndAFailedLoadLeavesNoFile) {
    Bench bench;
    bench.control.refreshStatus();
    bench.chipAndImage(0);
    const LoadedImage* image = bench.control.image(0);
    ASSERT_NE(image, nullptr);
    std::uint8_t edge[2] = {};
    ASSERT_NE(vm_read(edge, image->buffer.handle() + 0xFFF, 2), 0);
    EXPECT_EQ(edge[0], 0x5A);  // the file's last byte
    EXPECT_EQ(edge[1], 0xC3);  // then the chosen fill value
    EXPECT_TRUE(bench.lines.contains((bench.files / "image.bin").string() + " is opened"));

    // A file that cannot be read: its reason is logged and no file stays loaded.
    EXPECT_FALSE(bench.control.loadImage(0, ImageChoice{bench.files / "missing.hex", false, std::nullopt, kDefaultFillValue}, bench.progress));
    EXPECT_EQ(bench.lines.messages.back().rfind("Error: ", 0), 0u);
    EXPECT_NE(bench.lines.messages.back().find("missing.hex"), std::string::npos);
    EXPECT_EQ(bench.control.image(0), nullptr);
    EXPECT_TRUE(bench.control.state().targets[0].image.empty());
    bench.api.downloads.clear();
    EXPECT_NE(bench.control.download(), OperationResult::Done);
    EXPECT_TRUE(bench.api.downloads.empty()) << "nothing stale can go to the device";

    // A cancelled load loads nothing either.
    bench.progress.requestCancel();
    zel::test::writeBytes(bench.files / "large.bin", std::string(0x800000, '\x01'));
    EXPECT_FALSE(bench.control.loadImage(0, ImageChoice{bench.files / "large.bin", false, std::nullopt, kDefaultFillValue}, bench.progress));
    EXPECT_EQ(bench.control.image(0), nullptr);
    EXPECT_TRUE(bench.lines.contains("Loading " + (bench.files / "large.bin").string() + " cancelled; no file is loaded."));
}

TEST(EmulatorControl, VerifyPassFailAndTheSupplyCheck) {
    Bench bench;
    bench.api.product = {0x03018A05, 1, L"ZelmorPro", true};  // 1.8 V image
    bench.control.refreshStatus();
    bench.chipAndImage(0);  // a 3.3 V chip
    EXPECT_FALSE(bench.control.vccCompatible());
    EXPECT_TRUE(bench.lines.contains("Error : The ZelmorPro-G2 firmware is not compatible with the selected chip Vcc."));
    EXPECT_TRUE(bench.lines.contains("Both RUN & Batch function are disabled now!"));

    EXPECT_EQ(bench.control.verify(), OperationResult::Done);
    EXPECT_EQ(bench.lines.messages.back(), "Verify Pass. Checksum is the same.\n");
    EXPECT_EQ(bench.api.verifiedBuffers.back(), bench.control.image(0)->buffer.handle());
    bench.api.verifyResult = {0, false, false};
    EXPECT_EQ(bench.control.verify(), OperationResult::Failed);
    EXPECT_EQ(bench.lines.messages.back(), "Verify Fail. Checksum is different.\n");
}

TEST(EnableRules, OperationsFollowDeviceShareBusyAndRunState) {
    FrameState idle{.devicePresent = true, .chipSelected = true};
    CommandEnables stopped = commandEnables(idle);
    EXPECT_TRUE(stopped.run && stopped.download && stopped.verify && stopped.readBack && stopped.bufferEditor &&
                stopped.selectChip);
    EXPECT_FALSE(stopped.stop || stopped.cancel || stopped.saveLog);

    FrameState running = idle;
    running.emulating = true;
    CommandEnables emulating = commandEnables(running);
    EXPECT_TRUE(emulating.stop && emulating.selectChip && emulating.loadFile && emulating.batch);
    EXPECT_FALSE(emulating.run || emulating.download || emulating.verify || emulating.readBack || emulating.bufferEditor);
    running.traceOrTerminalRunning = true;
    EXPECT_FALSE(commandEnables(running).selectChip || commandEnables(running).batch);

    FrameState wrongSupply = idle;
    wrongSupply.vccCompatible = false;
    EXPECT_FALSE(commandEnables(wrongSupply).run || commandEnables(wrongSupply).batch);
    EXPECT_TRUE(commandEnables(wrongSupply).download);

    for (FrameState blocked : {FrameState{.devicePresent = false}, FrameState{.devicePresent = true, .otherProgramHolds = true},
                               FrameState{.devicePresent = true, .operationBusy = true, .logHasRows = true}}) {
        CommandEnables none = commandEnables(blocked);
        EXPECT_FALSE(none.run || none.stop || none.download || none.verify || none.readBack || none.selectChip ||
                     none.loadFile || none.configure || none.bufferEditor || none.batch);
        EXPECT_EQ(none.cancel, blocked.operationBusy);
        EXPECT_EQ(none.saveLog, blocked.logHasRows);
    }
}

class RecordingView final : public PollView {
public:
    explicit RecordingView(CallLog& calls) : calls_(calls) {}
    std::vector<LastCommandView> shown;
    void showLastCommand(const LastCommandView& view) override { shown.push_back(view); }
    void deviceStateChanged() override { calls_.note("viewChanged"); }
    void devicesEnumerated(int opened) override { calls_.note("viewEnumerated " + std::to_string(opened)); }

private:
    CallLog& calls_;
};

struct PollBench : Bench {
    RecordingView view{calls};
    PollingMachine polling{control, holder, lines, view};
};

TEST(PollingMachine, BusyTicksDoNoDeviceWorkAndIdleTicksShowTheBus) {
    PollBench bench;
    bench.control.refreshStatus();
    bench.polling.setEmulating(true);
    bench.calls.calls.clear();
    bench.polling.shareEventArrived(1, /*busy=*/true);
    EXPECT_FALSE(bench.polling.tick(/*busy=*/true));
    EXPECT_TRUE(bench.calls.calls.empty()) << "the request waits for an idle tick";

    EXPECT_TRUE(bench.polling.tick(false));
    EXPECT_EQ(bench.polling.shareState(), ShareState::OtherHolds);
    bench.polling.devicesReleased();
    bench.polling.takeBack();
    bench.control.refreshStatus();
    bench.view.shown.clear();
    EXPECT_TRUE(bench.polling.tick(false));
    ASSERT_EQ(bench.view.shown.size(), 1u);
    EXPECT_EQ(bench.view.shown[0], (LastCommandView{"0x03", "High"}));
    EXPECT_EQ(describeLastCommand(0x9F0000).chipSelect, "Low");
    EXPECT_EQ(describeLastCommand(0x9F4000).chipSelect, "Toggling");
}

TEST(PollingMachine, ShareRequestsReleaseThenTakeBackInOrder) {
    PollBench bench;
    bench.control.refreshStatus();
    bench.polling.addTransferStopper([&] { bench.calls.note("stopTransfers"); });
    int answers = 0;
    bench.polling.setShareAnswered([&] { ++answers; });
    bench.calls.calls.clear();
    bench.polling.shareEventArrived(1, false);  // served at once when idle
    EXPECT_EQ(bench.calls.calls, (std::vector<std::string>{"stopTransfers", "closeDevices", "viewChanged", "releaseShare"}));
    EXPECT_EQ(answers, 1);
    EXPECT_EQ(bench.polling.shareState(), ShareState::OtherHolds);
    EXPECT_TRUE(bench.lines.contains("ZelmorPro--other application is running"));
    EXPECT_FALSE(bench.control.identity().present);

    bench.calls.calls.clear();
    bench.polling.shareEventArrived(2, false);
    EXPECT_EQ(answers, 2);
    // The answer comes only once the emulators are enumerated and the view refreshed.
    EXPECT_EQ(bench.calls.calls, (std::vector<std::string>{"renumerate", "viewEnumerated 1", "releaseShare"}));
    EXPECT_EQ(bench.polling.shareState(), ShareState::Normal);
    EXPECT_TRUE(bench.lines.contains("ZelmorPro--other Application closed"));
}

// The watcher takes one request, then none until it has been answered, and none while not serving.
TEST(ShareEventWatcher, TakesTheNextRequestOnlyOnceTheLastIsAnswered) {
    struct Channel final : HolderApi {
        std::mutex mutex;
        std::vector<int> requests;
        int polls = 0;
        void closeDevices() override {}
        int renumerate() override { return 0; }
        int foundCount() override { return 0; }
        int shareEvent() override {
            std::lock_guard lock(mutex);
            ++polls;
            if (requests.empty()) return 0;
            const int event = requests.front();
            requests.erase(requests.begin());
            return event;
        }
        void releaseShareEvent() override {}
        std::uint32_t lastCommand(int) override { return 0; }
        void setHtPort(bool) override {}
        void setRstPin(bool, int) override {}
    } channel;
    channel.requests = {1, 2};
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<int> delivered;
    auto waitForDelivered = [&](std::size_t count) {
        std::unique_lock lock(mutex);
        return arrived.wait_for(lock, std::chrono::seconds(5), [&] { return delivered.size() >= count; });
    };
    {
        ShareEventWatcher watcher(channel, [&](int event) {
            std::lock_guard lock(mutex);
            delivered.push_back(event);
            arrived.notify_all();
        }, std::chrono::milliseconds(1));
        EXPECT_TRUE(waitForDelivered(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        {
            std::lock_guard lock(channel.mutex);
            EXPECT_EQ(channel.requests, std::vector<int>{2}) << "taken before the first was answered";
        }
        watcher.setServing(false);
        watcher.answered();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        int polls = 0;
        {
            std::lock_guard lock(channel.mutex);
            polls = channel.polls;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        {
            std::lock_guard lock(channel.mutex);
            EXPECT_EQ(channel.polls, polls) << "polled while not serving";
        }
        watcher.setServing(true);
        EXPECT_TRUE(waitForDelivered(2));
    }
    EXPECT_EQ(delivered, (std::vector<int>{1, 2}));
}

TEST(PollingMachine, CommandLineNoticesNameTheTool) {
    PollBench bench;
    bench.polling.devicesTaken(OtherHolder::CommandLine);
    EXPECT_TRUE(bench.lines.contains("ZelmorPro--CLI is running"));
    bench.calls.calls.clear();
    bench.polling.devicesReleased();
    bench.polling.takeBack();
    EXPECT_TRUE(bench.lines.contains("ZelmorPro--CLI closed"));
    // Nothing was taken from the share channel, so nothing is answered there.
    EXPECT_EQ(bench.calls.calls, (std::vector<std::string>{"renumerate", "viewEnumerated 1"}));
}

}  // namespace
}  // namespace zel::gui
