#include "TerminalFeature.h"

#include <QAction>

#include "ApiHtDevice.h"
#include "HtTesterDialog.h"
#include "Prompter.h"
#include "SettingsSheet.h"
#include "TerminalPanel.h"
#include "TerminalSettings.h"
#include "TerminalSettingsPage.h"
#include "TerminalViewerDialog.h"

namespace zel::gui {

using terminal_settings::TerminalSettings;

TerminalFeature::TerminalFeature(TerminalHost host, QWidget* window)
    : QObject(window), host_(std::move(host)), window_(window), panel_(new TerminalPanel(window)),
      testerAction_(new QAction(QStringLiteral("SPI HyperTermainl tester"), this)),
      device_(std::make_unique<tester::ApiHtDevice>()) {
    panel_->setObjectName(QStringLiteral("terminalPanel"));
    testerAction_->setObjectName(QStringLiteral("terminalTesterAction"));
    panel_->setStartCheck([this] { return checkStart(); });
    connect(panel_, &TerminalPanel::logMessage, this, [this](const QString& text) { host_.log.log(text.toStdString()); });
    connect(panel_, &TerminalPanel::saveRequested, this, &TerminalFeature::saveLog);
    connect(panel_, &TerminalPanel::viewerRequested, this, &TerminalFeature::openViewer);
    connect(testerAction_, &QAction::triggered, this, &TerminalFeature::openTester);
}

TerminalFeature::~TerminalFeature() {
    delete viewer_;  // it reads the panel's rows
    delete tester_;
}

std::string TerminalFeature::chipMaker() const {
    const auto& chip = host_.control.state().targets[0].chip;
    return chip ? chip->manufacturer : std::string();
}

// The stored settings are taken at each Start; an op-code the chip chosen since then answers
// itself would never reach the terminal, so it is refused here too.
bool TerminalFeature::checkStart() {
    if (!host_.control.state().targets[0].chip) {
        host_.prompter.warn(window_, QStringLiteral("The Chip is not setted."));
        return false;
    }
    const TerminalSettings settings = TerminalSettings::read(host_.settings);
    if (const auto problem = settings.opcodeProblem(chipMaker())) {
        host_.prompter.warn(window_, QString::fromStdString(*problem));
        return false;
    }
    std::vector<std::string> problems;
    TerminalOptions options{settings.dedicatedOpcode(), settings.pageProgram, settings.loadTables(problems), settings.colours};
    for (auto& problem : problems) host_.log.log(std::move(problem));
    panel_->setOptions(std::move(options));
    return true;
}

void TerminalFeature::saveLog() {
    if (panel_->running()) return;
    if (const auto file = host_.prompter.chooseSaveFile(window_, QStringLiteral("Txt File (*.txt)")))
        panel_->saveLogTo(QString::fromStdString(file->string()));
}

QWidget* TerminalFeature::createSettingsPage(SettingsSheet& sheet) {
    auto* page = new TerminalSettingsPage(TerminalSettings::read(host_.settings), host_.prompter,
                                          [this] { return chipMaker(); }, &sheet);
    sheet.addAcceptCheck([this, page, &sheet] {
        const auto problem = page->apply().opcodeProblem(chipMaker());
        if (problem) host_.prompter.warn(&sheet, QString::fromStdString(*problem));
        return !problem;
    });
    connect(&sheet, &QDialog::accepted, this, [this, page] {
        if (const std::error_code error = host_.settings.write(page->apply().changes()))
            host_.log.log("Warning: the terminal settings could not be saved: " + error.message());
    });
    return page;
}

void TerminalFeature::openViewer() {
    if (viewer_ || panel_->running()) return;
    viewer_ = new TerminalViewerDialog(*panel_, window_);
    viewer_->setAttribute(Qt::WA_DeleteOnClose);
    connect(viewer_, &QObject::destroyed, this, [this] { viewer_ = nullptr; });
    viewer_->open();  // modal to the window, without a nested event loop
}

void TerminalFeature::openTester() {
    if (tester_) return tester_->raise();
    tester_ = new HtTesterDialog(
        *device_,
        [this] {
            if (panel_->running()) return QStringLiteral("The SPI hyper terminal is running: stop it before using the tester.");
            return host_.testerRefusal();
        },
        window_);
    tester_->setAttribute(Qt::WA_DeleteOnClose);
    connect(tester_, &QObject::destroyed, this, [this] { tester_ = nullptr; });
    tester_->show();
}

}  // namespace zel::gui
