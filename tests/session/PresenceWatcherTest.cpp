// The presence watcher with each backend that runs without zelsim or hardware: the simulator
// folder as plain files, a scripted USB device list, and libusb hot-plug where libusb offers it.
#include "ChangeCounter.h"
#include "TempDir.h"
#include "presence/PresenceWatcher.h"
#include "presence/SimFolderSource.h"
#include "presence/UsbHotplugSource.h"
#include "presence/UsbPollingSource.h"

#include <gtest/gtest.h>

#include <mutex>

namespace {

using namespace std::chrono_literals;
using namespace zel::session::presence;
using test::ChangeCounter;
using zel::test::TempDir;
using zel::test::writeBytes;
namespace fs = std::filesystem;

PresenceWatcher watchFolder(const fs::path& folder, ChangeCounter& counter)
{
    return PresenceWatcher(std::make_unique<SimFolderSource>(folder), counter.callback());
}

TEST(SimFolderPresence, EndpointsCountAsOneChangePerBurstAndOtherFilesNotAtAll)
{
    TempDir dir;
    writeBytes(dir / "dev00.usb", "");
    ChangeCounter counter;
    auto watcher = watchFolder(dir.path(), counter);

    writeBytes(dir / "dev00-1235.flash", "flash");
    writeBytes(dir / "control.sock", "");
    EXPECT_EQ(counter.settled(), 0) << "files other than endpoints are no emulators";

    writeBytes(dir / "dev01.usb", "");
    writeBytes(dir / "dev02.usb", "");
    ASSERT_TRUE(counter.waitFor(1));
    EXPECT_EQ(counter.settled(), 1) << "two endpoints at once are one change";

    fs::rename(dir / "dev01.usb", dir / "dev01.gone");
    ASSERT_TRUE(counter.waitFor(2));
    fs::remove(dir / "dev00.usb");
    EXPECT_TRUE(counter.waitFor(3));
}

TEST(SimFolderPresence, FolderIsFollowedAsItAppearsVanishesAndComesBack)
{
    TempDir dir;
    const fs::path folder = dir / "a/b/sim";
    ChangeCounter counter;
    auto watcher = watchFolder(folder, counter);

    fs::create_directories(folder);
    EXPECT_EQ(counter.settled(), 0) << "an empty folder holds no emulator";
    writeBytes(folder / "dev00.usb", "");
    ASSERT_TRUE(counter.waitFor(1));

    fs::remove_all(dir / "a");
    ASSERT_TRUE(counter.waitFor(2)) << "the endpoint went with its folder";

    // Back at once with its endpoint, which no event inside the folder announces.
    fs::create_directories(dir / "staging/b/sim");
    writeBytes(dir / "staging/b/sim/dev00.usb", "");
    fs::rename(dir / "staging", dir / "a");
    ASSERT_TRUE(counter.waitFor(3));
    EXPECT_EQ(counter.settled(), 3);
}

// A device list the test changes while the watcher polls it.
class ScriptedUsbList final : public UsbDeviceLister {
public:
    void set(std::optional<std::vector<UsbDeviceAddress>> devices)
    {
        std::lock_guard lock(mutex_);
        devices_ = std::move(devices);
    }
    std::optional<std::vector<UsbDeviceAddress>> list() override
    {
        std::lock_guard lock(mutex_);
        return devices_;
    }

private:
    std::mutex mutex_;
    std::optional<std::vector<UsbDeviceAddress>> devices_;
};

TEST(UsbPollingPresence, EmulatorsArrivingLeavingOrReplugged_NotOtherDevicesOrUnreadableLists)
{
    const UsbDeviceAddress mouse{0x046D, 0xC077, 1, 2};
    const UsbDeviceAddress emulator{0x04B4, 0x1235, 1, 5};
    const UsbDeviceAddress replugged{0x04B4, 0x1235, 1, 6};
    const UsbDeviceAddress earlierDesign{0x04B4, 0x1234, 2, 3};
    const UsbDeviceAddress otherProduct{0x04B4, 0x1236, 2, 4};
    auto owned = std::make_unique<ScriptedUsbList>();
    ScriptedUsbList& usb = *owned;
    usb.set(std::vector{mouse, emulator});
    ChangeCounter counter;
    PresenceWatcher watcher(std::make_unique<UsbPollingSource>(std::move(owned), 10ms), counter.callback(), 20ms);

    usb.set(std::vector{emulator, otherProduct});
    EXPECT_EQ(counter.settled(), 0) << "other devices are no emulators";
    usb.set(std::nullopt);
    EXPECT_EQ(counter.settled(), 0) << "an unreadable list is no evidence";

    usb.set(std::vector{replugged});
    ASSERT_TRUE(counter.waitFor(1)) << "a new address is a replug";
    usb.set(std::vector{replugged, earlierDesign});
    ASSERT_TRUE(counter.waitFor(2));
    usb.set(std::vector{earlierDesign});
    EXPECT_TRUE(counter.waitFor(3));
}

// Destroying a watcher that waits without a bound (or for a 1 s poll) ends it at once.
void expectPromptStop(std::unique_ptr<PresenceSource> source, const char* backend)
{
    ChangeCounter counter;
    auto watcher = std::make_unique<PresenceWatcher>(std::move(source), counter.callback());
    std::this_thread::sleep_for(50ms);  // let the thread settle into its wait
    const auto start = std::chrono::steady_clock::now();
    watcher.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 200ms) << backend;
}

TEST(PresenceWatcher, DestructionWakesEveryBackend)
{
    TempDir dir;
    expectPromptStop(std::make_unique<SimFolderSource>(dir.path()), "simulator folder");
    expectPromptStop(std::make_unique<UsbPollingSource>(std::make_unique<ScriptedUsbList>()), "polling");
    if (auto hotplug = UsbHotplugSource::create())
        expectPromptStop(std::move(hotplug), "libusb hot-plug");
}

TEST(PresenceWatcher, DestructionDuringTheCoalescingWindowRaisesNothing)
{
    TempDir dir;
    ChangeCounter counter;
    auto watcher = std::make_unique<PresenceWatcher>(std::make_unique<SimFolderSource>(dir.path()),
                                                     counter.callback(), 10s);
    writeBytes(dir / "dev00.usb", "");
    std::this_thread::sleep_for(50ms);
    const auto start = std::chrono::steady_clock::now();
    watcher.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 200ms);
    EXPECT_EQ(counter.settled(50ms), 0);
}

}  // namespace
