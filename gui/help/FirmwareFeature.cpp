#include "FirmwareFeature.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QWidget>

#include <cstdio>
#include <memory>

#include "FirmwareSourceCheck.h"
#include "FirmwareUpdateRun.h"
#include "Prompter.h"

namespace zel::gui::help {
namespace {

QString text(const std::string& line) { return QString::fromStdString(line); }

// "firmware version 91 on hardware 2.27": what picks the voltage firmware release.
std::string releaseText(const session::ProductInfo& info) {
    char line[64];
    std::snprintf(line, sizeof line, "firmware version %d on hardware %d.%02d", info.fpgaMinor(), info.mcuMajor(), info.mcuMinor());
    return line;
}

}  // namespace

FirmwareFeature::FirmwareFeature(FirmwareHost host, QWidget* window)
    : QObject(window), host_(std::move(host)), window_(window),
      voltageMenu_(new QMenu(QStringLiteral("Voltage Firmware Selection( ZelmorPro only)"), window)) {
    setObjectName(QStringLiteral("firmwareFeature"));
    voltageMenu_->setObjectName(QStringLiteral("voltageFirmwareMenu"));
    manualUpdate_ = makeAction(QStringLiteral("Firmware &Manual Update"), "firmwareUpdateAction");
    voltage18_ = makeAction(QStringLiteral("1.8V  Image Update"), "voltage18Action");
    voltage33_ = makeAction(QStringLiteral("3.3V  Image Update"), "voltage33Action");
    serialNumber_ = makeAction(QStringLiteral("Serial Number"), "serialNumberAction");
    voltageMenu_->addAction(voltage18_);
    voltageMenu_->addAction(voltage33_);
    connect(manualUpdate_, &QAction::triggered, this, &FirmwareFeature::manualUpdate);
    connect(voltage18_, &QAction::triggered, this, [this] { voltageUpdate(FirmwareVoltage::V1_8); });
    connect(voltage33_, &QAction::triggered, this, [this] { voltageUpdate(FirmwareVoltage::V3_3); });
    connect(serialNumber_, &QAction::triggered, this, &FirmwareFeature::writeSerialNumber);
    window->installEventFilter(this);
}

QAction* FirmwareFeature::makeAction(const QString& label, const char* name) {
    auto* action = new QAction(label, window_);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void FirmwareFeature::updateEnables(bool usable) {
    const bool idle = usable && !updating_;
    manualUpdate_->setEnabled(idle);
    serialNumber_->setEnabled(idle);
    const bool variants = idle && host_.control.identity().voltageFirmware;
    voltage18_->setEnabled(variants);
    voltage33_->setEnabled(variants);
    voltageMenu_->setEnabled(variants);
}

// Closing while the on-board flash is half written would leave firmware the emulator cannot boot.
bool FirmwareFeature::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Close && updating_) {
        event->ignore();
        host_.log.log("The firmware update is still running; Zelmor closes once it has ended.");
        host_.changed();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void FirmwareFeature::logAndRefresh(const std::string& line) {
    host_.log.log(line);
    host_.changed();
}

// The emulator takes no update while it serves the target.
bool FirmwareFeature::updatable() {
    if (updating_ || !host_.deviceUsable()) {
        host_.changed();
        return false;
    }
    if (!host_.emulating()) return true;
    logAndRefresh("Error: the emulator is in emulation mode; Stop it before its firmware is updated.");
    return false;
}

void FirmwareFeature::manualUpdate() {
    if (!updatable()) return;
    const bool generation2 = host_.control.identity().generation2;
    const auto source = host_.prompter.chooseFirmware(window_, generation2);
    if (!source) return;
    if (const auto problem = firmwareSourceProblem(host_.api, *source, generation2)) return logAndRefresh(*problem);
    confirmAndUpdate(*source, kManualUpdateTexts,
                     QStringLiteral("Firmware update is going to start.\nUSB can not be unplug during firmware update"),
                     "Stop to update firmware.");
}

void FirmwareFeature::voltageUpdate(FirmwareVoltage voltage) {
    if (!updatable()) return;
    if (!host_.control.identity().voltageFirmware) {
        const QString warning = voltage == FirmwareVoltage::V1_8
                                    ? QStringLiteral("Warning : This firmware version doesn't support this feature")
                                    : QStringLiteral("Warning : This firmware version doesn't support this feature.");
        return host_.prompter.warn(
            window_, warning + QStringLiteral("\nPlease update to correct firmware or contact Varnik Inc. for further info."));
    }
    const session::ProductInfo info = host_.api.productInfo(host_.control.device());
    const auto stem = voltageFirmwareStem(info.fpgaMinor(), info.mcuMinor(), voltage);
    if (!info.answered || !stem)
        return logAndRefresh(std::string("Error: no ") + voltageText(voltage) + " firmware is known for " +
                             releaseText(info) + "; nothing was updated.");
    const auto folder = findVoltageFirmware(host_.firmwareFolder, *stem);
    if (!folder)
        return logAndRefresh("Error: no firmware folder named like " + *stem + " in " + host_.firmwareFolder.string() +
                             "; nothing was updated.");
    if (const auto problem = firmwareSourceProblem(host_.api, *folder, false)) return logAndRefresh(*problem);
    host_.log.log(std::string(voltageText(voltage)) + " firmware: " + folder->string());
    confirmAndUpdate(*folder, kVoltageUpdateTexts,
                     QStringLiteral("Voltage Firmware will be updated, please do not remove the USB power."),
                     "Voltage Firmware Update Stopped.");
}

void FirmwareFeature::confirmAndUpdate(const std::filesystem::path& source, const UpdateTexts& texts,
                                       const QString& question, const char* stopped) {
    if (!host_.prompter.confirm(window_, question)) return logAndRefresh(stopped);
    host_.log.log(texts.starting);
    updating_ = true;
    auto outcome = std::make_shared<UpdateOutcome>(UpdateOutcome::Failed);
    const int index = host_.control.device();
    const bool started = host_.startOperation(
        [this, outcome, index, source, &texts] { *outcome = runFirmwareUpdate(host_.api, index, source, texts, host_.log); },
        [this, outcome, &texts] {
            updating_ = false;
            host_.changed();
            if (*outcome == UpdateOutcome::Updated) host_.prompter.inform(window_, QString::fromLatin1(texts.successBox));
            if (*outcome == UpdateOutcome::Failed) host_.prompter.warn(window_, QString::fromLatin1(texts.failureBox));
        });
    if (!started) {
        updating_ = false;
        logAndRefresh("Error: another operation is running; the firmware was not updated.");
        return;
    }
    host_.changed();
}

void FirmwareFeature::writeSerialNumber() {
    if (updating_ || !host_.deviceUsable()) return host_.changed();
    const int index = host_.control.device();
    if (host_.api.currentDevice() != index)
        return logAndRefresh("Error: the serial number can only be written to emulator " +
                             std::to_string(host_.api.currentDevice() + 1) + "; choose it in the emulator list first.");
    const QString emulator = QStringLiteral("%1: %2").arg(index + 1).arg(text(host_.control.identity().serialText));
    const auto serial = host_.prompter.chooseSerialNumber(window_, emulator);
    if (!serial) return;
    const std::string shown = serialText(*serial);
    if (!host_.api.writeSerialNumber(*serial))
        return logAndRefresh("Error: the serial number " + shown +
                             " did not read back as written (the identity page is not erased first, so a number that "
                             "needs a cleared bit set cannot be written).");
    host_.log.log("Serial number " + shown + " written.");
    host_.identityChanged();
    host_.changed();
}

}  // namespace zel::gui::help
