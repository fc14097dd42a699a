// The desktop program's SPI trace: the main view's buttons over the capture, the main view's own
// Save Trace, the viewer dialog and the settings page, wired to the frame through TraceHost.
// A capture stops through its handshake before another program (the command-line tool's notice,
// a share request) or Stop takes the emulator: the frame's polling calls stopForHandOver().
//
// Threads: the user-interface thread; the capture and save threads stay inside the core.
#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

#include "EmulatorControl.h"
#include "GuiSettings.h"
#include "LogQueue.h"
#include "TraceCapture.h"
#include "TraceSaveJob.h"
#include "TraceTables.h"

class QDialog;
class QElapsedTimer;
class QTimer;
class QWidget;

namespace zel::gui {
class Prompter;
}  // namespace zel::gui

namespace zel::gui::trace {

class TracePanel;
class TraceViewerDialog;

struct TraceHost {
    EmulatorControl& control;
    LogSink& log;
    GuiSettings& settings;
    Prompter& prompter;
    std::function<bool()> deviceUsable;  // logs why not
    std::function<void()> changed;       // flush the log, refresh the controls
    std::filesystem::path tablesFolder;
};

class TraceFeature final : public QObject {
    Q_OBJECT
public:
    // `window` parents the panel and the dialogs; the frame owns the feature itself.
    TraceFeature(TraceHost host, QWidget* window);
    ~TraceFeature() override;

    TracePanel* panel() const { return panel_; }
    TraceCapture& capture() { return capture_; }
    TraceViewerDialog* viewer() const { return viewer_; }
    // The capture runs: the emulator's transfers belong to it.
    bool capturing() const { return capture_.capturing(); }
    bool busy() const { return capture_.capturing() || capture_.ordering() || job_ != nullptr; }
    // The buttons follow the frame (a usable emulator or not).
    void updateEnables(bool deviceUsable);
    // The capture ends at once through its handshake, without asking.
    void stopForHandOver();
    // The "SPI Trace Setting" page for the settings sheet; the sheet's OK stores its choices.
    QWidget* createSettingsPage(QDialog& sheet);

    void startTrace();
    void stopTrace();
    void saveTrace();
    void clearBuffer();
    void displayTrace();

private:
    void onTimer();
    void saveEnded();
    const zel::trace::DecodeContext* decodeContext(bool translate);

    TraceHost host_;
    QWidget* window_;
    TracePanel* panel_;
    QTimer* timer_;
    std::unique_ptr<QElapsedTimer> behindSince_;
    std::unique_ptr<TraceTables> tables_;
    std::optional<zel::trace::DecodeContext> context_;  // the running capture's, for its text
    TraceCapture capture_;
    std::unique_ptr<TraceSaveJob> job_;
    TraceViewerDialog* viewer_ = nullptr;
    bool lastDeviceUsable_ = false;
};

}  // namespace zel::gui::trace
