#include "CaptureCommand.h"

#include "ApiTraceSource.h"
#include "CaptureController.h"
#include "CommandTables.h"
#include "ContinuousTextSink.h"
#include "DeviceNumber.h"
#include "StopSignals.h"
#include "TraceFileSink.h"
#include "device/DeviceFacts.h"
#include "zelapi.h"

#include <pthread.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <thread>

namespace zel::tools {


namespace {

using Clock = std::chrono::steady_clock;
volatile std::sig_atomic_t stopSignal = 0;

void onStop(int) { stopSignal = 1; }

std::optional<CaptureJob> parseJob(Arguments& args, std::string& problem) {
    CaptureJob job;
    job.device = takeDeviceChoice(args);
    job.ring = args.takeFlag("--ring");
    uint64_t value = 0;
    if (args.takeNumber("--records", 1, ~uint64_t{0} >> 4, value)) job.records = value;
    if (args.takeNumber("--seconds", 1, 86400 * 365, value)) job.seconds = value;
    if (args.takeNumber("--chip-size", 0x10000, 0x80000000, value)) {
        job.chipSize = value;
        if ((value & (value - 1)) != 0) args.refuse("--chip-size takes a power of two, not " + std::to_string(value));
    }
    job.fourByteAtPowerUp = args.takeFlag("--four-byte");
    std::string text;
    if (args.take("--text", text)) job.text = text;
    args.take("--tables", job.tables);
    if (auto wrong = args.problem({"FILE"})) {
        problem = *wrong;
        return std::nullopt;
    }
    job.output = args.rest()[0];
    return job;
}

// stderr from several threads, and the progress line that a message line replaces.
class Console {
public:
    Console() : terminal_(::isatty(STDERR_FILENO) == 1) {}
    void message(const std::string& line) {
        std::lock_guard lock(mutex_);
        clearProgress();
        std::fprintf(stderr, "%s\n", line.c_str());
    }
    void progress(uint64_t records, uint64_t saved) {
        if (!terminal_) return;
        std::lock_guard lock(mutex_);
        std::fprintf(stderr, "\rcapturing: %llu records, %llu saved ", static_cast<unsigned long long>(records),
                     static_cast<unsigned long long>(saved));
        drawn_ = true;
    }
    void done() {
        std::lock_guard lock(mutex_);
        clearProgress();
    }

private:
    void clearProgress() {
        if (drawn_) std::fputs("\r\033[K", stderr);
        drawn_ = false;
    }
    std::mutex mutex_;
    bool terminal_;
    bool drawn_ = false;
};

// The API open for the command; the emulators released and the API closed on every way out.
struct ApiScope {
    ApiScope() { CliInitialZelmorProDLL(); }
    ~ApiScope() {
        CliCloseUSBDevice();
        CliCloseZelmorProDLL();
    }
};

std::optional<int> chooseDevice(const DeviceChoice& choice) {
    int index = CliGetUSBDevIndex();
    if (choice.given()) {
        const auto chosen = findChosenEmulator(choice);
        if (!chosen) {
            std::fprintf(stderr, "zeltrace: %s\n", chosen.problem().detail.c_str());
            return std::nullopt;
        }
        index = *chosen;
    }
    if (CliIsZelmorProUSBOpened(index) != 1) {
        char reason[256] = {};
        CliGetDeviceProblem(CliGetFoundDeviceCount() == 0 ? -1 : index, reason, sizeof reason);
        std::fprintf(stderr, "zeltrace: emulator %d cannot be used%s%s\n", session::deviceNumber(index),
                     reason[0] ? ": " : "", reason);
        return std::nullopt;
    }
    return index;
}

trace::TraceFileInfo fileInfo(const CaptureJob& job, int index) {
    trace::TraceFileInfo info;
    info.chip.size = job.chipSize;
    info.chip.fourByteAtPowerUp = job.fourByteAtPowerUp;
    uint32_t firmware = 0;
    if (CliTryGetProductInfo(&firmware, nullptr, nullptr, index) == 1 && device::isG2(device::FirmwareWord{firmware}))
        info.model = trace::EmulatorModel::G2;
    info.mode = job.ring ? trace::CaptureMode::Ring : trace::CaptureMode::Linear;
    return info;
}

// The stop signals go to this thread only: in the capture's threads they would cut a transfer or
// a write short (the handler does not restart them), which would end the capture as a failure.
void startWithStopSignalsHere(capture::CaptureController& controller, capture::RecordSink& sinks) {
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    controller.start(&sinks);  // its threads inherit the blocked set
    pthread_sigmask(SIG_UNBLOCK, &stops, nullptr);
}

// Waits for the end the job asks for, or for a stop signal, showing progress.
void waitForEnd(const capture::CaptureController& capture, const CaptureJob& job, Console& console) {
    const auto until = job.seconds ? Clock::now() + std::chrono::seconds(*job.seconds) : Clock::time_point::max();
    auto nextProgress = Clock::now();
    while (!stopSignal && !capture.settled() && Clock::now() < until) {
        if (Clock::now() >= nextProgress) {
            console.progress(capture.records(), capture.savedRecords());
            nextProgress += std::chrono::milliseconds(250);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Where the records go: the raw capture file and, with --text, the continuous text.
struct CaptureFiles {
    std::unique_ptr<capture::TraceFileSink> raw;
    std::optional<CommandTables> tables;
    std::optional<trace::DecodeContext> context;
    std::unique_ptr<capture::ContinuousTextSink> text;
    capture::SinkChain sinks;
};

// Opens them; false with the problem said when one cannot be opened.
bool openFiles(const CaptureJob& job, const trace::TraceFileInfo& info, CaptureFiles& files,
               const capture::RolloverFiles::Announce& say) {
    std::string problem;
    files.raw = capture::TraceFileSink::create(job.output, info, problem);
    if (!files.raw) return say(problem), false;
    files.sinks.add(*files.raw);
    if (!job.text) return true;
    files.tables = loadCommandTables(job.tables, problem);
    if (!files.tables) return say(problem), false;
    files.context.emplace(trace::DecodeContext{files.tables->commands, files.tables->io, info.model, info.chip, false});
    files.text = std::make_unique<capture::ContinuousTextSink>(*files.context, *job.text, say);
    if (!files.text->open()) return say(files.text->problem()), false;
    files.sinks.add(*files.text);
    return true;
}

void printSummary(const capture::CaptureController& controller, const CaptureJob& job, const CaptureFiles& files) {
    std::printf("records captured: %llu\n", static_cast<unsigned long long>(controller.records()));
    std::printf("capture file: %s (%llu records)\n", job.output.c_str(),
                static_cast<unsigned long long>(files.raw->recordsWritten()));
    if (files.text)
        for (const auto& path : files.text->paths()) std::printf("text file: %s\n", path.c_str());
}

int capture(const CaptureJob& job) {
    ApiScope api;
    const auto index = chooseDevice(job.device);
    if (!index) return 1;
    Console console;
    auto say = [&console](const std::string& line) { console.message(line); };
    const auto info = fileInfo(job, *index);
    CaptureFiles files;
    if (!openFiles(job, info, files, say)) return 1;

    capture::ApiTraceSource source(*index);
    capture::CaptureSettings settings;
    settings.mode = job.ring ? capture::CaptureMode::Ring : capture::CaptureMode::Linear;
    settings.recordLimit = job.records;
    capture::CaptureController controller(source, settings, say);
    onStopSignals(onStop);
    startWithStopSignalsHere(controller, files.sinks);
    std::printf("capturing\n");
    std::fflush(stdout);
    waitForEnd(controller, job, console);
    const auto end = controller.stop();
    console.done();
    printSummary(controller, job, files);
    return end == capture::CaptureEnd::DeviceError || end == capture::CaptureEnd::WriteError ? 1 : 0;
}

}  // namespace

int captureCommand(Arguments& args) {
    std::string problem;
    const auto job = parseJob(args, problem);
    if (!job) return usageError("zeltrace capture", problem, 2);
    return capture(*job);
}

}  // namespace zel::tools
