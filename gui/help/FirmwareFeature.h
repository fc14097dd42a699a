// The Help menu's device maintenance: "Firmware &Manual Update", the voltage firmware exchange of
// first-generation emulators ("1.8V  Image Update" / "3.3V  Image Update") and the factory
// "Serial Number" page. An update runs on the frame's operation worker, so every control is off
// meanwhile; the window refuses to close until it has ended (a half-written firmware would not
// boot).
//
// Threads: the user-interface thread; the update itself runs on the worker (core/FirmwareUpdateRun).
#pragma once

#include <QObject>

#include <filesystem>
#include <functional>

#include "DeviceApi.h"
#include "EmulatorControl.h"
#include "LogQueue.h"
#include "VoltageFirmware.h"

class QAction;
class QMenu;

namespace zel::gui {
class Prompter;
}  // namespace zel::gui

namespace zel::gui::help {

struct UpdateTexts;

struct FirmwareHost {
    EmulatorControl& control;
    session::DeviceApi& api;
    LogSink& log;
    Prompter& prompter;
    std::function<bool()> deviceUsable;  // logs why not
    std::function<bool()> emulating;     // as the frame last saw it (no device traffic)
    // Runs the job on the operation worker, then `done` on this thread; false when busy.
    std::function<bool(std::function<void()> job, std::function<void()> done)> startOperation;
    std::function<void()> changed;         // flush the log, refresh the controls
    std::function<void()> identityChanged;  // read the emulators' serial numbers and status again
    std::filesystem::path firmwareFolder;   // the program's voltage firmware folders
};

class FirmwareFeature final : public QObject {
    Q_OBJECT
public:
    // `window` parents the actions and the questions and gets the close guard.
    FirmwareFeature(FirmwareHost host, QWidget* window);

    QAction* manualUpdateAction() const { return manualUpdate_; }
    QAction* serialNumberAction() const { return serialNumber_; }
    // "Voltage Firmware Selection( ZelmorPro only)" with its two items.
    QMenu* voltageMenu() const { return voltageMenu_; }
    bool updating() const { return updating_; }
    // The items follow the frame: `usable` is a present emulator that nothing else is using.
    void updateEnables(bool usable);
    void setFirmwareFolder(std::filesystem::path folder) { host_.firmwareFolder = std::move(folder); }

    void manualUpdate();
    void voltageUpdate(FirmwareVoltage voltage);
    void writeSerialNumber();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* makeAction(const QString& text, const char* name);
    bool updatable();
    void confirmAndUpdate(const std::filesystem::path& source, const UpdateTexts& texts, const QString& question,
                          const char* stopped);
    void logAndRefresh(const std::string& line);

    FirmwareHost host_;
    QWidget* window_;
    QMenu* voltageMenu_;
    QAction* manualUpdate_;
    QAction* voltage18_;
    QAction* voltage33_;
    QAction* serialNumber_;
    bool updating_ = false;
};

}  // namespace zel::gui::help
