#include "TerminalPanel.h"

#include "TerminalLogModel.h"
#include "terminal/DownSend.h"
#include "terminal/LogFile.h"
#include "zelapi.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace zel::gui {

namespace {

using namespace std::chrono_literals;
constexpr uint8_t kHoldPinInput = 3, kHoldPinFloating = 2;
constexpr auto kPauseWait = 2000ms;

constexpr int kQueueRoomNeeded = 131071 - 512;  // the API queue's capacity less one uFIFO block

// No room for a whole block: the bytes wait in the uFIFO (and the target waits) until the GUI
// thread has drained the queue, rather than the queue dropping them.
std::optional<size_t> uploadOnce() {
    if (CliGetSPIHTQueueCounter() > kQueueRoomNeeded) return 0;
    int result = 0;
    CliUploadFIFO(&result);
    if (result != 1) return std::nullopt;
    return static_cast<size_t>(CliGetSPIHTQueueCounter());
}

}  // namespace

TerminalPanel::TerminalPanel(QWidget* parent)
    : QWidget(parent), model_(new TerminalLogModel(decoder_.log(), this)), timer_(new QTimer(this)) {
    buildLayout();
    timer_->setInterval(50);
    connect(timer_, &QTimer::timeout, this, &TerminalPanel::drainNow);
    connect(start_, &QPushButton::clicked, this, &TerminalPanel::start);
    connect(stop_, &QPushButton::clicked, this, &TerminalPanel::stop);
    connect(clear_, &QPushButton::clicked, this, &TerminalPanel::clear);
    connect(send_, &QPushButton::clicked, this, &TerminalPanel::send);
    connect(save_, &QPushButton::clicked, this, &TerminalPanel::saveRequested);
    connect(viewer_, &QPushButton::clicked, this, &TerminalPanel::viewerRequested);
    showRunning(false);
}

TerminalPanel::~TerminalPanel() {
    if (loop_) loop_->stop();
}

void TerminalPanel::buildLayout() {
    log_ = new QListView(this);
    log_->setObjectName("terminalLog");
    log_->setModel(model_);
    log_->setUniformItemSizes(true);  // a million rows lay out without measuring each
    checkPoints_ = new QListWidget(this);
    checkPoints_->setObjectName("terminalCheckPoints");
    start_ = new QPushButton(tr("Start"), this);
    stop_ = new QPushButton(tr("Stop"), this);
    clear_ = new QPushButton(tr("Clear Buffer"), this);
    save_ = new QPushButton(tr("Save Log"), this);
    viewer_ = new QPushButton(tr("SPI HT Viewer"), this);
    start_->setObjectName("terminalStartButton");
    stop_->setObjectName("terminalStopButton");
    viewer_->setObjectName("terminalViewerButton");
    sendEdit_ = new QLineEdit(this);
    sendHex_ = new QCheckBox(tr("Hex"), this);
    send_ = new QPushButton(tr("Send"), this);

    auto* buttons = new QHBoxLayout;
    for (auto* button : {start_, stop_, clear_, save_, viewer_}) buttons->addWidget(button);
    buttons->addStretch();
    auto* sending = new QHBoxLayout;
    sending->addWidget(sendEdit_, 1);
    sending->addWidget(sendHex_);
    sending->addWidget(send_);
    auto* lists = new QGridLayout;
    lists->addWidget(log_, 0, 0);
    lists->addWidget(new QLabel(tr("Check Point"), this), 1, 1);
    lists->addWidget(checkPoints_, 0, 1);
    lists->setColumnStretch(0, 3);
    lists->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addLayout(lists, 1);
    layout->addLayout(sending);
}

void TerminalPanel::setOptions(TerminalOptions options) {
    options_ = std::move(options);
    decoder_.setTables(options_.tables);
    model_->setColours(options_.colours);
}

void TerminalPanel::allowStart(bool allowed) {
    startAllowed_ = allowed;
    start_->setEnabled(startAllowed_ && !running_);
}

void TerminalPanel::showRunning(bool running) {
    running_ = running;
    start_->setEnabled(startAllowed_ && !running);
    save_->setEnabled(!running);
    viewer_->setEnabled(!running);
    stop_->setEnabled(running);
    send_->setEnabled(running);
    emit busyChanged(running);
}

void TerminalPanel::start() {
    if (running_) return;
    if (startCheck_ && !startCheck_()) return;
    clear();
    const int index = CliGetUSBDevIndex();
    if (options_.dedicatedOpcode)
        CliSetSPIHTCommand(*options_.dedicatedOpcode);
    else
        CliEnableSPIHT02Command(options_.pageProgram ? 1 : 0);
    startedEmulation_ = false;
    if (CliIsMemoryEmulationRunning(index) == 0) {
        CliSetHoldPin(kHoldPinInput, index);
        CliSystemBootFromSPIFlash(0);
        CliStartEmulation(index);
        startedEmulation_ = true;
        emit logMessage(tr("System boots from on board chip..."));
    }
    loop_ = std::make_unique<terminal::UploadLoop>(uploadOnce);
    loop_->start();
    timer_->start();
    showRunning(true);
    emit logMessage(tr("Starting SPI Hyper Terminal..."));
}

void TerminalPanel::stop() {
    if (!running_) return;
    loop_->stop();
    drainNow();
    if (startedEmulation_) {
        const int index = CliGetUSBDevIndex();
        CliStopEmulation(index);
        CliSetHoldPin(kHoldPinFloating, index);
        startedEmulation_ = false;
        emit logMessage(tr("Zelmor Hold-Pin Setting: Floating by default"));
    }
    finishStop("Stop SPI Hyper Terminal...");
}

void TerminalPanel::stopForHandOver() {
    if (!running_) return;
    loop_->stop();
    drainNow();
    startedEmulation_ = false;
    finishStop("Stop SPI Hyper Terminal...");
}

void TerminalPanel::finishStop(const char* message) {
    timer_->stop();
    showRunning(false);
    emit logMessage(tr(message));
}

void TerminalPanel::drainNow() {
    std::vector<uint8_t> buffer(64 * 1024);
    const bool failed = loop_ && loop_->failed();
    for (int taken; (taken = CliReadSPIHTQueueBlock(buffer.data(), static_cast<int>(buffer.size()))) > 0;)
        decoder_.feed(std::span(buffer).first(static_cast<size_t>(taken)));
    model_->sync();
    const auto& points = decoder_.checkPoints();
    for (; checkPointsShown_ < points.size(); ++checkPointsShown_) {
        auto* item = new QListWidgetItem(QString::fromStdString(points[checkPointsShown_].code).trimmed(), checkPoints_);
        item->setData(Qt::UserRole, points[checkPointsShown_].type);
        item->setForeground(QColor::fromRgb(options_.colours.of(terminal::TextKind::CheckPoint)));
    }
    if (running_ && failed) {
        startedEmulation_ = false;
        finishStop("USB Error: Stop SPI Hyper Terminal...");
    }
}

void TerminalPanel::send() { sendText(sendEdit_->text(), sendHex_->isChecked()); }

void TerminalPanel::sendText(const QString& text, bool hex) {
    if (!running_ || !loop_) return;
    std::vector<uint8_t> bytes;
    if (hex) {
        std::string problem;
        auto parsed = terminal::parseHexBytes(text.toStdString(), problem);
        if (!parsed) {
            emit logMessage(tr("Send: %1").arg(QString::fromStdString(problem)));
            return;
        }
        bytes = std::move(*parsed);
    } else {
        for (QChar c : text) bytes.push_back(static_cast<uint8_t>(c.unicode() & 0xFF));
    }
    const auto result = terminal::sendInPieces(bytes, [this](std::span<const uint8_t> piece) -> size_t {
        terminal::LoopPause pause(*loop_, kPauseWait);
        if (!pause) return 0;
        std::vector<uint8_t> copy(piece.begin(), piece.end());
        return CliWriteToSPIHTdFIFO(copy.data(), static_cast<uint8_t>(copy.size()));
    });
    if (!result.complete() || result.requested > terminal::kMaxPiece)
        emit logMessage(tr("Send: %1").arg(QString::fromStdString(terminal::describe(result))));
}

void TerminalPanel::clear() {
    decoder_.clear();
    model_->sync();
    checkPoints_->clear();
    checkPointsShown_ = 0;
}

QString TerminalPanel::saveLogTo(const QString& path) {
    const auto problem = terminal::appendLogToFile(decoder_.log(), path.toStdString());
    if (!problem.empty()) emit logMessage(QString::fromStdString(problem));
    return QString::fromStdString(problem);
}

}  // namespace zel::gui
