// The batch's logic without windows: its settings keys and formats, the chosen operations in bit
// order, which emulators it runs on, and the steps against a scripted API: their order, the
// first failing step ending the run, cancel, and reloading the file as it is on disk now.
#include <gtest/gtest.h>

#include <algorithm>

#include "BatchOptions.h"
#include "BatchRun.h"
#include "FakeDevices.h"
#include "TempDir.h"
#include "settings/SettingsKeys.h"

namespace zel::gui::batch {
namespace {

using test::CallLog;
using test::FakeDevices;
using test::FakeHolder;
using test::Lines;

constexpr std::uint8_t kDownloadVerifyStart = 0b11100;

TEST(BatchOptions, StoredWithTheDocumentsFormatsAndReadBack) {
    zel::test::TempDir dir;
    GuiSettings settings(dir.path() / "user", {ZEL_TEMPLATE_DIR});
    ASSERT_TRUE(settings.usable());
    BatchOptions options;
    options.operations = kDownloadVerifyStart;
    options.fill = true;
    options.fillByte = 0xA5;
    options.upTo = true;
    options.start = 0x1000;
    options.end = 0x7FFF;  // not stored
    options.emulators = {204711, 42};
    ASSERT_FALSE(settings.write(options.changes()));

    GuiSettings again(dir.path() / "user", {ZEL_TEMPLATE_DIR});
    EXPECT_EQ(again.get(settings::keys::kBatchOptions), L"1c");
    EXPECT_EQ(again.get(settings::keys::kFillBufferValue), L"A5");
    EXPECT_EQ(again.get(settings::keys::kRequireFillValue), L"Yes");
    EXPECT_EQ(again.get(settings::keys::kNeedUpToAddr), L"Yes");
    EXPECT_EQ(again.get(settings::keys::kDownloadStartAddress), L"1000");
    EXPECT_EQ(again.get(settings::keys::kEnableSplitFile), L"No");
    EXPECT_EQ(again.get(kBatchEmulatorsKey), L"31fa7,2a");
    const BatchOptions read = BatchOptions::read(again);
    EXPECT_EQ(read.operations, kDownloadVerifyStart);
    EXPECT_TRUE(read.fill && read.upTo);
    EXPECT_EQ(read.fillByte, 0xA5);
    EXPECT_EQ(read.start, 0x1000u);
    EXPECT_EQ(read.end, 0u);
    EXPECT_EQ(read.emulators, (std::vector<std::uint32_t>{204711, 42}));

    // Bits beyond the five operations, written by hand, are not operations.
    settings::SettingsUpdate update;
    update.set(settings::keys::kBatchOptions, L"ff");
    ASSERT_FALSE(again.write(update));
    EXPECT_EQ(BatchOptions::read(again).operations, 0x1F);
}

TEST(BatchOptions, OperationsRunInBitOrderAndAppearOnce) {
    BatchOptions options;
    options.add(int(BatchOperation::Download));
    options.add(int(BatchOperation::Stop));
    options.add(int(BatchOperation::Download));
    options.add(7);
    EXPECT_EQ(options.chosen(), (std::vector{BatchOperation::Stop, BatchOperation::Download}));
    options.remove(int(BatchOperation::Download));
    EXPECT_EQ(options.chosen(), std::vector{BatchOperation::Stop});
    EXPECT_FALSE(options.needsFile());

    EXPECT_EQ(parseHexField("1f"), 0x1Fu);
    EXPECT_EQ(parseHexField("0x10"), 0x10u);
    EXPECT_EQ(parseHexField("zz"), 0u);  // not hexadecimal: 0
    EXPECT_EQ(endAddressField(0, 0x200000), "1FFFFF");
    EXPECT_EQ(endAddressField(0x7FF, 0x200000), "7FF");
}

TEST(BatchRun, ChosenEmulatorsInEnumerationOrderAndMissingOnesNamed) {
    const std::vector<std::uint32_t> attached{204711, 42};
    EmulatorSelection current = selectEmulators({}, attached, 1);
    ASSERT_EQ(current.emulators.size(), 1u);
    EXPECT_EQ(current.emulators[0].serial, 42u);
    EXPECT_EQ(current.emulators[0].name(), "2: VK000042");

    EmulatorSelection chosen = selectEmulators({42, 7, 204711}, attached, 0);
    ASSERT_EQ(chosen.emulators.size(), 2u);
    EXPECT_EQ(chosen.emulators[0].serial, 204711u);
    EXPECT_EQ(chosen.emulators[1].index, 1);
    EXPECT_EQ(chosen.missing, std::vector<std::uint32_t>{7});
}

struct Bench {
    CallLog calls;
    FakeDevices api{calls};
    FakeHolder holder{calls};
    Lines lines;
    EmulatorControl control{api, holder, lines};
    OperationProgress progress;
    zel::test::TempDir files;
    BatchOptions options;

    Bench() {
        control.refreshStatus();
        EXPECT_TRUE(control.chooseChip(0, "W25Q16JV.cfg"));
        zel::test::writeBytes(files / "image.bin", std::string(0x1000, 'Z'));
        EXPECT_TRUE(control.loadImage(0, ImageChoice{files / "image.bin", false, std::nullopt, 0xFF}, progress));
        calls.calls.clear();
        lines.messages.clear();
    }
    StepsResult run(std::uint8_t operations) {
        options.operations = operations;
        return runBatchSteps(control, options, progress);
    }
};

TEST(BatchRun, StepsRunInBitOrderAndTheFirstFailureEndsThem) {
    Bench bench;
    bench.api.emulating = true;
    StepsResult result = bench.run(0b11101);  // everything but the reload
    EXPECT_EQ(result.outcome, BatchOutcome::Done);
    EXPECT_TRUE(result.emulating);
    const auto& calls = bench.calls.calls;
    const auto at = [&](const std::string& call) { return std::find(calls.begin(), calls.end(), call) - calls.begin(); };
    EXPECT_LT(at("stop"), at("download"));
    EXPECT_LT(at("download"), at("verify"));
    EXPECT_LT(at("verify"), at("start"));
    EXPECT_LT(at("start"), std::ssize(calls));

    // Memory that does not verify is never started.
    bench.api.emulating = false;
    bench.api.verifyResult = {0, false, false};
    bench.calls.calls.clear();
    result = bench.run(kDownloadVerifyStart);
    EXPECT_EQ(result.outcome, BatchOutcome::Failed);
    EXPECT_EQ(result.stoppedAt, BatchOperation::Verify);
    EXPECT_FALSE(result.emulating);
    EXPECT_EQ(std::ranges::count(bench.calls.calls, "start"), 0);

    // A download refused while the emulator runs ends the batch there.
    bench.api.emulating = true;
    result = bench.run(kDownloadVerifyStart);
    EXPECT_EQ(result.stoppedAt, BatchOperation::Download);
    EXPECT_TRUE(bench.lines.contains("The command can't be executed"));

    bench.api.emulating = false;
    bench.api.verifyResult = {1, false, false};
    bench.api.downloads.clear();
    bench.progress.requestCancel();
    result = bench.run(kDownloadVerifyStart);
    EXPECT_EQ(result.outcome, BatchOutcome::Cancelled);
    EXPECT_EQ(result.stoppedAt, BatchOperation::Download);
    EXPECT_TRUE(bench.api.downloads.empty());
}

TEST(BatchRun, ReloadReadsTheFileAsItIsNowAndAFailedReloadSendsNothing) {
    Bench bench;
    zel::test::writeBytes(bench.files / "image.bin", std::string(0x1800, 'N'));  // rebuilt meanwhile
    EXPECT_EQ(bench.run(0b00110).outcome, BatchOutcome::Done);
    ASSERT_EQ(bench.api.downloads.size(), 1u);
    EXPECT_EQ(bench.api.downloads[0].length, 0x1800u);

    std::filesystem::remove(bench.files / "image.bin");
    const StepsResult result = bench.run(0b00110);
    EXPECT_EQ(result.stoppedAt, BatchOperation::Reload);
    EXPECT_EQ(bench.api.downloads.size(), 1u);
}

TEST(BatchRun, RefusalsAndTheLinesThatEndARun) {
    Bench bench;
    BatchOptions options;
    options.operations = kDownloadVerifyStart;
    EXPECT_EQ(batchRefusal(bench.control.state(), true, options), std::nullopt);
    EXPECT_EQ(batchRefusal(bench.control.state(), false, options), "Error: Emulator can not be detected");
    EmulatorState noFile = bench.control.state();
    noFile.targets[0].image.clear();
    EXPECT_EQ(batchRefusal(noFile, true, options), "Error: The File is not setted.");
    options.operations = 0b10001;  // stop and start need no file
    EXPECT_EQ(batchRefusal(noFile, true, options), std::nullopt);
    EXPECT_EQ(batchRefusal(EmulatorState{}, true, options), "Error: The Chip is not setted.");

    const std::vector<BatchEmulator> two{{0, 204711}, {1, 42}};
    options.operations = kDownloadVerifyStart;
    {
        Lines lines;
        BatchRun run(options, two, lines);
        EXPECT_EQ(lines.messages.front(),
                  "Batch Operation: Download to Emulator, Verify from Emulator, Start Emulation on emulator 1: ZL204711, 2: VK000042");
        ASSERT_TRUE(run.next());
        run.stepsEnded({});
        ASSERT_TRUE(run.next());
        run.stepsEnded({});
        EXPECT_FALSE(run.next());
        run.finish();
        run.finish();
        EXPECT_TRUE(run.succeeded());
        EXPECT_EQ(std::ranges::count(lines.messages, "Batch Operation Complete"), 1);
    }
    {
        Lines lines;
        BatchRun run(options, two, lines);
        ASSERT_TRUE(run.next());
        run.stepsEnded({BatchOutcome::Failed, BatchOperation::Verify, false});
        EXPECT_FALSE(run.next());  // the second emulator is not touched
        run.finish();
        EXPECT_FALSE(run.succeeded());
        EXPECT_TRUE(lines.contains("Error: Batch Operation stopped: Verify from Emulator on emulator 1: ZL204711"));
        EXPECT_FALSE(lines.contains("Complete"));
    }
    {
        Lines lines;
        BatchRun run(options, two, lines);
        ASSERT_TRUE(run.next());
        run.finish();  // the window ended it before the last emulator
        EXPECT_TRUE(lines.contains("Error: Batch Operation interrupted on emulator 1: ZL204711"));
        EXPECT_FALSE(lines.contains("Complete"));
    }
    {
        Lines lines;
        BatchRun run(BatchOptions{}, two, lines);
        EXPECT_FALSE(run.next());
        run.finish();
        EXPECT_TRUE(lines.contains("Error: No batch operation is chosen"));
        EXPECT_FALSE(lines.contains("Complete"));
    }
}

}  // namespace
}  // namespace zel::gui::batch
