// A batch run: the chosen operations on each chosen emulator in turn, one emulator's steps at a
// time on the operation worker, ending at the first step that fails. A batch that fails or is
// cancelled never reports success and never goes on to the next emulator, so no emulator starts
// with memory that did not verify.
//
// Threads: BatchRun lives on the user-interface thread, which switches the control to the next
// emulator between jobs; runBatchSteps() runs on the worker under EmulatorControl's rule (the
// user-interface thread makes no other call meanwhile).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "BatchOptions.h"
#include "EmulatorControl.h"
#include "LogQueue.h"
#include "OperationProgress.h"

namespace zel::gui::batch {

struct BatchEmulator {
    int index = 0;  // in the last enumeration
    std::uint32_t serial = 0;
    std::string name() const;  // "1: ZL204711"
};

// The chosen emulators among those attached, in enumeration order (the one the window works on
// when none is chosen); chosen ones that are not attached are listed as missing.
struct EmulatorSelection {
    std::vector<BatchEmulator> emulators;
    std::vector<std::uint32_t> missing;
};
EmulatorSelection selectEmulators(const std::vector<std::uint32_t>& chosen, const std::vector<std::uint32_t>& attached,
                                  int current);

// Why the batch cannot run on this emulator (the log line); nothing when it can.
std::optional<std::string> batchRefusal(const EmulatorState& state, bool opened, const BatchOptions& options);

enum class BatchOutcome { Done, Failed, Cancelled };

struct StepsResult {
    BatchOutcome outcome = BatchOutcome::Done;
    std::optional<BatchOperation> stoppedAt;  // the step that failed or was cancelled
    bool emulating = false;                   // after the steps
};

// The chosen operations, in bit order, on the emulator the control works on.
StepsResult runBatchSteps(EmulatorControl& control, const BatchOptions& options, OperationProgress& progress);

class BatchRun {
public:
    BatchRun(BatchOptions options, std::vector<BatchEmulator> emulators, LogSink& log);

    const BatchOptions& options() const { return options_; }
    // The emulator to work on next; nothing when every one is done or the run has ended.
    std::optional<BatchEmulator> next();
    // The emulator the run works on was refused before its steps (its reason is logged).
    void refused();
    void stepsEnded(const StepsResult& result);
    bool ended() const { return ended_; }
    bool succeeded() const { return ended_ && !failed_; }
    // Logs how the run ended, once; a run ended before its last emulator counts as failed.
    void finish();

private:
    void fail(std::string line);

    BatchOptions options_;
    std::vector<BatchEmulator> emulators_;
    LogSink& log_;
    std::size_t position_ = 0;  // the emulator being worked on, once started
    bool started_ = false;
    bool failed_ = false;
    bool ended_ = false;
    bool finished_ = false;
};

}  // namespace zel::gui::batch
