// The desktop program's SPI hyper terminal: the main view's panel, its settings page and the
// op-code check when the settings sheet is confirmed, the viewer dialog, and the register tester
// the Help menu opens, wired to the frame through TerminalHost. Start reads the stored settings.
//
// Threads: the user-interface thread; the panel's upload loop keeps to the terminal core.
#pragma once

#include <QObject>

#include <functional>
#include <memory>

#include "EmulatorControl.h"
#include "GuiSettings.h"
#include "LogQueue.h"

class QAction;
class QDialog;
class QWidget;

namespace zel::gui {

class HtTesterDialog;
class Prompter;
class TerminalPanel;
class TerminalViewerDialog;
namespace tester {
class ApiHtDevice;
}

struct TerminalHost {
    EmulatorControl& control;
    LogSink& log;
    GuiSettings& settings;
    Prompter& prompter;
    // Why the tester must leave the emulator alone now, besides the terminal (empty: it may).
    std::function<QString()> testerRefusal;
};

class TerminalFeature final : public QObject {
    Q_OBJECT
public:
    // `window` parents the dialogs and owns the feature (a child QObject).
    TerminalFeature(TerminalHost host, QWidget* window);
    ~TerminalFeature() override;

    TerminalPanel* panel() const { return panel_; }
    TerminalViewerDialog* viewer() const { return viewer_; }
    HtTesterDialog* tester() const { return tester_; }
    // Help's "SPI HyperTermainl tester".
    QAction* testerAction() const { return testerAction_; }
    // The "SPI Hyper Terminal" page for the sheet, whose confirmation checks the op-code against
    // the chip's maker and then stores the choices.
    QWidget* createSettingsPage(class SettingsSheet& sheet);

    void openViewer();
    void openTester();

private:
    bool checkStart();
    void saveLog();
    std::string chipMaker() const;

    TerminalHost host_;
    QWidget* window_;
    TerminalPanel* panel_;
    QAction* testerAction_;
    std::unique_ptr<tester::ApiHtDevice> device_;
    TerminalViewerDialog* viewer_ = nullptr;
    HtTesterDialog* tester_ = nullptr;
};

}  // namespace zel::gui
