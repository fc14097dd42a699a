#include "TerminalSettingsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "Prompter.h"
#include "terminal/OpcodeVeto.h"

namespace zel::gui {
namespace {

using terminal_settings::TerminalSettings;

constexpr const char* kColourNames[] = {"CkeckPoint", "HEX", "ASCII", "TimeStamp", "LookUp Table"};
constexpr const char* kColourObjects[] = {"checkPointColour", "hexColour", "asciiColour", "timeColour", "lookUpColour"};

QString opcodeText(std::uint8_t opcode) { return QString::number(opcode, 16); }

QComboBox* pathCombo(const std::vector<std::string>& paths, const std::string& current, const char* name, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(true);
    combo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    for (const auto& path : paths) combo->addItem(QString::fromStdString(path));
    combo->setEditText(QString::fromStdString(current));
    return combo;
}

}  // namespace

TerminalSettingsPage::TerminalSettingsPage(TerminalSettings settings, Prompter& prompter,
                                           std::function<std::string()> chipMaker, QWidget* parent)
    : QWidget(parent), settings_(std::move(settings)), prompter_(prompter), chipMaker_(std::move(chipMaker)) {
    setObjectName(QStringLiteral("terminalSettingsPage"));
    auto* group = new QGroupBox(QStringLiteral("SPI Hyper Terminal"), this);
    auto* inner = new QVBoxLayout(group);
    inner->addWidget(buildOpcodeBox());
    inner->addWidget(buildFilesBox());
    inner->addWidget(buildColoursBox());
    inner->addWidget(buildPortBox());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch(1);
    settings_.dedicated ? chooseDedicated() : chooseNormalRead();
}

QWidget* TerminalSettingsPage::buildOpcodeBox() {
    auto* box = new QWidget(this);
    normalRead_ = new QRadioButton(QStringLiteral("Using Nomal Read(0x03)/ Fast Read(0x0B) OP Code"), box);
    normalRead_->setObjectName(QStringLiteral("normalReadOption"));
    dedicated_ = new QRadioButton(QStringLiteral("Using Dedicated OP Code (Hex:)"), box);
    dedicated_->setObjectName(QStringLiteral("dedicatedOption"));
    opcode_ = new QLineEdit(opcodeText(settings_.opcode), box);
    opcode_->setObjectName(QStringLiteral("opcodeEdit"));
    opcode_->setMaxLength(2);
    opcode_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,2}")), opcode_));
    opcode_->setFixedWidth(opcode_->fontMetrics().horizontalAdvance(QStringLiteral("WWWW")));
    pageProgram_ = new QCheckBox(QStringLiteral("Enable Page Program(0x02) OP Code"), box);
    pageProgram_->setObjectName(QStringLiteral("pageProgramCheck"));
    pageProgram_->setChecked(settings_.pageProgram);
    (settings_.dedicated ? dedicated_ : normalRead_)->setChecked(true);
    connect(normalRead_, &QRadioButton::clicked, this, &TerminalSettingsPage::chooseNormalRead);
    connect(dedicated_, &QRadioButton::clicked, this, &TerminalSettingsPage::chooseDedicated);

    auto* dedicatedRow = new QHBoxLayout;
    dedicatedRow->addWidget(dedicated_);
    dedicatedRow->addWidget(opcode_);
    dedicatedRow->addWidget(new QLabel(QStringLiteral("(Do not use existing SPI OP codes)"), box));
    dedicatedRow->addStretch(1);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(normalRead_);
    layout->addWidget(pageProgram_);
    layout->addLayout(dedicatedRow);
    return box;
}

QWidget* TerminalSettingsPage::buildFilesBox() {
    auto* box = new QWidget(this);
    lookUp_ = pathCombo(settings_.lookUpPaths, settings_.lookUpFile, "lookUpFileCombo", box);
    checkPoint_ = pathCombo(settings_.checkPointPaths, settings_.checkPointFile, "checkPointFileCombo", box);
    auto* findLookUp = new QPushButton(QStringLiteral("Find"), box);
    findLookUp->setObjectName(QStringLiteral("lookUpFindButton"));
    findCheckPoint_ = new QPushButton(QStringLiteral("Find"), box);
    findCheckPoint_->setObjectName(QStringLiteral("checkPointFindButton"));
    translate_ = new QCheckBox(QStringLiteral("Enable CheckPoint Translation"), box);
    translate_->setObjectName(QStringLiteral("checkPointTranslationCheck"));
    connect(findLookUp, &QPushButton::clicked, this, [this] { findFile(lookUp_); });
    connect(findCheckPoint_, &QPushButton::clicked, this, [this] { findFile(checkPoint_); });
    connect(translate_, &QCheckBox::toggled, this, [this](bool on) {
        checkPoint_->setEnabled(on);
        findCheckPoint_->setEnabled(on);
    });
    translate_->setChecked(settings_.translateCheckPoints);
    checkPoint_->setEnabled(settings_.translateCheckPoints);
    findCheckPoint_->setEnabled(settings_.translateCheckPoints);

    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Look Up Table File Path:"), box), 0, 0, 1, 2);
    layout->addWidget(lookUp_, 1, 0);
    layout->addWidget(findLookUp, 1, 1);
    layout->addWidget(translate_, 2, 0, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("CheckPoint File Path:"), box), 3, 0, 1, 2);
    layout->addWidget(checkPoint_, 4, 0);
    layout->addWidget(findCheckPoint_, 4, 1);
    return box;
}

QWidget* TerminalSettingsPage::buildColoursBox() {
    auto* box = new QGroupBox(QStringLiteral("Display Font Color"), this);
    auto* layout = new QHBoxLayout(box);
    for (size_t kind = 0; kind < colourButtons_.size(); ++kind) {
        auto* button = new QPushButton(QString::fromLatin1(kColourNames[kind]), box);
        button->setObjectName(QString::fromLatin1(kColourObjects[kind]));
        connect(button, &QPushButton::clicked, this, [this, kind] { pickColour(kind); });
        colourButtons_[kind] = button;
        layout->addWidget(button);
        showColour(kind);
    }
    return box;
}

QWidget* TerminalSettingsPage::buildPortBox() {
    auto* box = new QWidget(this);
    usb_ = new QRadioButton(QStringLiteral("Using USB"), box);
    comPort_ = new QRadioButton(QStringLiteral("Uing COM Port"), box);
    (settings_.usb ? usb_ : comPort_)->setChecked(true);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(usb_);
    layout->addWidget(comPort_);
    layout->addStretch(1);
    return box;
}

// Normal/Fast Read: an op-code the selected flash answers itself is not kept in the edit.
void TerminalSettingsPage::chooseNormalRead() {
    opcode_->setEnabled(false);
    pageProgram_->setEnabled(true);
    const auto opcode = terminal_settings::parseOpcodeText(opcode_->text().toStdString());
    if (opcode && terminal::opcodeUsedByMaker(chipMaker_(), *opcode))
        opcode_->setText(opcodeText(terminal_settings::kFallbackOpcode));
}

void TerminalSettingsPage::chooseDedicated() {
    opcode_->setEnabled(true);
    pageProgram_->setEnabled(false);
}

void TerminalSettingsPage::findFile(QComboBox* target) {
    if (const auto file = prompter_.chooseOpenFile(this, QStringLiteral("Text Files (*.txt)")))
        target->setEditText(QString::fromStdString(file->string()));
}

void TerminalSettingsPage::pickColour(size_t kind) {
    if (const auto rgb = prompter_.chooseColour(this, settings_.colours.rgb[kind])) {
        settings_.colours.rgb[kind] = *rgb;
        showColour(kind);
    }
}

void TerminalSettingsPage::showColour(size_t kind) {
    const QColor colour = QColor::fromRgb(settings_.colours.rgb[kind]);
    colourButtons_[kind]->setStyleSheet(QStringLiteral("color: %1; font-weight: bold").arg(colour.name()));
}

TerminalSettings TerminalSettingsPage::apply() const {
    TerminalSettings chosen = settings_;
    chosen.dedicated = dedicated_->isChecked();
    chosen.pageProgram = !chosen.dedicated && pageProgram_->isChecked();
    chosen.opcode = terminal_settings::parseOpcodeText(opcode_->text().toStdString()).value_or(settings_.opcode);
    chosen.usb = usb_->isChecked();
    chosen.translateCheckPoints = translate_->isChecked();
    chosen.chooseFiles(lookUp_->currentText().toStdString(), checkPoint_->currentText().toStdString());
    return chosen;
}

}  // namespace zel::gui
