// The main window's client area: the emulator's identity and readiness, the chosen chips and
// files, the pin settings, the SPI bus panel, the operation log and the progress of the running
// operation. It only presents; MainWindow decides.
#pragma once

#include <QWidget>

#include "DeviceIdentity.h"
#include "EmulatorState.h"
#include "LastCommand.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QListView;
class QProgressBar;
class QPushButton;

namespace zel::gui {

class OperationLogModel;

class MainView final : public QWidget {
    Q_OBJECT
public:
    MainView(OperationLogModel& log, QWidget* parent = nullptr);

    void showIdentity(const DeviceIdentity& identity);
    void showChoices(const EmulatorState& state);
    void showLastCommand(const LastCommandView& view);
    void showProgress(bool running, int percent);
    void scrollLogToEnd();
    // A feature's panel between the status groups and the operation log (the trace buttons).
    void addPanel(QWidget* panel);
    // A titled panel of a later feature below the operation log (the hyper terminal).
    void addPanel(const QString& title, QWidget* panel);
    QPushButton* cancelButton() const { return cancel_; }
    QComboBox* deviceSelector() const { return deviceSelector_; }

private:
    QLabel* addLine(QFormLayout* form, const QString& label, const char* name);

    QComboBox* deviceSelector_;
    QLabel* status_;
    QLabel* welcome_;
    QLabel* type_;
    QLabel* mcu_;
    QLabel* fpga_;
    QLabel* hardware_;
    QLabel* serial_;
    QLabel* chip_[2];
    QLabel* file_[2];
    QLabel* hold_;
    QLabel* reset_;
    QLabel* lastCommand_;
    QLabel* pinStatus_;
    QListView* logView_;
    QProgressBar* progress_;
    QPushButton* cancel_;
};

}  // namespace zel::gui
