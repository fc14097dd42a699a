// The desktop program's SPI trace against zelsim's scripted target, offscreen, through the real
// widgets by object name: what the viewer lists and what its saves write is what the trace core
// makes of the same records; ring capture with the continuous file across several wraps keeps
// every transaction once and in order, and its viewer lists every record the ring still holds,
// oldest first; a stalled emulator and a full buffer end the capture with their messages; Stop
// Saving and Stop Export ask before they cut a file short.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <optional>
#include <random>
#include <time.h>
#include <sstream>
#include <thread>

#include "GuiWorld.h"
#include "TraceFeature.h"
#include "TraceRowsModel.h"
#include "TraceViewerDialog.h"
#include "trace/DisplayRows.h"
#include "trace/TraceFilter.h"
#include "trace/TraceTextWriter.h"

namespace {

using zel::gui::test::GuiWorld;
namespace fs = std::filesystem;

std::string scriptPath(const char* name) { return std::string(ZEL_SOURCE_DIR) + "/sim/scripts/" + name; }

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QTest::qWait(10);
    }
    return true;
}

// An emulating G2 emulator with a 2 MiB chip, ready for a capture.
struct TraceWorld : GuiWorld {
    TraceWorld() : GuiWorld({"gen=2,serial=204711"}) {
        prompter.chip = "W25Q16JV.cfg";
        action("selectChipAction")->trigger();
        action("runAction")->trigger();
    }
    zel::gui::trace::TraceFeature& trace() { return window->trace(); }
    QPushButton* button(const char* name) const {
        auto* found = window->findChild<QPushButton*>(QString::fromLatin1(name));
        if (!found && trace().viewer()) found = trace().viewer()->findChild<QPushButton*>(QString::fromLatin1(name));
        return found;
    }
    zel::gui::trace::TraceFeature& trace() const { return window->trace(); }
    // Plays the script once and waits until the capture has every record the target made.
    bool playOnce(const char* script, int passes = 1, int rate = 0) {
        sim.control("target-run 0 " + scriptPath(script) + " " + std::to_string(rate) + " " + std::to_string(passes));
        return waitUntil([this] {
            return sim.control("target-status 0").find("running=0") != std::string::npos &&
                   sim.control("trace-counters 0").find("unread=0") != std::string::npos;
        });
    }
    zel::gui::trace::TraceViewerDialog* openViewer() {
        button("displayTraceButton")->click();
        return trace().viewer();
    }
    // The trace core's decoding context for this emulator and chip.
    zel::trace::DecodeContext context(const zel::gui::trace::TraceTables& tables, bool translate) const {
        return tables.context(true, 0x200000, translate);
    }
};

std::unique_ptr<zel::gui::trace::TraceTables> loadTables() {
    std::string problem;
    auto tables = zel::gui::trace::TraceTables::load(ZEL_TABLES_DIR, problem);
    if (!tables) qFatal("%s", problem.c_str());
    return tables;
}

// The newest `count` records of the simulated target, oldest first, as the host would read them.
std::vector<uint8_t> simRecords(const zel::test::SimProcess& sim, size_t count) {
    std::vector<uint8_t> bytes;
    std::istringstream lines(sim.control("trace 0 " + std::to_string(count)));
    for (std::string line; std::getline(lines, line);)
        for (size_t at = 0; at + 1 < line.size(); at += 2) bytes.push_back(uint8_t(std::stoul(line.substr(at, 2), nullptr, 16)));
    return bytes;
}

// The window thread's own share of its stalls: a 25 ms timer on that thread notes, per gap
// between ticks, the wall time and the thread's CPU time. A long gap with little CPU in it is the
// machine's load (the thread was waiting for a core), one full of CPU is the window's own work.
class StallProbe {
public:
    StallProbe() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start(25);
    }
    void reset() { last_.reset(); longestWall_ = longestCpu_ = 0; }
    QString text() const { return QStringLiteral("longest gap %1 ms, most CPU of the window's thread in one gap %2 ms").arg(longestWall_).arg(longestCpu_, 0, 'f', 1); }

private:
    struct Stamp {
        qint64 wallNs;
        double cpuMs;
    };
    static double threadCpuMs() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
    }
    void tick() {
        const Stamp now{clock_.nsecsElapsed(), threadCpuMs()};
        if (last_) {
            longestWall_ = std::max(longestWall_, (now.wallNs - last_->wallNs) / 1000000);
            longestCpu_ = std::max(longestCpu_, now.cpuMs - last_->cpuMs);
        }
        last_ = now;
    }
    QTimer timer_;
    QElapsedTimer clock_ = [] { QElapsedTimer t; t.start(); return t; }();
    std::optional<Stamp> last_;
    qint64 longestWall_ = 0;
    double longestCpu_ = 0;
};

std::vector<std::array<std::string, 5>> cells(const std::vector<zel::trace::TraceRow>& rows) {
    std::vector<std::array<std::string, 5>> out;
    for (const auto& row : rows) out.push_back({row.timestamp, row.count, row.command, row.address, row.data});
    return out;
}

}  // namespace

class TraceSimTest : public QObject {
    Q_OBJECT

private slots:
    // A captured boot: the viewer's rows are the core's rows for the same records, original and
    // translated, at the top and from a scroll position inside the capture.
    void bootCaptureListsTheCoresRows() {
        TraceWorld world;
        QVERIFY(world.button("startTraceButton")->isEnabled());
        const int from = world.rows();
        world.button("startTraceButton")->click();
        QVERIFY(world.waitForLog("Starting SPI Trace...", from));
        QVERIFY(!world.button("clearBufferButton")->isEnabled());
        QVERIFY(!world.button("startTraceButton")->isEnabled());
        QVERIFY(world.playOnce("boot.zts"));
        world.button("stopTraceButton")->click();
        QVERIFY(world.waitForLog("Stop SPI Traceing...", from));
        QVERIFY(world.button("clearBufferButton")->isEnabled());

        auto* viewer = world.openViewer();
        QVERIFY(viewer);
        const auto records = world.trace().capture().captured().bytes();
        QVERIFY(records.size() >= 16 * 8);
        const auto tables = loadTables();
        auto* model = viewer->findChild<zel::gui::trace::TraceRowsModel*>();
        for (bool translate : {false, true}) {
            if (translate) world.button("translationButton")->click();
            QCOMPARE(world.button("translationButton")->text(),
                     translate ? QStringLiteral("Original..") : QStringLiteral("Translation.."));
            const auto context = world.context(*tables, translate);
            const auto index = zel::trace::TransactionIndex::build(records, context.chip);
            const zel::trace::DisplayPass pass(records, index, context);
            auto* scroll = viewer->findChild<QScrollBar*>(QStringLiteral("traceScrollBar"));
            scroll->setValue(0);
            QVERIFY(cells(model->rows()) == cells(pass.rows(0, zel::gui::trace::TraceViewerDialog::kPageRecords)));
            scroll->setValue(5);  // 80 bytes in: the page steps back to its transaction
            QVERIFY(cells(model->rows()) == cells(pass.rows(10, zel::gui::trace::TraceViewerDialog::kPageRecords)));
            QCOMPARE(scroll->maximum(), int(records.size() / 16) - 1);
        }
        viewer->reject();
        QVERIFY(waitUntil([&] { return world.trace().viewer() == nullptr; }));
        QCOMPARE(world.settings->get("SPICommandTranslation"), std::wstring(L"1"));
        world.button("clearBufferButton")->click();
        QVERIFY(!world.button("saveTraceButton")->isEnabled());
    }

    // Page Program in a range: Save Result writes what the core's result writer makes of the
    // core's filter, byte for byte; the numbers shown are those of the whole capture. The
    // filter is kept in the settings document when the viewer closes.
    void pageProgramFilterSavesTheCoresResult() {
        TraceWorld world;
        const fs::path script = world.home.path() / "program.zts";
        std::ofstream(script) << "spi 06 0\nspi 0200100011223344 0\nspi 05 1\nspi 06 0\nspi 0200200055667788 0\n"
                                 "spi 0300100000 4\nspi 06 0\nspi 0200180099aabbccddeeff0011223344556677889900 0\n";
        world.button("startTraceButton")->click();
        world.sim.control("target-run 0 " + script.string() + " 0 3");
        QVERIFY(waitUntil([&] {
            return world.sim.control("target-status 0").find("running=0") != std::string::npos &&
                   world.sim.control("trace-counters 0").find("unread=0") != std::string::npos;
        }));
        world.button("stopTraceButton")->click();
        auto* viewer = world.openViewer();
        QVERIFY(!world.button("saveResultButton")->isEnabled());
        viewer->findChild<QCheckBox*>(QStringLiteral("filterCondition6"))->setChecked(true);
        viewer->findChild<QLineEdit*>(QStringLiteral("filterStartEdit"))->setText(QStringLiteral("1000"));
        viewer->findChild<QLineEdit*>(QStringLiteral("filterEndEdit"))->setText(QStringLiteral("2000"));
        world.button("startFilteringButton")->click();
        QVERIFY(world.button("saveResultButton")->isEnabled());
        auto* model = viewer->findChild<zel::gui::trace::TraceRowsModel*>();
        QVERIFY(!model->rows().empty());
        QCOMPARE(model->rows()[0].count, std::string("2"));  // the capture's numbering, not 1..

        world.prompter.saveAs = world.home.path() / "result.txt";
        const int from = world.rows();
        world.button("saveResultButton")->click();
        QVERIFY(world.waitForLog("Save Log Complete!", from));

        const auto tables = loadTables();
        const auto context = world.context(*tables, false);
        const auto records = world.trace().capture().captured().bytes();
        const auto index = zel::trace::TransactionIndex::build(records, context.chip);
        zel::trace::FilterSettings filter;
        filter.conditions = 1 << 6;
        filter.start = 0x1000;
        filter.end = 0x2000;
        const auto result = zel::trace::filterTrace(records, index, context, filter);
        QCOMPARE(result.numbers.size(), size_t{6});  // two programs in range per pass, three passes
        zel::trace::StringSink expected;
        zel::trace::writeResult(result, context, expected);
        QVERIFY(readText(world.prompter.saveAs) == expected.text());

        // A save that cannot write says so instead of "Complete".
        world.prompter.saveAs = "/dev/full";
        const int before = world.rows();
        world.button("saveResultButton")->click();
        QVERIFY(world.waitForLog("Error: cannot", before));
        QVERIFY(!world.waitForLog("Save Log Complete!", before, 200));
        viewer->accept();
        QVERIFY(waitUntil([&] { return world.trace().viewer() == nullptr; }));
        QCOMPARE(world.settings->get("SPIFilterConditions"), std::wstring(L"40"));
        QCOMPARE(world.settings->get("SPIFilterStartAddr"), std::wstring(L"1000"));
    }

    // Ring mode with the continuous file, a buffer that wraps several times: the file numbers
    // every transaction the target made exactly once, in order.
    void ringCaptureWritesEveryTransactionOnce() {
        TraceWorld world;
        const fs::path text = world.home.path() / "continuous.txt";
        zel::settings::SettingsUpdate update;
        update.setBool("EnableSaveTrace2File", true);
        update.set("SPITraceFile", text.wstring());
        QVERIFY(!world.settings->write(update));
        world.trace().capture().setBufferBytes(0x40000);  // 256 KiB: 16,384 records
        const int from = world.rows();
        world.button("startTraceButton")->click();
        QVERIFY(world.waitForLog("Save SPI Trace data into file: " + QString::fromStdString(text.string()), from));
        constexpr int kSteps = 60000;  // 120,000 records: seven laps of the buffer
        QVERIFY(world.playOnce("stream.zts", kSteps, 40000));
        QVERIFY(waitUntil([&] { return !world.trace().capture().unsavedRecords(); }));
        world.button("stopTraceButton")->click();
        QVERIFY(world.prompter.asked.isEmpty());  // nothing unsaved: no question
        QVERIFY(world.waitForLog("Stop SPI Traceing...", from));

        // A transaction's line starts with its timestamp and number; continuations with blanks.
        std::istringstream written(readText(text));
        uint64_t expected = 1, lines = 0;
        bool inOrder = true;
        for (std::string line; std::getline(written, line);) {
            unsigned long long seconds = 0, fraction = 0, number = 0;
            if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
            if (std::sscanf(line.c_str(), "%llu.%llu %llu", &seconds, &fraction, &number) != 3) continue;
            inOrder = inOrder && number == expected;
            ++expected;
            ++lines;
        }
        QVERIFY(inOrder);
        QCOMPARE(lines, uint64_t{kSteps});
    }

    // A ring capture across several wraps: once stopped, the viewer starts at the oldest record
    // the buffer still holds (the rest of the lap before the last) and runs to the newest, the
    // very records the target made last, and its rows are the core's rows for them.
    void ringCaptureViewerListsTheHeldRecordsOldestFirst() {
        TraceWorld world;
        zel::settings::SettingsUpdate update;
        update.setBool("EnableSaveTrace2File", true);
        update.set("SPITraceFile", (world.home.path() / "ring.txt").wstring());
        QVERIFY(!world.settings->write(update));
        constexpr uint32_t kBuffer = 0x40000;  // 32,768 records
        world.trace().capture().setBufferBytes(kBuffer);
        world.button("startTraceButton")->click();
        QVERIFY(world.playOnce("stream.zts", 45000, 40000));  // 90,000 records: close to three laps
        QVERIFY(waitUntil([&] { return !world.trace().capture().unsavedRecords(); }));
        world.button("stopTraceButton")->click();
        QVERIFY(waitUntil([&] { return !world.trace().busy(); }));

        const auto held = world.trace().capture().captured().bytes();
        QVERIFY(held.size() > kBuffer - 2 * zel::capture::kFetchBytes);  // more than the last lap
        const auto made = simRecords(world.sim, held.size() / 8);
        QVERIFY(std::equal(held.begin(), held.end(), made.begin(), made.end()));

        auto* viewer = world.openViewer();
        QVERIFY(viewer);
        const auto tables = loadTables();
        const auto context = world.context(*tables, false);
        const auto index = zel::trace::TransactionIndex::build(held, context.chip);
        const zel::trace::DisplayPass pass(held, index, context);
        auto* model = viewer->findChild<zel::gui::trace::TraceRowsModel*>();
        const auto rows = cells(model->rows());
        QVERIFY(rows == cells(pass.rows(0, zel::gui::trace::TraceViewerDialog::kPageRecords)));
        // The first row is the oldest record held (unless the ring's edge parted a command from
        // its timestamp: then the row is that command's separator).
        QVERIFY(!rows.empty());
        if (held[0] == 0xFF && held[1] == 0xFF) {
            uint64_t ticks = 0;
            for (int i = 2; i < 8; ++i) ticks = ticks << 8 | held[i];
            char stamp[32];
            std::snprintf(stamp, sizeof stamp, "%u.%08u", unsigned(ticks / 100000000), unsigned(ticks % 100000000));
            QCOMPARE(QString::fromStdString(rows[0][0]), QString::fromLatin1(stamp));
        }
        auto* scroll = viewer->findChild<QScrollBar*>(QStringLiteral("traceScrollBar"));
        QCOMPARE(scroll->maximum(), int(held.size() / 16) - 1);
        scroll->setValue(scroll->maximum());
        QVERIFY(cells(model->rows()) == cells(pass.rows(held.size() / 8 - 2, zel::gui::trace::TraceViewerDialog::kPageRecords)));
        viewer->reject();
    }

    // The emulator stops answering during a capture: the capture ends with the USB message and
    // the buttons come back.
    void stalledEmulatorEndsTheCaptureWithTheUsbError() {
        TraceWorld world;
        const int from = world.rows();
        world.button("startTraceButton")->click();
        QVERIFY(world.waitForLog("Starting SPI Trace...", from));
        world.sim.control("stall 0 on");
        QVERIFY(world.waitForLog("USB Error: SPI Trace STOP.", from));
        QVERIFY(waitUntil([&] { return world.button("startTraceButton")->isEnabled() ||
                                       !world.trace().capturing(); }));
        QVERIFY(!world.trace().capturing());
        QVERIFY(!world.button("stopTraceButton")->isEnabled());
        world.sim.control("stall 0 off");
    }

    // Another program takes the emulator (the command-line tool's notice 1, a share request): the
    // capture stops through its handshake before the devices are closed, and Start waits for them.
    void anotherProgramTakingTheEmulatorStopsTheCaptureFirst() {
        TraceWorld world;
        const int from = world.rows();
        world.button("startTraceButton")->click();
        world.sim.control("target-run 0 " + scriptPath("stream.zts") + " 1000 0");
        QVERIFY(waitUntil([&] { return world.trace().capture().records() > 0; }));
        world.window->polling().devicesTaken(zel::gui::OtherHolder::CommandLine);
        QVERIFY(!world.trace().capturing());
        QVERIFY(world.waitForLog("Stop SPI Traceing...", from));
        QVERIFY(world.waitForLog("ZelmorPro--CLI is running", from));
        QVERIFY(!world.waitForLog("USB Error", from, 200));  // stopped before the devices went
        QVERIFY(!world.button("startTraceButton")->isEnabled());
        QVERIFY(world.button("displayTraceButton")->isEnabled());  // what was captured stays
        world.sim.control("target-stop 0");
    }

    // Linear capture into a small buffer fills it: the warning, the capture ends, nothing hangs,
    // and what was captured can be viewed. Stop Saving and Stop Export then ask before they cut a
    // file short; a failed export says why.
    void fullBufferWarnsAndStopSavingOrExportAsks() {
        TraceWorld world;
        world.trace().capture().setBufferBytes(0x20000);
        const int from = world.rows();
        world.button("startTraceButton")->click();
        world.sim.control("target-run 0 " + scriptPath("stream.zts") + " 0 0");
        QVERIFY(world.waitForLog("Warning: SPI Trace buffer is full.", from));
        QVERIFY(world.waitForLog("SPI Trace STOP.", from));
        world.sim.control("target-stop 0");
        QVERIFY(waitUntil([&] { return !world.trace().capturing(); }));
        QVERIFY(world.button("startTraceButton")->isEnabled());

        auto* viewer = world.openViewer();
        QVERIFY(viewer);
        world.prompter.saveAs = world.home.path() / "full.txt";
        auto* save = world.button("viewerSaveTraceButton");
        world.prompter.answer = false;
        save->click();
        QCOMPARE(save->text(), QStringLiteral("Stop Saving"));
        save->click();  // while saving: asked, and No keeps it going
        QCOMPARE(world.prompter.asked.value(0), QStringLiteral("SPI Trace data is being saved.\nDo you want to stop it?"));
        const int before = world.rows();
        QVERIFY(world.waitForLog("Save Log Complete!", before));
        QCOMPARE(save->text(), QStringLiteral("Save Trace"));

        // Export runs the same way: No keeps it going to the end, Yes stops it and removes the file.
        auto* exportButton = world.button("exportButton");
        auto* progress = viewer->findChild<QLabel*>(QStringLiteral("saveProgressLabel"));
        for (bool stop : {false, true}) {
            world.prompter.saveAs = world.home.path() / (stop ? "stopped.vcd" : "full.vcd");
            world.prompter.answer = stop;
            world.prompter.asked.clear();
            const int start = world.rows();
            exportButton->click();
            QCOMPARE(exportButton->text(), QStringLiteral("Stop Export"));
            QVERIFY(!save->isEnabled());
            exportButton->click();
            QCOMPARE(world.prompter.asked.size(), 1);
            QVERIFY(world.waitForLog(stop ? "Export Stopped." : "Export Complete: ", start));
            QCOMPARE(exportButton->text(), QStringLiteral("Export..."));
            QVERIFY(progress->text().startsWith(stop ? QStringLiteral("Export Stopped.") : QStringLiteral("Export Complete: ")));
            QCOMPARE(fs::exists(world.prompter.saveAs), !stop);
        }
        world.prompter.saveAs = world.home.path() / "missing" / "x.vcd";  // no folder for it
        const int failing = world.rows();
        exportButton->click();
        QVERIFY(world.waitForLog("Error: ", failing));
        QVERIFY(!world.waitForLog("Export Complete", failing, 200));
        viewer->reject();
    }

    // Figures only, never asserted (set ZELMOR_GUI_MEASURE=1): a linear capture into the whole
    // 128 MiB buffer while the target runs at full rate and a viewer (over an earlier capture)
    // pages on every turn of the event loop: records the simulator produced against records
    // captured and its overflows; then Save Trace and Export of that nearly full buffer. For each, the
    // window's longest stall (the gap between its 25 ms timer ticks), beside the same with the
    // window idle, which tells the machine's load from the window's own.
    void measureCaptureAtFullRateAndSaveOfAFullBuffer() {
        if (qEnvironmentVariableIntValue("ZELMOR_GUI_MEASURE") != 1) QSKIP("a measurement: set ZELMOR_GUI_MEASURE=1");
        TraceWorld world;
        world.button("startTraceButton")->click();
        QVERIFY(world.playOnce("boot.zts"));
        world.button("stopTraceButton")->click();
        const auto tables = loadTables();
        zel::gui::trace::TraceViewerDialog viewer({world.trace().capture().captured(), *tables, true, 0x200000, {},
                                                   world.window->logSink(), world.prompter, *world.settings});
        viewer.show();
        auto* scroll = viewer.findChild<QScrollBar*>(QStringLiteral("traceScrollBar"));
        auto& gaps = world.window->tickGaps();
        StallProbe probe;
        gaps.reset();
        probe.reset();
        QTest::qWait(2000);
        const long long idle = gaps.longestGapMs();
        const QString idleProbe = probe.text();

        // 8,380,000 numbered reads of two records each: 134,080,000 bytes, just below the point
        // where a linear capture stops for a full buffer (ZELMOR_MEASURE_STEPS: fewer).
        const uint64_t kSteps = qEnvironmentVariableIsSet("ZELMOR_MEASURE_STEPS")
                                    ? qEnvironmentVariable("ZELMOR_MEASURE_STEPS").toULongLong()
                                    : 8380000;
        const int rate = qEnvironmentVariableIntValue("ZELMOR_MEASURE_RATE");  // steps a second; 0: full rate
        gaps.reset();
        probe.reset();
        world.button("startTraceButton")->click();
        QElapsedTimer timer;
        timer.start();
        world.sim.control("target-run 0 " + scriptPath("stream.zts") + " " + std::to_string(rate) + " " +
                          std::to_string(kSteps));
        // The simulator is asked from a thread of its own: its answers wait for the target's
        // bursts, and the window's thread must not.
        std::atomic<qint64> made{-1};
        std::atomic<bool> fetched{false};
        std::thread watcher([&] {
            while (!fetched) {
                if (made < 0 && world.sim.control("target-status 0").find("running=0") != std::string::npos)
                    made = timer.elapsed();
                if (made >= 0 && world.sim.control("trace-counters 0").find("unread=0") != std::string::npos)
                    fetched = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
        const bool done = waitUntil(
            [&] {
                scroll->setValue((scroll->value() + 1) % (scroll->maximum() + 1));
                return fetched || !world.trace().capturing();
            },
            600000);
        fetched = true;
        watcher.join();
        const qint64 took = timer.elapsed();
        const long long captureGap = gaps.longestGapMs();
        const QString captureProbe = probe.text();
        const std::string counters = world.sim.control("trace-counters 0");
        const uint64_t captured = world.trace().capture().records();
        world.button("stopTraceButton")->click();
        viewer.close();
        qInfo("capture at full rate: %s (produced= counts the simulator's records)", counters.c_str());
        qInfo("records captured: %llu of %llu made in %lld ms (%.0f records/s), all fetched after %lld ms%s",
              static_cast<unsigned long long>(captured), static_cast<unsigned long long>(2 * kSteps),
              static_cast<long long>(made.load()), 2.0 * kSteps * 1000 / std::max<qint64>(made.load(), 1), static_cast<long long>(took),
              done ? "" : " (gave up waiting)");
        qInfo("longest window stall during the capture: %lld ms (idle window: %lld ms)", captureGap, idle);
        qInfo("probe during the capture: %s; idle: %s", qPrintable(captureProbe), qPrintable(idleProbe));

        world.prompter.saveAs = world.home.path() / "full.txt";
        const int from = world.rows();
        gaps.reset();
        probe.reset();
        timer.restart();
        world.button("saveTraceButton")->click();
        const bool saved = world.waitForLog("Save Log Complete!", from, 600000);
        qInfo("Save Trace of %u bytes of records: %s in %lld ms, %llu bytes of text; longest window stall: %lld ms",
              world.trace().capture().captured().length, saved ? "complete" : "NOT complete",
              static_cast<long long>(timer.elapsed()),
              static_cast<unsigned long long>(fs::file_size(world.prompter.saveAs)),
              static_cast<long long>(gaps.longestGapMs()));
        qInfo("probe during Save Trace: %s", qPrintable(probe.text()));
        fs::remove(world.prompter.saveAs);

        // Export of the same buffer from the viewer, stopped after at most 10 s.
        auto* full = world.openViewer();
        QVERIFY(full);
        world.prompter.saveAs = world.home.path() / "full.sr";
        world.prompter.answer = true;
        const int exportFrom = world.rows();
        gaps.reset();
        probe.reset();
        timer.restart();
        world.button("exportButton")->click();
        auto* progress = full->findChild<QLabel*>(QStringLiteral("saveProgressLabel"));
        const bool exported = world.waitForLog("Export Complete", exportFrom, 10000);
        QString reached = progress->text();
        qint64 stopTook = 0;
        if (!exported) {
            QElapsedTimer stopping;
            stopping.start();
            world.button("exportButton")->click();
            QVERIFY(world.waitForLog("Export Stopped.", exportFrom, 60000));
            stopTook = stopping.elapsed();
        }
        qInfo("Export to .sr: %s after %lld ms (progress %s), Stop Export took %lld ms; longest window stall %lld ms",
              exported ? "complete" : "stopped", static_cast<long long>(timer.elapsed()), qPrintable(reached),
              static_cast<long long>(stopTook), static_cast<long long>(gaps.longestGapMs()));
        qInfo("probe during Export: %s", qPrintable(probe.text()));
        full->reject();
    }

    // Figures only, never asserted: the viewer opened on a full 128 MiB buffer (the first page on
    // screen) and the paint after a jump to any scroll position.
    void measureViewerOnAFull128MiBBuffer() {
        auto buffer = std::make_shared<zel::capture::CaptureBuffer>(zel::capture::kCaptureBufferBytes);
        auto bytes = buffer->bytes();
        // Transactions of eight records: a timestamp, a Read at a moving address, six more records.
        uint8_t sequence = 0;
        for (size_t at = 0, n = 0; at < bytes.size(); at += 64, ++n) {
            sequence = sequence == 254 ? 1 : sequence + 1;
            uint8_t* r = bytes.data() + at;
            const uint8_t stamp[8] = {0xFF, 0xFF, 0, 0, uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
            std::copy_n(stamp, 8, r);
            const uint8_t command[8] = {sequence, 48, 0x03, uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n), 0x5A, 0xA5};
            std::copy_n(command, 8, r + 8);
            for (uint8_t k = 1; k <= 6; ++k) {
                uint8_t* c = r + 8 + 8 * k;
                c[0] = sequence;
                c[1] = uint8_t((k & 3) << 6 | 48);
                for (int b = 2; b < 8; ++b) c[b] = uint8_t(n + k * b);
            }
        }
        zel::test::TempDir home;
        zel::gui::GuiSettings settings(home.path(), {ZEL_TEMPLATE_DIR});
        zel::gui::test::ScriptedPrompter prompter;
        zel::gui::LogQueue log;
        const auto tables = loadTables();
        QElapsedTimer timer;
        timer.start();
        zel::gui::trace::TraceViewerDialog viewer({{buffer, zel::capture::kCaptureBufferBytes}, *tables, true, 0x1000000,
                                                   {}, log, prompter, settings});
        viewer.show();
        QCoreApplication::processEvents();
        viewer.repaint();
        qInfo("viewer on a full 128 MiB buffer: first page painted after %lld ms", timer.elapsed());

        auto* scroll = viewer.findChild<QScrollBar*>(QStringLiteral("traceScrollBar"));
        auto* list = viewer.findChild<QTableView*>(QStringLiteral("traceList"));
        std::mt19937 random(7);
        std::uniform_int_distribution<int> position(0, scroll->maximum());
        qint64 worst = 0, total = 0;
        constexpr int kJumps = 200;
        for (int i = 0; i < kJumps; ++i) {
            QElapsedTimer jump;
            jump.start();
            scroll->setValue(position(random));
            list->viewport()->repaint();  // what a scroll changes on screen
            scroll->repaint();
            const qint64 us = jump.nsecsElapsed() / 1000;
            worst = std::max(worst, us);
            total += us;
        }
        qInfo("jump to a random scroll position and paint: mean %lld us, worst %lld us over %d jumps", total / kJumps,
              worst, kJumps);
    }
};

QTEST_MAIN(TraceSimTest)
#include "TraceSimTest.moc"
