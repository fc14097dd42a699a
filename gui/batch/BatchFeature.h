// The desktop program's batch: the toolbar's Batch command (Ctrl+B) that runs the chosen
// operations on the chosen emulators, and the "Batch Operation" page of the settings sheet.
// The run's sequence is the core's (BatchRun); this class switches the control from emulator to
// emulator between the worker's jobs and gives the window back the emulator it worked on.
//
// Threads: the user-interface thread; each emulator's steps run as one job on the frame's worker.
#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "BatchOptions.h"
#include "BatchRun.h"
#include "DeviceApi.h"
#include "EmulatorControl.h"
#include "GuiSettings.h"
#include "LogQueue.h"
#include "OperationProgress.h"

class QAction;
class QDialog;
class QWidget;

namespace zel::gui {
class Prompter;
}

namespace zel::gui::batch {

struct BatchHost {
    EmulatorControl& control;
    session::DeviceApi& api;
    LogSink& log;
    GuiSettings& settings;
    Prompter& prompter;
    OperationProgress& progress;
    std::function<int()> attachedCount;  // emulators found by the last enumeration
    std::function<bool()> deviceUsable;  // nothing else uses the emulator; logs why not
    // Runs `job` on the worker and `done` on this thread after it; false when it did not start.
    std::function<bool(std::function<void()> job, std::function<void()> done)> startOperation;
    // The window shows the emulator the control works on again, emulating or not.
    std::function<void(bool emulating)> deviceChanged;
};

class BatchFeature final : public QObject {
    Q_OBJECT
public:
    // `window` parents the action; the frame owns the feature and puts the action in its toolbar.
    BatchFeature(BatchHost host, QWidget* window);
    ~BatchFeature() override;

    QAction* action() const { return action_; }
    bool running() const { return run_ != nullptr; }
    void updateEnables(bool enabled);
    // The "Batch Operation" page; the sheet's OK stores its choices.
    QWidget* createSettingsPage(QDialog& sheet);
    void runBatch();

private:
    std::vector<BatchEmulator> attached() const;
    bool refuses(const std::vector<BatchEmulator>& emulators, const BatchOptions& options);
    void runNext();
    void finishRun();

    BatchHost host_;
    QWidget* window_;
    QAction* action_;
    std::uint32_t end_ = 0;  // the page's end address, kept for this session only
    std::unique_ptr<BatchRun> run_;
    std::optional<BatchEmulator> home_;  // the emulator the window worked on before the run
    std::optional<BatchEmulator> working_;  // the last emulator the run switched to
    StepsResult steps_;  // written by the worker's job, read after it has been joined
};

}  // namespace zel::gui::batch
