#include "BatchFeature.h"

#include <QAction>
#include <QDialog>
#include <QTimer>

#include "BatchPage.h"
#include "DeviceIdentity.h"
#include "Prompter.h"

namespace zel::gui::batch {

BatchFeature::BatchFeature(BatchHost host, QWidget* window)
    : host_(std::move(host)), window_(window), action_(new QAction(QStringLiteral("Batch"), window)) {
    action_->setObjectName(QStringLiteral("batchAction"));
    action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    action_->setToolTip(QStringLiteral("Batch Operation (Ctrl+B)"));
    connect(action_, &QAction::triggered, this, &BatchFeature::runBatch);
}

BatchFeature::~BatchFeature() = default;

void BatchFeature::updateEnables(bool enabled) { action_->setEnabled(enabled && !running()); }

std::vector<BatchEmulator> BatchFeature::attached() const {
    std::vector<BatchEmulator> list;
    for (int index = 0; index < host_.attachedCount(); ++index) list.push_back({index, host_.api.serialNumber(index)});
    return list;
}

QWidget* BatchFeature::createSettingsPage(QDialog& sheet) {
    BatchPageSetup setup{BatchOptions::read(host_.settings), 0, host_.control.identity().generation2, attached(),
                         host_.control.device()};
    setup.options.end = end_;
    if (const auto& chip = host_.control.state().targets[0].chip) setup.chipSize = chip->size;
    auto* page = new BatchPage(std::move(setup), &sheet);
    connect(&sheet, &QDialog::accepted, this, [this, page] {
        const BatchOptions options = page->options();
        end_ = options.end;
        options.applyTo(host_.control.state().download);
        if (const std::error_code error = host_.settings.write(options.changes()))
            host_.log.log("Warning: the batch settings could not be saved: " + error.message());
    });
    return page;
}

// Every emulator is checked before the first step anywhere, so a batch never leaves some
// emulators done and the rest untouched for a reason known at the start.
bool BatchFeature::refuses(const std::vector<BatchEmulator>& emulators, const BatchOptions& options) {
    bool refused = false;
    for (const BatchEmulator& emulator : emulators) {
        host_.control.setDevice(emulator.index, emulator.serial);
        if (auto reason = batchRefusal(host_.control.state(), host_.api.isOpened(emulator.index), options)) {
            host_.log.log(*reason + " (emulator " + emulator.name() + ")");
            refused = true;
        }
    }
    host_.control.setDevice(home_->index, home_->serial);
    return refused;
}

void BatchFeature::runBatch() {
    if (running() || !host_.deviceUsable()) return;
    if (!host_.control.state().targets[0].chip) return host_.prompter.warn(window_, QStringLiteral("The Chip is not setted."));
    BatchOptions options = BatchOptions::read(host_.settings);
    options.end = end_;
    std::vector<std::uint32_t> serials;
    for (const BatchEmulator& emulator : attached()) serials.push_back(emulator.serial);
    if (std::size_t(host_.control.device()) >= serials.size()) return;
    const EmulatorSelection selection = selectEmulators(options.emulators, serials, host_.control.device());
    home_ = BatchEmulator{host_.control.device(), serials.at(std::size_t(host_.control.device()))};
    bool refused = selection.emulators.empty();
    for (const std::uint32_t serial : selection.missing) {
        host_.log.log("Error: Emulator " + serialText(serial) + " chosen for the batch can not be detected");
        refused = true;
    }
    if (refused || refuses(selection.emulators, options)) {
        host_.log.log("Error: Batch Operation is not started");
        return host_.deviceChanged(host_.control.isEmulating());
    }
    run_ = std::make_unique<BatchRun>(options, selection.emulators, host_.log);
    runNext();
}

// Queued after the previous job's end, so the frame has handled that end (a device hand-over
// included) before the next emulator is touched.
void BatchFeature::runNext() {
    const std::optional<BatchEmulator> next = run_->next();
    if (!next) return finishRun();
    working_ = next;
    const bool sameEmulator = host_.api.serialNumber(working_->index) == working_->serial;
    if (!sameEmulator || !host_.deviceUsable()) {
        if (!sameEmulator) host_.log.log("Error: Emulator can not be detected\n");
        run_->refused();
        return finishRun();
    }
    host_.control.setDevice(working_->index, working_->serial);
    host_.control.refreshStatus();  // this emulator's identity and supply check
    if (!host_.control.identity().present || !host_.control.vccCompatible()) {
        run_->refused();
        return finishRun();
    }
    run_->options().applyTo(host_.control.state().download);
    const bool started = host_.startOperation(
        [this] { steps_ = runBatchSteps(host_.control, run_->options(), host_.progress); },
        [this] {
            run_->stepsEnded(steps_);
            QTimer::singleShot(0, this, &BatchFeature::runNext);
        });
    if (!started) {
        run_->refused();
        finishRun();
    }
}

void BatchFeature::finishRun() {
    run_->finish();
    run_.reset();
    // Back to the emulator the window worked on, wherever the enumeration has it now.
    for (const BatchEmulator& emulator : attached()) {
        if (emulator.serial != home_->serial) continue;
        host_.control.setDevice(emulator.index, emulator.serial);
        if (working_ && working_->serial != emulator.serial) host_.control.refreshStatus();
    }
    working_.reset();
    host_.deviceChanged(host_.control.isOpened() && host_.control.isEmulating());
}

}  // namespace zel::gui::batch
