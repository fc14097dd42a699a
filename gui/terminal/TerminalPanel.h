// The hyper-terminal panel of the main view: Start / Stop, the colour-coded log, the check-point
// list, Send (hex or text) to the target, Save Log and Clear Buffer. The decoding, rows and the
// upload thread are the Qt-free terminal core; this widget only drives and shows them.
// Threads: the GUI thread; the upload loop's thread touches the device only between pauses, and
// a 50 ms timer on the GUI thread drains the queue and adds the new rows in one batch.
#pragma once

#include "terminal/MessageText.h"
#include "terminal/TerminalDecoder.h"
#include "terminal/TextColours.h"
#include "terminal/UploadLoop.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;
class QTimer;

namespace zel::gui {

class TerminalLogModel;

struct TerminalOptions {
    std::optional<uint8_t> dedicatedOpcode;  // else Normal/Fast Read
    bool pageProgram = false;
    terminal::Tables tables;
    terminal::TextColours colours;
};

class TerminalPanel final : public QWidget {
    Q_OBJECT
public:
    explicit TerminalPanel(QWidget* parent = nullptr);
    ~TerminalPanel() override;

    void setOptions(TerminalOptions options);
    // Asked first by start(): false refuses (the check has told the user why). It may set the
    // options for this run.
    void setStartCheck(std::function<bool()> check) { startCheck_ = std::move(check); }
    bool running() const { return running_; }
    // Whether Start may be pressed now: the emulator is there and nothing else uses it.
    void allowStart(bool allowed);
    const terminal::TerminalDecoder& decoder() const { return decoder_; }
    const TerminalLogModel& logModel() const { return *model_; }
    QListWidget* checkPointList() const { return checkPoints_; }

    void start();
    void stop();
    // The devices are about to be let go (the command-line tool's notice, a share request):
    // the upload ends at once; emulation is left as it is.
    void stopForHandOver();
    // Sends the edit's text: hex bytes when "Hex" is ticked, else one byte per character.
    void send();
    void sendText(const QString& text, bool hex);
    void clear();
    // Empty when saved, else the reason (also logged).
    QString saveLogTo(const QString& path);
    void drainNow();  // what the timer does, for tests

signals:
    void busyChanged(bool busy);
    void saveRequested();
    void viewerRequested();
    void logMessage(const QString& text);

private:
    void buildLayout();
    void finishStop(const char* message);
    void showRunning(bool running);

    terminal::TerminalDecoder decoder_;
    TerminalOptions options_;
    std::unique_ptr<terminal::UploadLoop> loop_;
    TerminalLogModel* model_;
    QListView* log_;
    QListWidget* checkPoints_;
    QLineEdit* sendEdit_;
    QCheckBox* sendHex_;
    QPushButton *start_, *stop_, *clear_, *save_, *viewer_, *send_;
    std::function<bool()> startCheck_;
    QTimer* timer_;
    size_t checkPointsShown_ = 0;
    bool running_ = false;
    bool startAllowed_ = true;
    bool startedEmulation_ = false;
};

}  // namespace zel::gui
