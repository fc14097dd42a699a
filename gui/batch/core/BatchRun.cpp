#include "BatchRun.h"

#include <algorithm>

#include "DeviceIdentity.h"

namespace zel::gui::batch {
namespace {

bool stepFailed(OperationResult result) { return result != OperationResult::Done; }

BatchOutcome outcomeOf(OperationResult result) {
    return result == OperationResult::Cancelled ? BatchOutcome::Cancelled : BatchOutcome::Failed;
}

// Reads each target's file again, as it is on disk now.
bool reloadFiles(EmulatorControl& control, OperationProgress& progress) {
    for (int target = 0; target < 2; ++target) {
        const TargetState slot = control.state().targets[std::size_t(target)];
        if (slot.image.empty()) continue;
        const DownloadOptions& download = control.state().download;
        const ImageChoice choice{slot.image, download.truncate, formatFromName(slot.format), download.fillByte};
        if (!control.loadImage(target, choice, progress)) return false;
    }
    return true;
}

OperationResult runStep(EmulatorControl& control, BatchOperation operation, OperationProgress& progress) {
    switch (operation) {
    case BatchOperation::Stop: {
        const bool opened = control.isOpened();
        control.stop();  // says so itself when the emulator is missing
        return opened ? OperationResult::Done : OperationResult::NoDevice;
    }
    case BatchOperation::Reload:
        if (reloadFiles(control, progress)) return OperationResult::Done;
        return progress.cancelRequested() ? OperationResult::Cancelled : OperationResult::Failed;
    case BatchOperation::Download: return control.download();
    case BatchOperation::Verify: return control.verify();
    case BatchOperation::Start: {
        const RunResult result = control.run();
        return result == RunResult::Started || result == RunResult::AlreadyRunning ? OperationResult::Done
                                                                                   : OperationResult::Failed;
    }
    }
    return OperationResult::Failed;
}

std::string operationList(const BatchOptions& options) {
    std::string text;
    for (const BatchOperation operation : options.chosen()) text += (text.empty() ? "" : ", ") + std::string(operationName(operation));
    return text;
}

}  // namespace

std::string BatchEmulator::name() const { return std::to_string(index + 1) + ": " + serialText(serial); }

EmulatorSelection selectEmulators(const std::vector<std::uint32_t>& chosen, const std::vector<std::uint32_t>& attached,
                                  int current) {
    EmulatorSelection selection;
    if (chosen.empty()) {
        if (current >= 0 && std::size_t(current) < attached.size())
            selection.emulators.push_back({current, attached[std::size_t(current)]});
        return selection;
    }
    for (std::size_t index = 0; index < attached.size(); ++index)
        if (std::ranges::find(chosen, attached[index]) != chosen.end())
            selection.emulators.push_back({int(index), attached[index]});
    for (const std::uint32_t serial : chosen)
        if (std::ranges::find(attached, serial) == attached.end()) selection.missing.push_back(serial);
    return selection;
}

std::optional<std::string> batchRefusal(const EmulatorState& state, bool opened, const BatchOptions& options) {
    if (!opened) return "Error: Emulator can not be detected";
    if (!state.targets[0].chip) return "Error: The Chip is not setted.";
    if (options.needsFile() && state.targets[0].image.empty()) return "Error: The File is not setted.";
    return std::nullopt;
}

StepsResult runBatchSteps(EmulatorControl& control, const BatchOptions& options, OperationProgress& progress) {
    StepsResult result;
    for (const BatchOperation operation : options.chosen()) {
        const OperationResult step =
            progress.cancelRequested() ? OperationResult::Cancelled : runStep(control, operation, progress);
        if (stepFailed(step)) {
            result.outcome = outcomeOf(step);
            result.stoppedAt = operation;
            break;
        }
    }
    result.emulating = control.isOpened() && control.isEmulating();
    return result;
}

BatchRun::BatchRun(BatchOptions options, std::vector<BatchEmulator> emulators, LogSink& log)
    : options_(std::move(options)), emulators_(std::move(emulators)), log_(log) {
    std::string names;
    for (const BatchEmulator& emulator : emulators_) names += (names.empty() ? "" : ", ") + emulator.name();
    log_.log("Batch Operation: " + operationList(options_) + " on emulator " + names);
    if (options_.chosen().empty()) fail("Error: No batch operation is chosen (Configure Setting, Batch Operation)");
}

std::optional<BatchEmulator> BatchRun::next() {
    if (ended_) return std::nullopt;
    if (started_) ++position_;
    started_ = true;
    if (position_ >= emulators_.size()) {
        ended_ = true;
        return std::nullopt;
    }
    const BatchEmulator& emulator = emulators_[position_];
    log_.log("Batch on emulator " + emulator.name());
    return emulator;
}

void BatchRun::refused() {
    fail("Error: Batch Operation stopped on emulator " + emulators_[position_].name() +
         "; the remaining emulators are left as they are");
}

void BatchRun::stepsEnded(const StepsResult& result) {
    if (result.outcome == BatchOutcome::Done) return;
    const std::string where = std::string(operationName(*result.stoppedAt)) + " on emulator " + emulators_[position_].name();
    if (result.outcome == BatchOutcome::Cancelled) return fail("Error: Batch Operation cancelled at " + where);
    fail("Error: Batch Operation stopped: " + where + " did not succeed; the remaining steps are not run");
}

void BatchRun::fail(std::string line) {
    log_.log(std::move(line));
    failed_ = true;
    ended_ = true;
}

void BatchRun::finish() {
    if (finished_) return;
    finished_ = true;
    if (!ended_) fail("Error: Batch Operation interrupted on emulator " + emulators_[position_].name());
    if (!failed_) log_.log("Batch Operation Complete");
}

}  // namespace zel::gui::batch
