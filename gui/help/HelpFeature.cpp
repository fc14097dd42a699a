#include "HelpFeature.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "FirmwareFeature.h"
#include "FlashSeries.h"
#include "Prompter.h"
#include "dialogs/core/BufferLimits.h"
#include "dialogs/core/ChipCatalogue.h"

namespace zel::gui::help {
namespace {

constexpr const char* kHtmlManual = "manual/zelmor-manual.html";

}  // namespace

HelpFeature::HelpFeature(HelpHost host, QWidget* window)
    : QObject(window), host_(std::move(host)), window_(window), launcher_(std::make_unique<SystemDesktopLauncher>()),
      calculator_(new QAction(QStringLiteral("&Launch Calculater"), window)),
      manual_(new QAction(QStringLiteral("User &Manual"), window)) {
    setObjectName(QStringLiteral("helpFeature"));
    calculator_->setObjectName(QStringLiteral("calculatorAction"));
    manual_->setObjectName(QStringLiteral("manualAction"));
    connect(calculator_, &QAction::triggered, this, &HelpFeature::launchCalculator);
    connect(manual_, &QAction::triggered, this, &HelpFeature::openManual);
    setCalculator(findCalculator());
}

HelpFeature::~HelpFeature() = default;

void HelpFeature::fillMenu(QMenu& menu, FirmwareFeature& firmware, QAction* about) {
    menu.setToolTipsVisible(true);
    // Items other features put into the menu before (the hyper-terminal tester) stand between the
    // calculator and the manual.
    QList<QAction*> others = menu.actions();
    others.removeAll(about);
    for (QAction* action : others) menu.removeAction(action);
    menu.insertMenu(about, firmware.voltageMenu());
    menu.insertAction(about, firmware.manualUpdateAction());
    menu.insertAction(about, firmware.serialNumberAction());
    menu.insertAction(about, calculator_);
    for (QAction* action : others) menu.insertAction(about, action);
    menu.insertAction(about, manual_);
    connect(about, &QAction::triggered, this, &HelpFeature::showAbout);
}

void HelpFeature::setCalculator(const QString& program) {
    calculatorProgram_ = program;
    calculator_->setEnabled(!program.isEmpty());
    calculator_->setToolTip(program.isEmpty() ? QStringLiteral("No desktop calculator is installed (gnome-calculator, "
                                                               "kcalc, galculator, qalculate-gtk, mate-calc or xcalc).")
                                              : program);
}

void HelpFeature::showAbout() {
    const auto catalogue = ChipCatalogue::read(host_.configFolder, bufferLimit(true));
    const std::string series = flashSeriesText(flashSeries(catalogue.chips()));
    host_.prompter.inform(window_, QStringLiteral("Zelmor %1\nHost software of the ZelmorPro emulators.\n\n"
                                                  "Supported flash series:\n%2")
                                       .arg(QStringLiteral(ZEL_VERSION),
                                            series.empty() ? QStringLiteral("(no chip configurations found)\n")
                                                           : QString::fromStdString(series)));
}

void HelpFeature::launchCalculator() {
    if (calculatorProgram_.isEmpty() || !launcher_->startProgram(calculatorProgram_))
        host_.prompter.warn(window_, QStringLiteral("The calculator could not be started."));
}

std::filesystem::path HelpFeature::manualFile() const {
    std::error_code error;
    for (const auto& candidate : {host_.programFolder / "help.pdf", host_.programFolder / kHtmlManual})
        if (std::filesystem::is_regular_file(candidate, error)) return candidate;
    return {};
}

void HelpFeature::openManual() {
    const auto file = manualFile();
    if (file.empty())
        return host_.prompter.warn(window_, QStringLiteral("The user manual is not installed: neither %1 nor %2 exists.")
                                                .arg(QString::fromStdString((host_.programFolder / "help.pdf").string()),
                                                     QString::fromStdString((host_.programFolder / kHtmlManual).string())));
    if (!launcher_->openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string()))))
        host_.prompter.warn(window_, QStringLiteral("No program could open %1.").arg(QString::fromStdString(file.string())));
}

}  // namespace zel::gui::help
