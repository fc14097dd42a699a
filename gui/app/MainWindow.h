// The desktop program's frame: menus, toolbar and accelerators, the device selector, the main
// view, the polling timers, the workers that run long operations, the command-line tool's notices
// and device presence. Decisions are the core's (EmulatorControl, PollingMachine, enable rules);
// this class wires them to widgets and threads.
//
// Threads: everything here runs on the user-interface thread except the operation worker (which
// only calls EmulatorControl's operation and logs through the queue), the notice listener and the
// presence watcher (which only hand their news to this thread).
#pragma once

#include <QMainWindow>

#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <optional>

#include "DeviceApi.h"
#include "EnableRules.h"
#include "EmulatorControl.h"
#include "GuiSettings.h"
#include "HolderApi.h"
#include "LogQueue.h"
#include "OperationProgress.h"
#include "TickGapMeter.h"
#include "OperationWorker.h"
#include "PollingMachine.h"
#include "ShareEventWatcher.h"
#include "ProgressSubscription.h"

class QAction;
class QComboBox;
class QTimer;

namespace zel::notice {
class DesktopNoticeListener;
}
namespace zel::session::presence {
class PresenceWatcher;
}

namespace zel::gui {
namespace trace {
class TraceFeature;
}
namespace editor {
class EditorFeature;
}
namespace help {
class FirmwareFeature;
}
namespace batch {
class BatchFeature;
}

class TerminalPanel;

class MainView;
struct StoredChoices;
class OperationLogModel;
class Prompter;
class SettingsSheet;

struct MainWindowSetup {
    session::DeviceApi& api;
    HolderApi& holder;
    GuiSettings& settings;
    Prompter& prompter;
    std::filesystem::path configFolder;
    std::optional<std::filesystem::path> noticeSocket;  // nothing: no notices are heard
    bool watchPresence = true;
};

class MainWindow final : public QMainWindow, private PollView {
    Q_OBJECT
public:
    explicit MainWindow(MainWindowSetup setup, QWidget* parent = nullptr);
    ~MainWindow() override;

    // After show(): enumerate, refresh the status, restore the stored chip and file.
    void start();

    EmulatorControl& control() { return control_; }
    OperationLogModel& logModel() { return *logModel_; }
    PollingMachine& polling() { return polling_; }
    LogSink& logSink() { return log_; }
    bool operationBusy() const { return worker_.busy(); }
    const TickGapMeter& tickGaps() const { return tickGaps_; }
    TickGapMeter& tickGaps() { return tickGaps_; }
    trace::TraceFeature& trace() { return *trace_; }
    editor::EditorFeature& editor() { return *editor_; }
    // Pages the later features add to the "Configure Setting" sheet, built on each opening.
    void addSettingsPage(std::function<void(SettingsSheet&)> addPage) { settingsPages_.push_back(std::move(addPage)); }
    // Flushes the log queue into the model now (tests).
    void flushLog();

    void selectChip(int target);
    void loadFile(int target);
    void download();
    void verify();
    void run();
    void stop();
    void readBack();
    void configure();
    void saveLog();
    void saveBuffer();
    void cancelOperation();
    void devicesChanged();

protected:
    void closeEvent(class QCloseEvent* event) override;

private:
    void showLastCommand(const LastCommandView& view) override;
    void deviceStateChanged() override;
    void devicesEnumerated(int opened) override;

    void setUpTerminal();
    void setUpBufferEditor();
    void setUpHelp();
    void setUpPins();
    void setUpBatch();
    bool terminalBusy() const;
    void buildActions();
    void buildMenus();
    void buildToolbar();
    void buildTrace();
    void updateTraceControls(const FrameState& state);
    bool traceCapturing() const;
    QAction* makeAction(const QString& text, const char* name, const QKeySequence& keys, void (MainWindow::*slot)());
    void updateControls();
    void onPollTimer(bool fast);
    void onUiTimer();
    bool deviceUsable();
    bool startOperation(std::function<void()> job, std::function<void()> done = {});
    void operationFinished();
    void chooseDevice(int index);
    void restoreStoredChoices();
    void startShareWatcher();
    void restoreStoredImages(const StoredChoices& stored);
    void writeSettings(const settings::SettingsUpdate& changes);
    void post(std::function<void()> function);
    using NoticeStep = void (MainWindow::*)(std::shared_ptr<std::promise<void>>);
    void handOffNotice(NoticeStep step);
    void commandLineTakes(std::shared_ptr<std::promise<void>> acknowledged);
    void commandLineReleases(std::shared_ptr<std::promise<void>> acknowledged);

    session::DeviceApi& api_;
    HolderApi& holder_;
    GuiSettings& settings_;
    Prompter& prompter_;
    std::filesystem::path configFolder_;
    LogQueue log_;
    TerminalPanel* terminal_ = nullptr;  // owned by the view
    EmulatorControl control_;
    PollingMachine polling_;
    OperationProgress progress_;
    TickGapMeter tickGaps_;
    std::optional<std::uint32_t> selectedSerial_;
    std::vector<std::function<void(SettingsSheet&)>> settingsPages_;
    std::shared_ptr<std::promise<void>> pendingTake_;  // notice 1 waiting for the worker to end
    bool pendingPresence_ = false;                     // devices changed while busy

    OperationLogModel* logModel_;
    MainView* view_;
    QComboBox* deviceSelector_ = nullptr;
    QTimer* slowTimer_;
    QTimer* fastTimer_;
    QTimer* uiTimer_;
    struct Actions {
        QAction *selectChip, *selectChip2, *loadFile, *loadFile2, *download, *verify, *run, *stop, *readBack,
            *configure, *saveLog, *saveBuffer, *exit, *toolbar, *statusBar, *about;
    } actions_{};

    std::unique_ptr<trace::TraceFeature> trace_;  // after the log and control it uses
    std::unique_ptr<editor::EditorFeature> editor_;
    help::FirmwareFeature* firmware_ = nullptr;    // a child of the window
    std::unique_ptr<batch::BatchFeature> batch_;  // its jobs run on the worker below
    session::ProgressSubscription subscription_;
    OperationWorker worker_;  // after everything its jobs use: joined first
    std::unique_ptr<ShareEventWatcher> shareWatcher_;  // made in start(); stopped before the worker
    std::unique_ptr<session::presence::PresenceWatcher> watcher_;
    std::unique_ptr<notice::DesktopNoticeListener> listener_;  // last: stopped first
};

}  // namespace zel::gui
