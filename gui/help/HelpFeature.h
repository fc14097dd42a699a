// The Help menu: the firmware items (FirmwareFeature), "&Launch Calculater" (the desktop's
// calculator; disabled with a tooltip when none is installed), "User &Manual" (help.pdf in the
// program folder when present, else the HTML manual built with the program) and "&About
// Varnik..." with the flash series of the chip catalogue.
//
// Threads: the user-interface thread.
#pragma once

#include <QObject>

#include <filesystem>
#include <memory>

#include "DesktopLauncher.h"

class QAction;
class QMenu;
class QWidget;

namespace zel::gui {
class Prompter;
}  // namespace zel::gui

namespace zel::gui::help {

class FirmwareFeature;

struct HelpHost {
    Prompter& prompter;
    std::filesystem::path programFolder;  // help.pdf and manual/
    std::filesystem::path configFolder;   // the chip catalogue
};

class HelpFeature final : public QObject {
    Q_OBJECT
public:
    HelpFeature(HelpHost host, QWidget* window);
    ~HelpFeature() override;

    // Fills the Help menu in its order around the frame's existing About item.
    void fillMenu(QMenu& menu, FirmwareFeature& firmware, QAction* about);
    QAction* calculatorAction() const { return calculator_; }
    QAction* manualAction() const { return manual_; }
    void setLauncher(std::unique_ptr<DesktopLauncher> launcher) { launcher_ = std::move(launcher); }
    // Tests name the calculator; empty: none is installed.
    void setCalculator(const QString& program);

    void showAbout();
    void launchCalculator();
    void openManual();
    // help.pdf when present, else the HTML manual; empty when neither is installed.
    std::filesystem::path manualFile() const;

private:
    HelpHost host_;
    QWidget* window_;
    std::unique_ptr<DesktopLauncher> launcher_;
    QString calculatorProgram_;
    QAction* calculator_;
    QAction* manual_;
};

}  // namespace zel::gui::help
