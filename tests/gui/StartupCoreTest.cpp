// Start-up and housekeeping of the desktop program without Qt: the command-line tool's process is
// found by name and owner, the settings document is made from the template and never loses a key
// another program wrote, and a worker's end reaches the posting thread after the join.
#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "GuiSettings.h"
#include "OperationProgress.h"
#include "TickGapMeter.h"
#include "OperationWorker.h"
#include "ProcessScan.h"
#include "SettingsBinding.h"
#include "StartupGate.h"
#include "TempDir.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsUpdate.h"

namespace zel::gui {
namespace {

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

TEST(ProcessScan, FindsTheToolByNameOnlyAmongTheUsersProcesses) {
    test::TempDir proc;
    writeFile(proc.path() / "1" / "comm", "systemd\n");
    writeFile(proc.path() / "self" / "comm", "zelcmd\n");  // not a process number
    writeFile(proc.path() / "77" / "comm", "zelcmdx\n");
    EXPECT_FALSE(commandLineToolRunning(proc.path(), ::geteuid()));
    writeFile(proc.path() / "4242" / "comm", "Zelcmd\n");
    EXPECT_TRUE(commandLineToolRunning(proc.path(), ::geteuid()));
    EXPECT_FALSE(commandLineToolRunning(proc.path(), ::geteuid() + 1));  // another user's tool
    EXPECT_FALSE(commandLineToolRunning(proc.path() / "missing", ::geteuid()));
}

class FakeDrivers final : public DriverHousekeeping {
public:
    OldDriver found = OldDriver::Clean;
    int detections = 0;
    int removals = 0;
    OldDriver detect() override { ++detections; return found; }
    void remove() override { ++removals; }
};

TEST(StartupGate, RefusesBesideTheToolAndOnAnOldDriver) {
    FakeDrivers drivers;
    EXPECT_FALSE(checkStart([] { return false; }, drivers));

    const auto besideTool = checkStart([] { return true; }, drivers);
    ASSERT_TRUE(besideTool);
    EXPECT_EQ(besideTool->message, "Varnik ZelmorPro--CLI is already running! ");
    EXPECT_EQ(drivers.detections, 1);  // only the first, clean start looked

    drivers.found = OldDriver::Present;
    const auto present = checkStart([] { return false; }, drivers);
    ASSERT_TRUE(present);
    EXPECT_NE(present->message.find("(CyUSB...)"), std::string::npos);
    EXPECT_EQ(drivers.removals, 0);  // the user removes it
    drivers.found = OldDriver::PresentOnOldSystem;
    ASSERT_TRUE(checkStart([] { return false; }, drivers));
    EXPECT_EQ(drivers.removals, 1);
    EXPECT_EQ(makeDriverHousekeeping()->detect(), OldDriver::Clean);  // Linux has no such packages
}

TEST(GuiSettings, MadeFromTheTemplateAndMergedOnEveryWrite) {
    test::TempDir dir;
    const auto user = dir.path() / "user";
    GuiSettings settings(user, {dir.path() / "no-templates", ZEL_TEMPLATE_DIR});
    ASSERT_TRUE(settings.usable());
    EXPECT_EQ(settings.get(settings::keys::kLastLoadedFileFormat), L"RawBin");

    // The command-line tool writes a key while the desktop program runs.
    settings::SettingsUpdate fromTool;
    fromTool.set(settings::keys::kLastSetChipType, L"W25Q16JV");
    ASSERT_EQ(fromTool.applyTo(settings.path()), settings::UpdateResult::Written);

    EXPECT_FALSE(settings.write(selectedSerialChange(204711)));
    EXPECT_EQ(settings.get(settings::keys::kLastSetChipType), L"W25Q16JV");
    EmulatorState state;
    const StoredChoices stored = readStoredChoices(settings, state);
    EXPECT_EQ(stored.selectedSerial, 204711u);
    EXPECT_EQ(stored.chipType[0], "W25Q16JV");

    // A second start keeps the user's document instead of copying the template again.
    GuiSettings again(user, {ZEL_TEMPLATE_DIR});
    EXPECT_EQ(again.get(kSelectedSerialKey), L"31fa7");
}

TEST(GuiSettings, HistoryAndImageChoicesRoundTrip) {
    test::TempDir dir;
    GuiSettings settings(dir.path(), {ZEL_TEMPLATE_DIR});
    EmulatorState state;
    for (const char* file : {"/a/one.hex", "/b/two.bin", "/a/one.hex"}) state.remember(file);
    state.targets[0].image = "/a/one.hex";
    state.targets[0].format = "IntelHex";
    state.download.truncate = true;
    ASSERT_FALSE(settings.write(imageChanges(state, 0)));

    EmulatorState restored;
    const StoredChoices stored = readStoredChoices(settings, restored);
    EXPECT_EQ(stored.image[0], "/a/one.hex");
    EXPECT_EQ(restored.history, (std::vector<std::filesystem::path>{"/a/one.hex", "/b/two.bin"}));
    EXPECT_TRUE(restored.download.truncate);
}

TEST(OperationWorker, DoneRunsOnThePostingThreadAfterTheJoin) {
    std::vector<std::function<void()>> posted;
    std::mutex mutex;
    OperationWorker worker([&](std::function<void()> function) {
        const std::lock_guard lock(mutex);
        posted.push_back(std::move(function));
    });
    bool done = false;
    ASSERT_TRUE(worker.start([] {}, [&] { done = true; }));
    EXPECT_FALSE(worker.start([] {}, [] {}));  // one operation at a time
    for (;;) {
        const std::lock_guard lock(mutex);
        if (!posted.empty()) break;
    }
    EXPECT_TRUE(worker.busy());
    posted.front()();
    EXPECT_TRUE(done);
    EXPECT_FALSE(worker.busy());
}

TEST(OperationProgress, PercentAndCancelAnswer) {
    OperationProgress progress;
    EXPECT_EQ(progress.report({session::Operation::Download, 0, 1 << 20, 4 << 20}), session::ProgressAnswer::Continue);
    EXPECT_EQ(progress.percent(), 25);
    progress.requestCancel();
    EXPECT_EQ(progress.report({session::Operation::Download, 0, 2 << 20, 4 << 20}), session::ProgressAnswer::Cancel);
    progress.begin();
    EXPECT_EQ(progress.percent(), 0);
    EXPECT_FALSE(progress.cancelRequested());

    TickGapMeter gaps;
    for (std::int64_t at : {0, 25, 50, 120, 145}) gaps.tick(at);
    EXPECT_EQ(gaps.longestGapMs(), 70);
}

}  // namespace
}  // namespace zel::gui
