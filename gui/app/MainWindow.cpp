#include "MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <chrono>

#include "BatchFeature.h"
#include "DeviceChoice.h"
#include "EditorFeature.h"
#include "DeviceSettingsFeature.h"
#include "EnableRules.h"
#include "LogFile.h"
#include "MainView.h"
#include "TerminalFeature.h"
#include "TerminalPanel.h"
#include "OperationLogModel.h"
#include "Prompter.h"
#include "SettingsBinding.h"
#include "SettingsSheet.h"
#include "TraceFeature.h"
#include "TracePanel.h"
#include "FirmwareFeature.h"
#include "HelpFeature.h"
#include "dialogs/core/BufferLimits.h"
#include "dialogs/core/ChipCatalogue.h"
#include "fileio/ProgramFolder.h"
#include "notice/DesktopNoticeListener.h"
#include "presence/PresenceWatcher.h"

namespace zel::gui {
namespace {

constexpr int kSlowPollMs = 500;
constexpr int kFastPollMs = 100;
constexpr int kUiRefreshMs = 25;
// The command-line tool waits 5 s for the acknowledgement; answer before it gives up.
constexpr std::chrono::milliseconds kNoticeAnswerBound{4500};

std::int64_t monotonicMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return clock.elapsed();
}

}  // namespace

MainWindow::MainWindow(MainWindowSetup setup, QWidget* parent)
    : QMainWindow(parent),
      api_(setup.api),
      holder_(setup.holder),
      settings_(setup.settings),
      prompter_(setup.prompter),
      configFolder_(setup.configFolder),
      control_(api_, holder_, log_),
      polling_(control_, holder_, log_, *this),
      logModel_(new OperationLogModel(this)),
      view_(new MainView(*logModel_, this)),
      slowTimer_(new QTimer(this)),
      fastTimer_(new QTimer(this)),
      uiTimer_(new QTimer(this)),
      subscription_([this](const session::ProgressEvent& event) { return progress_.report(event); }),
      worker_([this](std::function<void()> function) { post(std::move(function)); }) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Zelmor"));
    setCentralWidget(view_);
    buildActions();
    buildMenus();
    buildToolbar();
    buildTrace();
    statusBar()->showMessage(QStringLiteral("Ready"));
    connect(view_->cancelButton(), &QPushButton::clicked, this, &MainWindow::cancelOperation);

    connect(slowTimer_, &QTimer::timeout, this, [this] { onPollTimer(false); });
    connect(fastTimer_, &QTimer::timeout, this, [this] { onPollTimer(true); });
    connect(uiTimer_, &QTimer::timeout, this, &MainWindow::onUiTimer);
    fastTimer_->setSingleShot(true);
    uiTimer_->setTimerType(Qt::PreciseTimer);  // its gaps are how responsive the window is

    if (setup.noticeSocket) {
        try {
            listener_ = std::make_unique<notice::DesktopNoticeListener>(
                notice::DesktopNoticeHandlers{[this] { handOffNotice(&MainWindow::commandLineTakes); },
                                              [this] { handOffNotice(&MainWindow::commandLineReleases); }},
                *setup.noticeSocket);
        } catch (const std::exception& error) {
            log_.log(std::string("Warning: the command-line tool's notices are not heard: ") + error.what());
        }
    }
    if (setup.watchPresence) {
        try {
            watcher_ = std::make_unique<session::presence::PresenceWatcher>([this] {
                QMetaObject::invokeMethod(this, &MainWindow::devicesChanged, Qt::QueuedConnection);
            });
        } catch (const std::exception& error) {
            log_.log(std::string("Warning: plugging and unplugging are not noticed: ") + error.what());
        }
    }
    setUpTerminal();
    setUpBufferEditor();
    setUpHelp();
    setUpPins();
    setUpBatch();
    resize(1000, 780);  // room for the operation log beside the trace and terminal panels
}

// The hyper terminal: its panel counts as busy while it runs (the polling leaves the device
// alone) and stops before the devices are let go; its settings page; Help's register tester,
// which keeps off the emulator while anything else uses it.
void MainWindow::setUpTerminal() {
    auto* feature = new TerminalFeature(
        {control_, log_, settings_, prompter_,
         [this] {
             if (traceCapturing()) return QStringLiteral("An SPI trace capture is running: stop it before using the tester.");
             if (worker_.busy() || polling_.shareState() != ShareState::Normal)
                 return QStringLiteral("The emulator is busy: try the tester again when it is ready.");
             return QString();
         }},
        this);
    terminal_ = feature->panel();
    view_->addPanel(QStringLiteral("SPI Hyper Terminal"), terminal_);
    polling_.addTransferStopper([this] { terminal_->stopForHandOver(); });
    addSettingsPage([feature](SettingsSheet& sheet) {
        sheet.addPage(SettingsPageSlot::Terminal, QStringLiteral("SPI Hyper Terminal"), feature->createSettingsPage(sheet));
    });
    for (QAction* menu : menuBar()->actions())
        if (menu->menu() && menu->text() == QStringLiteral("&Help")) menu->menu()->addAction(feature->testerAction());
}

bool MainWindow::terminalBusy() const { return terminal_ && terminal_->running(); }

MainWindow::~MainWindow() {
    shareWatcher_.reset();
    listener_.reset();
    watcher_.reset();
    editor_.reset();
    trace_.reset();  // its capture ends through the handshake while the API is open
    progress_.requestCancel();
    worker_.join();
}

void MainWindow::post(std::function<void()> function) {
    QMetaObject::invokeMethod(this, std::move(function), Qt::QueuedConnection);
}

QAction* MainWindow::makeAction(const QString& text, const char* name, const QKeySequence& keys, void (MainWindow::*slot)()) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    if (!keys.isEmpty()) action->setShortcut(keys);
    if (slot) connect(action, &QAction::triggered, this, slot);
    return action;
}

void MainWindow::buildActions() {
    Actions& a = actions_;
    a.selectChip = makeAction(QStringLiteral("Select Chip"), "selectChipAction", QKeySequence(Qt::CTRL | Qt::Key_S), nullptr);
    connect(a.selectChip, &QAction::triggered, this, [this] { selectChip(0); });
    a.selectChip2 = makeAction(QStringLiteral("Select Chip for Flash 2"), "selectChip2Action", {}, nullptr);
    connect(a.selectChip2, &QAction::triggered, this, [this] { selectChip(1); });
    a.loadFile = makeAction(QStringLiteral("Load File"), "loadFileAction", QKeySequence(Qt::CTRL | Qt::Key_F), nullptr);
    connect(a.loadFile, &QAction::triggered, this, [this] { loadFile(0); });
    a.loadFile2 = makeAction(QStringLiteral("Load File for Flash 2"), "loadFile2Action", {}, nullptr);
    connect(a.loadFile2, &QAction::triggered, this, [this] { loadFile(1); });
    a.download = makeAction(QStringLiteral("Download"), "downloadAction", QKeySequence(Qt::CTRL | Qt::Key_D), &MainWindow::download);
    a.verify = makeAction(QStringLiteral("Verify"), "verifyAction", QKeySequence(Qt::CTRL | Qt::Key_V), &MainWindow::verify);
    a.run = makeAction(QStringLiteral("Run"), "runAction", QKeySequence(Qt::CTRL | Qt::Key_R), &MainWindow::run);
    a.stop = makeAction(QStringLiteral("Stop"), "stopAction", QKeySequence(Qt::CTRL | Qt::Key_T), &MainWindow::stop);
    a.readBack = makeAction(QStringLiteral("Read Back"), "readAction", QKeySequence(Qt::CTRL | Qt::Key_U), &MainWindow::readBack);
    a.configure = makeAction(QStringLiteral("Configure Setting"), "configureAction", QKeySequence(Qt::CTRL | Qt::Key_C),
                             &MainWindow::configure);
    a.saveLog = makeAction(QStringLiteral("Save Operation Log"), "saveLogAction", {}, &MainWindow::saveLog);
    a.saveBuffer = makeAction(QStringLiteral("Save Buffer to file"), "saveBufferAction", {}, &MainWindow::saveBuffer);
    a.exit = makeAction(QStringLiteral("E&xit"), "exitAction", {}, nullptr);
    connect(a.exit, &QAction::triggered, this, &QWidget::close);
    a.toolbar = makeAction(QStringLiteral("&Toolbar"), "toolbarAction", {}, nullptr);
    a.statusBar = makeAction(QStringLiteral("&Status Bar"), "statusBarAction", {}, nullptr);
    a.about = makeAction(QStringLiteral("&About Varnik..."), "aboutAction", {}, nullptr);  // shown by the Help feature
    for (QAction* toggle : {a.toolbar, a.statusBar}) {
        toggle->setCheckable(true);
        toggle->setChecked(true);
    }
    connect(a.statusBar, &QAction::toggled, statusBar(), &QWidget::setVisible);
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(actions_.saveLog);
    file->addAction(actions_.saveBuffer);
    file->addSeparator();
    file->addAction(actions_.exit);
    QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    viewMenu->addAction(actions_.toolbar);
    viewMenu->addAction(actions_.statusBar);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(actions_.about);
}

void MainWindow::buildToolbar() {
    QToolBar* bar = addToolBar(QStringLiteral("Operations"));
    bar->setObjectName(QStringLiteral("operationsToolbar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QAction* action : {actions_.selectChip, actions_.loadFile, actions_.download, actions_.verify, actions_.run,
                            actions_.stop, actions_.readBack, actions_.configure})
        bar->addAction(action);
    bar->addSeparator();
    bar->addAction(actions_.selectChip2);
    bar->addAction(actions_.loadFile2);
    connect(actions_.toolbar, &QAction::toggled, bar, &QWidget::setVisible);

    deviceSelector_ = view_->deviceSelector();
    connect(deviceSelector_, &QComboBox::activated, this, &MainWindow::chooseDevice);
}

void MainWindow::buildTrace() {
    trace_ = std::make_unique<trace::TraceFeature>(
        trace::TraceHost{control_, log_, settings_, prompter_, [this] { return deviceUsable(); },
                         [this] {
                             flushLog();
                             updateControls();
                         },
                         fileio::programFolder()},
        this);
    view_->addPanel(trace_->panel());
    polling_.addTransferStopper([this] { trace_->stopForHandOver(); });
    polling_.setTransfersRunning([this] { return trace_->capturing(); });
    addSettingsPage([this](SettingsSheet& sheet) {
        sheet.addPage(SettingsPageSlot::Trace, QStringLiteral("SPI Trace Setting"), trace_->createSettingsPage(sheet));
    });
}

bool MainWindow::traceCapturing() const { return trace_ && trace_->capturing(); }

void MainWindow::updateTraceControls(const FrameState& state) {
    if (!trace_) return;
    trace_->updateEnables(state.devicePresent && !state.otherProgramHolds && !state.operationBusy && !terminalBusy());
    if (!trace_->capturing()) return;
    // The capture thread owns the emulator's transfers until it stops.
    for (QAction* action : {actions_.download, actions_.verify, actions_.readBack, actions_.run, actions_.selectChip,
                            actions_.selectChip2, actions_.loadFile, actions_.loadFile2, actions_.saveBuffer})
        action->setEnabled(false);
}

void MainWindow::start() {
    StoredChoices stored = readStoredChoices(settings_, control_.state());
    selectedSerial_ = stored.selectedSerial;
    api_.bootFromEmulator(0);
    devicesEnumerated(holder_.foundCount());
    restoreStoredChoices();
    startShareWatcher();
    slowTimer_->start(kSlowPollMs);
    fastTimer_->start(kFastPollMs);
    uiTimer_->start(kUiRefreshMs);
    flushLog();
}

// Share requests are waited for off this thread; they arrive here queued.
void MainWindow::startShareWatcher() {
    polling_.setShareAnswered([this] { shareWatcher_->answered(); });
    shareWatcher_ = std::make_unique<ShareEventWatcher>(holder_, [this](int event) {
        post([this, event] {
            polling_.shareEventArrived(event, worker_.busy());
            flushLog();
        });
    });
}

void MainWindow::restoreStoredChoices() {
    StoredChoices stored = readStoredChoices(settings_, control_.state());
    if (!control_.identity().present) return;
    for (int target = 0; target < 2; ++target) {
        if (stored.chipType[target].empty()) continue;
        // The document names the chip as its file does; the file name may differ.
        if (const auto chip = lookupChip(configFolder_, bufferLimit(control_.identity().generation2), stored.chipType[target]))
            control_.chooseChip(target, chip->file);
        else
            log_.log(chipNotFoundLine(stored.chipType[target]));
    }
    view_->showChoices(control_.state());
    restoreStoredImages(stored);
    updateControls();
}

// Each target's last file, loaded again on the worker, target 1 first.
void MainWindow::restoreStoredImages(const StoredChoices& stored) {
    std::vector<std::pair<int, ImageChoice>> loads;
    for (int target = 0; target < 2; ++target) {
        std::error_code error;
        const auto& image = stored.image[target];
        if (!image.empty() && control_.state().targets[size_t(target)].chip && std::filesystem::is_regular_file(image, error))
            loads.emplace_back(target, ImageChoice{image, control_.state().download.truncate, std::nullopt,
                                                   control_.state().download.fillByte});
    }
    if (loads.empty()) return;
    startOperation([this, loads] {
        for (const auto& [target, choice] : loads) control_.loadImage(target, choice, progress_);
    });
}

void MainWindow::devicesEnumerated(int opened) {
    const int found = holder_.foundCount();
    std::vector<std::uint32_t> serials;
    for (int index = 0; index < found; ++index) serials.push_back(api_.serialNumber(index));
    const int index = found > 0 ? chooseDeviceIndex(serials, selectedSerial_) : 0;
    deviceSelector_->clear();
    for (int i = 0; i < found; ++i)
        deviceSelector_->addItem(QStringLiteral("%1: %2").arg(i + 1).arg(QString::fromStdString(serialText(serials[size_t(i)]))));
    deviceSelector_->setCurrentIndex(found > 0 ? index : -1);
    deviceSelector_->setEnabled(found > 1);
    control_.setDevice(index, found > 0 ? serials[size_t(index)] : session::kSerialNotAvailable);
    if (opened > 0 && api_.isOpened(index)) {
        control_.refreshStatus();
        polling_.setEmulating(control_.identity().present && control_.isEmulating());
    } else {
        control_.markAbsent();
        polling_.setEmulating(false);
    }
    deviceStateChanged();
}

void MainWindow::chooseDevice(int index) {
    if (worker_.busy() || index < 0 || index == control_.device()) return;
    const std::uint32_t serial = api_.serialNumber(index);
    control_.setDevice(index, serial);
    if (serial != session::kSerialNotAvailable) {
        selectedSerial_ = serial;
        writeSettings(selectedSerialChange(serial));
    }
    control_.refreshStatus();
    polling_.setEmulating(control_.identity().present && control_.isEmulating());
    deviceStateChanged();
}

void MainWindow::deviceStateChanged() {
    view_->showIdentity(control_.identity());
    view_->showChoices(control_.state());
    updateControls();
}

void MainWindow::showLastCommand(const LastCommandView& view) { view_->showLastCommand(view); }

void MainWindow::updateControls() {
    FrameState state;
    state.devicePresent = control_.identity().present;
    state.otherProgramHolds = polling_.shareState() != ShareState::Normal;
    state.operationBusy = worker_.busy();
    state.emulating = polling_.emulating();
    state.vccCompatible = control_.vccCompatible();
    state.chipSelected = control_.state().targets[0].chip.has_value();
    state.logHasRows = logModel_->rowCount() > 0;
    state.traceOrTerminalRunning = traceCapturing() || terminalBusy();
    const CommandEnables enables = commandEnables(state);
    actions_.selectChip->setEnabled(enables.selectChip);
    actions_.selectChip2->setEnabled(enables.selectChip);
    actions_.loadFile->setEnabled(enables.loadFile);
    actions_.loadFile2->setEnabled(enables.loadFile && control_.state().targets[1].chip.has_value());
    actions_.download->setEnabled(enables.download);
    actions_.verify->setEnabled(enables.verify);
    actions_.run->setEnabled(enables.run);
    actions_.stop->setEnabled(enables.stop);
    actions_.readBack->setEnabled(enables.readBack);
    actions_.configure->setEnabled(enables.configure);
    if (editor_) editor_->action()->setEnabled(enables.bufferEditor && !traceCapturing());
    actions_.saveLog->setEnabled(enables.saveLog);
    actions_.saveBuffer->setEnabled(enables.download && !control_.state().targets[0].image.empty());
    deviceSelector_->setEnabled(!state.operationBusy && deviceSelector_->count() > 1);
    view_->showProgress(enables.cancel, progress_.percent());
    updateTraceControls(state);
    if (firmware_) firmware_->updateEnables(state.devicePresent && !state.otherProgramHolds && !state.operationBusy &&
                                            !state.traceOrTerminalRunning);
    if (batch_) batch_->updateEnables(enables.batch);
    if (terminal_)
        terminal_->allowStart(state.devicePresent && !state.otherProgramHolds && !state.operationBusy && !traceCapturing());
}

void MainWindow::onPollTimer(bool fast) {
    if (fast) fastTimer_->stop();
    const bool again = polling_.tick(worker_.busy() || terminalBusy());
    shareWatcher_->setServing(!worker_.busy());
    if (again) fastTimer_->start(kFastPollMs);
}

void MainWindow::onUiTimer() {
    tickGaps_.tick(monotonicMs());
    flushLog();
    if (worker_.busy()) view_->showProgress(true, progress_.percent());
}

void MainWindow::flushLog() {
    std::vector<LogRow> rows = log_.takeAll();
    if (rows.empty()) return;
    const bool first = logModel_->rowCount() == 0;
    logModel_->append(std::move(rows));
    view_->scrollLogToEnd();
    if (first) updateControls();
}

bool MainWindow::deviceUsable() {
    if (polling_.shareState() != ShareState::Normal || worker_.busy() || traceCapturing() || terminalBusy()) return false;
    if (!control_.identity().present || !control_.isOpened()) {
        log_.log("Error: Emulator can not be detected\n");
        flushLog();
        return false;
    }
    return true;
}

bool MainWindow::startOperation(std::function<void()> job, std::function<void()> done) {
    progress_.begin();
    if (shareWatcher_) shareWatcher_->setServing(false);
    if (!worker_.start(std::move(job), [this, done = std::move(done)] {
            if (done) done();
            operationFinished();
        }))
        return false;
    updateControls();
    return true;
}

void MainWindow::operationFinished() {
    flushLog();
    if (pendingTake_) {
        polling_.devicesTaken(OtherHolder::CommandLine);
        flushLog();
        std::exchange(pendingTake_, nullptr)->set_value();
    } else if (pendingPresence_) {
        pendingPresence_ = false;
        devicesChanged();
    }
    view_->showChoices(control_.state());
    updateControls();
    if (!fastTimer_->isActive()) fastTimer_->start(kFastPollMs);
}

void MainWindow::writeSettings(const settings::SettingsUpdate& changes) {
    if (const std::error_code error = settings_.write(changes))
        log_.log("Warning: the settings could not be saved to " + settings_.path().string() + ": " + error.message());
}

void MainWindow::selectChip(int target) {
    if (!deviceUsable()) return;
    const auto cfg = prompter_.chooseChip(this, configFolder_, control_.state(), control_.identity().generation2, target);
    if (!cfg) return;
    if (control_.chooseChip(target, *cfg)) writeSettings(chipChanges(control_.state(), target));
    view_->showChoices(control_.state());
    flushLog();
    updateControls();
}

void MainWindow::loadFile(int target) {
    if (!deviceUsable()) return;
    const auto choice = prompter_.chooseImage(this, control_.state(), target);
    if (!choice) return;
    control_.state().download.truncate = choice->truncate;
    control_.state().download.fillByte = choice->fillValue;
    startOperation([this, target, choice = *choice] { control_.loadImage(target, choice, progress_); },
                   [this, target] {
                       if (!control_.state().targets[size_t(target)].image.empty())
                           writeSettings(imageChanges(control_.state(), target));
                   });
}

void MainWindow::download() {
    if (!deviceUsable()) return;
    if (!control_.state().targets[0].chip) return prompter_.warn(this, QStringLiteral("The Chip is not setted."));
    if (control_.state().targets[0].image.empty()) {
        log_.log("Error: The File is not setted.");
        return flushLog();
    }
    startOperation([this] { control_.download(); });
}

void MainWindow::verify() {
    if (!deviceUsable()) return;
    if (!control_.state().targets[0].chip) return prompter_.warn(this, QStringLiteral("The Chip is not setted."));
    if (control_.state().targets[0].image.empty()) {
        log_.log("Error: The File is not setted.");
        return flushLog();
    }
    startOperation([this] { control_.verify(); });
}

void MainWindow::readBack() {
    if (!deviceUsable()) return;
    if (!control_.state().targets[0].chip) return prompter_.warn(this, QStringLiteral("The Chip is not setted."));
    startOperation([this] { control_.read(); });
}

void MainWindow::run() {
    if (polling_.shareState() != ShareState::Normal || worker_.busy() || traceCapturing() || terminalBusy()) return;
    if (!control_.state().targets[0].chip) return prompter_.warn(this, QStringLiteral("The Chip is not setted."));
    const RunResult result = control_.run();
    polling_.setEmulating(result == RunResult::Started || result == RunResult::AlreadyRunning);
    flushLog();
    deviceStateChanged();
}

void MainWindow::stop() {
    if (polling_.shareState() != ShareState::Normal || worker_.busy()) return;
    if (polling_.emulating()) polling_.stopTransfers();
    control_.stop();
    polling_.setEmulating(false);
    flushLog();
    deviceStateChanged();
}

void MainWindow::configure() {
    SettingsSheet sheet(this);
    for (const auto& addPage : settingsPages_) addPage(sheet);
    if (sheet.exec() != QDialog::Accepted) return;
    log_.log(control_.state().pins.fourByteMode ? "Emulator is in 4-byte mode! " : "Emulator is in 3-byte mode! ");
    flushLog();
}

void MainWindow::saveLog() {
    const auto file = prompter_.chooseSaveFile(this, QStringLiteral("Text File (*.txt)"));
    if (!file) return;
    log_.log("Save Emulator Operation Log into File. Please wait....");
    flushLog();
    const std::string error = saveLogRows(logModel_->rows(), *file);
    log_.log(error.empty() ? "Save Emulator Operation Log Complete!" : "Error: " + error);
    flushLog();
}

void MainWindow::saveBuffer() {
    if (!deviceUsable()) return;
    const auto file = prompter_.chooseSaveFile(
        this, QStringLiteral("Binary File (*.bin);;Intel Hex Files (*.hex);;All Files (*)"));
    if (!file) return;
    startOperation([this, file = *file] { control_.saveBuffer(file); });
}

void MainWindow::cancelOperation() {
    if (worker_.busy()) progress_.requestCancel();
}

void MainWindow::devicesChanged() {
    if (polling_.shareState() != ShareState::Normal) return;
    if (worker_.busy()) {
        pendingPresence_ = true;
        return;
    }
    devicesEnumerated(holder_.renumerate());
    flushLog();
}

void MainWindow::handOffNotice(NoticeStep step) {
    auto acknowledged = std::make_shared<std::promise<void>>();
    std::future<void> answered = acknowledged->get_future();
    post([this, step, acknowledged] { (this->*step)(acknowledged); });
    answered.wait_for(kNoticeAnswerBound);
}

void MainWindow::commandLineTakes(std::shared_ptr<std::promise<void>> acknowledged) {
    if (worker_.busy()) {
        // Cancelled at the next block; the devices are closed once the worker has ended.
        log_.log("Warning: the command-line tool takes the emulator; the running operation is cancelled");
        progress_.requestCancel();
        pendingTake_ = std::move(acknowledged);
        return;
    }
    polling_.devicesTaken(OtherHolder::CommandLine);
    flushLog();
    acknowledged->set_value();
}

void MainWindow::commandLineReleases(std::shared_ptr<std::promise<void>> acknowledged) {
    polling_.devicesReleased();
    polling_.takeBack();
    flushLog();
    acknowledged->set_value();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (worker_.busy()) {
        progress_.requestCancel();
        worker_.join();
    }
    event->accept();
}

// The buffer editor: its button stands after Read Back, as the toolbar's order has it.
void MainWindow::setUpBufferEditor() {
    editor_ = std::make_unique<editor::EditorFeature>(editor::EditorHost{control_, log_, prompter_, [this] {
                                                          flushLog();
                                                          view_->showChoices(control_.state());
                                                          updateControls();
                                                      }},
                                                      this);
    addAction(editor_->action());
    if (auto* bar = findChild<QToolBar*>(QStringLiteral("operationsToolbar"))) bar->insertAction(actions_.configure, editor_->action());
    updateControls();
}

// The Help menu: firmware update, voltage firmware, serial number, calculator, manual, about. The
// update runs on the operation worker, so the frame's controls and polling stay off meanwhile.
void MainWindow::setUpHelp() {
    firmware_ = new help::FirmwareFeature(
        help::FirmwareHost{control_, api_, log_, prompter_, [this] { return deviceUsable(); },
                           [this] { return polling_.emulating(); },
                           [this](std::function<void()> job, std::function<void()> done) {
                               return startOperation(std::move(job), std::move(done));
                           },
                           [this] {
                               flushLog();
                               updateControls();
                           },
                           [this] { devicesEnumerated(holder_.foundCount()); }, fileio::programFolder() / "firmware"},
        this);
    auto* help = new help::HelpFeature(help::HelpHost{prompter_, fileio::programFolder(), configFolder_}, this);
    for (QAction* menu : menuBar()->actions())
        if (menu->menu() && menu->menu()->actions().contains(actions_.about))
            help->fillMenu(*menu->menu(), *firmware_, actions_.about);
    updateControls();
}

// The pin, RPMC and address-mode pages; a confirmed sheet applies them and the view shows the pins.
void MainWindow::setUpPins() {
    auto* pins = new pins::DeviceSettingsFeature({control_, log_, settings_, prompter_, [this] {
                                                      deviceStateChanged();
                                                      flushLog();
                                                  }},
                                                 this);
    addSettingsPage([pins](SettingsSheet& sheet) { pins->addPages(sheet); });
}

// The batch: its command beside Configure in the toolbar (and Ctrl+B with the toolbar hidden), its
// page first in the settings sheet; each emulator's steps run as one operation of the worker.
void MainWindow::setUpBatch() {
    batch_ = std::make_unique<batch::BatchFeature>(
        batch::BatchHost{control_, api_, log_, settings_, prompter_, progress_, [this] { return holder_.foundCount(); },
                         [this] { return deviceUsable(); },
                         [this](std::function<void()> job, std::function<void()> done) {
                             return startOperation(std::move(job), std::move(done));
                         },
                         [this](bool emulating) {
                             polling_.setEmulating(emulating);
                             flushLog();
                             deviceStateChanged();
                         }},
        this);
    if (auto* bar = findChild<QToolBar*>(QStringLiteral("operationsToolbar"))) bar->insertAction(actions_.configure, batch_->action());
    addAction(batch_->action());
    addSettingsPage([this](SettingsSheet& sheet) {
        sheet.addPage(SettingsPageSlot::Batch, QStringLiteral("Batch Operation"), batch_->createSettingsPage(sheet));
    });
    updateControls();
}

}  // namespace zel::gui
