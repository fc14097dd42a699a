// The desktop program's trace logic without Qt: the stored trace settings, the buffer rule of
// the trace buttons, the viewer's search and filtered numbering over a known capture, and the
// save and export jobs' open, write and stop outcomes (their threads: label threaded).
#include <gtest/gtest.h>

#include <fstream>

#include "GuiSettings.h"
#include "TempDir.h"
#include "TraceBrowser.h"
#include "TraceEnableRules.h"
#include "TraceSaveJob.h"
#include "TraceSettings.h"
#include "TraceTables.h"
#include "WaveformExport.h"

namespace {

using namespace zel::gui::trace;
namespace fs = std::filesystem;

// A capture built record by record: transactions of a timestamp and a command with its bytes.
class Capture {
public:
    Capture& command(std::vector<uint8_t> bytes) {
        push({0xFF, 0xFF, 0, 0, 0, 0, 0, static_cast<uint8_t>(++ticks_)});
        sequence_ = sequence_ == 254 ? 1 : sequence_ + 1;
        for (size_t at = 0, fragment = 0; at < bytes.size(); at += 6, ++fragment) {
            const size_t n = std::min<size_t>(6, bytes.size() - at);
            std::array<uint8_t, 8> record{sequence_, static_cast<uint8_t>((fragment & 3) << 6 | n * 8)};
            std::copy_n(bytes.begin() + long(at), n, record.begin() + 2);
            push(record);
        }
        return *this;
    }
    CapturedTrace trace() const {
        auto buffer = std::make_shared<zel::capture::CaptureBuffer>(uint32_t(bytes_.size()));
        std::copy(bytes_.begin(), bytes_.end(), buffer->bytes().begin());
        return {buffer, uint32_t(bytes_.size())};
    }

private:
    void push(const std::array<uint8_t, 8>& record) { bytes_.insert(bytes_.end(), record.begin(), record.end()); }
    std::vector<uint8_t> bytes_;
    uint8_t sequence_ = 0, ticks_ = 0;
};

std::unique_ptr<TraceTables> tables() {
    std::string problem;
    auto loaded = TraceTables::load(ZEL_TABLES_DIR, problem);
    EXPECT_TRUE(loaded) << problem;
    return loaded;
}

// Write enable, a program of four bytes at 0x1000, a status read, a 16-byte read at 0x3000.
Capture knownCapture() {
    Capture capture;
    capture.command({0x06})
        .command({0x02, 0x00, 0x10, 0x00, 0xA0, 0xA1, 0xA2, 0xA3})
        .command({0x05, 0x00})
        .command({0x03, 0x00, 0x30, 0x00, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    return capture;
}

TEST(TraceSettings, FilterAndCaptureOptionsRoundTripThroughTheDocument) {
    zel::test::TempDir home;
    zel::gui::GuiSettings settings(home.path(), {ZEL_TEMPLATE_DIR});
    FilterOptions filter{0x450, "1000", "2000", "", true, true};
    ASSERT_FALSE(settings.write(filter.changes()));
    const FilterOptions read = FilterOptions::read(settings);
    EXPECT_EQ(read.conditions, 0x450);
    EXPECT_EQ(read.start, "1000");
    EXPECT_TRUE(read.mask && read.translate);
    EXPECT_EQ(settings.get("SPIFilterConditions"), L"450");
    const auto parsed = read.parsed();
    EXPECT_EQ(parsed.start, 0x1000u);
    EXPECT_FALSE(parsed.specialCommand.has_value());  // an empty special command is none
    filter.special = "d8";
    EXPECT_EQ(filter.parsed().specialCommand, uint8_t{0xD8});

    CaptureOptions capture = CaptureOptions::read(settings);
    capture.choose(true, "/tmp/a.txt");
    capture.choose(true, "/tmp/b.txt");
    capture.choose(true, "/tmp/a.txt");  // already known: to the front, not twice
    ASSERT_FALSE(settings.write(capture.changes()));
    const CaptureOptions again = CaptureOptions::read(settings);
    EXPECT_TRUE(again.continuous);
    EXPECT_EQ(again.file, "/tmp/a.txt");
    EXPECT_EQ(again.recentPaths, (std::vector<std::string>{"/tmp/a.txt", "/tmp/b.txt"}));
    EXPECT_EQ(settings.get("SaveTracePaths"), L"/tmp/a.txt|/tmp/b.txt");
}

TEST(TraceEnableRules, NothingStartsOrClearsWhileTheBufferIsInUse) {
    const TraceFrame idle{true, false, false, true};
    EXPECT_EQ(traceEnables(idle), (TraceEnables{true, false, true, true, true}));
    for (TraceFrame inUse : {TraceFrame{true, true, false, true}, TraceFrame{true, false, true, true},
                             TraceFrame{true, false, false, true, true}}) {
        const auto enables = traceEnables(inUse);
        EXPECT_FALSE(enables.start || enables.clear || enables.save || enables.display);
        EXPECT_EQ(enables.stop, inUse.capturing);
    }
    EXPECT_FALSE(traceEnables({false, false, false, true}).start);  // no usable emulator
}

TEST(TraceBrowser, FindsTheTransactionsTouchingAnAddressAndKeepsTheCapturesNumbers) {
    const auto loaded = tables();
    const auto context = loaded->context(true, 0x200000, false);
    TraceBrowser browser(knownCapture().trace(), context);
    EXPECT_EQ(browser.findAddress(0x1003, 0)->transaction, 2u);
    EXPECT_FALSE(browser.findAddress(0x1004, 0));  // just past the four programmed bytes
    const auto read = browser.findAddress(0x300F, 0);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->transaction, 4u);
    EXPECT_EQ(browser.page(read->position, 8).front().count, "3");  // its scroll step starts in 3
    EXPECT_EQ(browser.pageFrom(read->transaction, 8).front().count, "4");
    EXPECT_FALSE(browser.findAddress(0x300F, 4));  // nothing after the last

    zel::trace::FilterSettings reads;
    reads.conditions = 1 << 4;  // Normal Read
    reads.start = 0x3000;
    reads.end = 0x3001;
    ASSERT_TRUE(browser.filter(reads, false));
    EXPECT_EQ(browser.scrollRange(), 5u * 8 / 16);  // the timestamp and four records of 20 bytes
    EXPECT_EQ(browser.page(0, 128).front().count, "4");
    reads.end = 0x3000;  // the range is start <= address < end
    EXPECT_FALSE(browser.filter(reads, false));
    EXPECT_TRUE(browser.filtered());  // a filter that finds nothing leaves the last result shown
    browser.showAll();
    EXPECT_EQ(browser.page(0, 128).front().count, "1");
}

TEST(TraceSaveJob, ReportsTheFailedStepOrTheStopInsteadOfComplete) {
    const auto loaded = tables();
    const auto context = loaded->context(true, 0x200000, false);
    const CapturedTrace trace = knownCapture().trace();
    zel::test::TempDir folder;
    auto outcome = [&](const fs::path& file, bool stopFirst) {
        TraceSaveJob job(trace, context, file);
        if (stopFirst) job.requestStop();
        job.start();
        job.join();
        EXPECT_FALSE(job.running());
        return job.outcome();
    };
    EXPECT_EQ(outcome(folder.path() / "trace.txt", false), "Save Log Complete!");
    EXPECT_GT(fs::file_size(folder.path() / "trace.txt"), 100u);
    EXPECT_EQ(outcome(folder.path() / "stopped.txt", true), "Save Log Stopped.");
    EXPECT_EQ(outcome(folder.path() / "missing" / "x.txt", false).rfind("Error: cannot open " + (folder.path() / "missing").string(), 0), 0u);
    const std::string full = outcome("/dev/full", false);
    EXPECT_TRUE(full.rfind("Error: cannot write /dev/full", 0) == 0 || full.rfind("Error: cannot close /dev/full", 0) == 0)
        << full;
}

TEST(WaveformExportJob, ReportsTheSamplesTheStopOrTheFailedStepAndLeavesNoScratchFile) {
    const auto loaded = tables();
    const auto context = loaded->context(true, 0x200000, false);
    const CapturedTrace trace = knownCapture().trace();
    zel::test::TempDir folder;
    auto outcome = [&](const fs::path& file, bool stopFirst) {
        WaveformExportJob job(trace, context, file);
        if (stopFirst) job.requestStop();
        job.start();
        job.join();
        EXPECT_FALSE(job.running());
        return job.outcome();
    };
    for (const char* name : {"trace.vcd", "trace.sr"}) {
        EXPECT_EQ(outcome(folder.path() / name, false).rfind("Export Complete: ", 0), 0u) << name;
        EXPECT_GT(fs::file_size(folder.path() / name), 0u);
        EXPECT_EQ(outcome(folder.path() / "stopped" += name, true), "Export Stopped.");
        EXPECT_FALSE(fs::exists(folder.path() / "stopped" += name)) << "a stopped export leaves its output";
    }
    EXPECT_EQ(outcome(folder.path() / "missing" / "x.vcd", false).rfind("Error: ", 0), 0u);
    EXPECT_EQ(outcome(folder.path() / "x.txt", false).rfind("Error: ", 0), 0u);
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.path())) ++files;
    EXPECT_EQ(files, 2u) << "a scratch capture file was left behind";
}

}  // namespace
