#include "PinSettingsPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "PinChoices.h"

namespace zel::gui::pins {
namespace {

QRadioButton* radio(const QString& text, const char* name, QVBoxLayout* layout) {
    auto* button = new QRadioButton(text);
    button->setObjectName(QString::fromLatin1(name));
    layout->addWidget(button);
    return button;
}

QGroupBox* group(const QString& title, QVBoxLayout*& layout) {
    auto* box = new QGroupBox(title);
    layout = new QVBoxLayout(box);
    return box;
}

}  // namespace

PinSettingsPage::PinSettingsPage(const PinSettings& pins, bool generation2, QWidget* parent)
    : QWidget(parent), pins_(pins) {
    setObjectName(QStringLiteral("pinSettingsPage"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(resetGroup());
    layout->addWidget(misoGroup());
    layout->addWidget(holdGroup());
    if (generation2) layout->addWidget(chipSelectGroup());
    layout->addStretch(1);
}

QWidget* PinSettingsPage::resetGroup() {
    QVBoxLayout* layout = nullptr;
    QGroupBox* box = group(QStringLiteral("Reset Pin"), layout);
    resetPin_ = new QCheckBox(QStringLiteral("Enable Reset Pin"));
    resetPin_->setObjectName(QStringLiteral("enableResetPin"));
    resetPin_->setChecked(pins_.resetPin);
    layout->addWidget(resetPin_);
    return box;
}

QWidget* PinSettingsPage::misoGroup() {
    QVBoxLayout* layout = nullptr;
    QGroupBox* box = group(QStringLiteral("MISO Setting"), layout);
    misoByFpga_ = radio(QStringLiteral("MISO output are driven by FPGA"), "misoByFpga", layout);
    misoByBuffer_ = radio(QStringLiteral("MISO output are driven by external buffer"), "misoByExternalBuffer", layout);
    (pins_.misoByExternalBuffer ? misoByBuffer_ : misoByFpga_)->setChecked(true);
    return box;
}

QWidget* PinSettingsPage::holdGroup() {
    QVBoxLayout* layout = nullptr;
    QGroupBox* box = group(QStringLiteral("Hold Pin Status While Emulation"), layout);
    holdLow_ = radio(QStringLiteral("Default Low"), "holdDefaultLow", layout);
    holdInput_ = radio(QStringLiteral("Input by default"), "holdInput", layout);
    holdFloating_ = radio(QStringLiteral("Floating by default"), "holdFloating", layout);
    switch (holdRadioOf(pins_.hold)) {
    case HoldRadio::DefaultLow: holdLow_->setChecked(true); break;
    case HoldRadio::Input: holdInput_->setChecked(true); break;
    case HoldRadio::Floating: holdFloating_->setChecked(true); break;
    }
    return box;
}

QWidget* PinSettingsPage::chipSelectGroup() {
    QVBoxLayout* layout = nullptr;
    QGroupBox* box = group(QStringLiteral("Chip Select (ZelmorPro-G2)"), layout);
    chipSelect0_ = radio(QStringLiteral("Chip-select mode 0"), "chipSelectMode0", layout);
    chipSelect1_ = radio(QStringLiteral("Chip-select mode 1"), "chipSelectMode1", layout);
    (pins_.chipSelect ? chipSelect0_ : chipSelect1_)->setChecked(true);
    return box;
}

PinSettings PinSettingsPage::choices() const {
    PinSettings pins = pins_;
    pins.resetPin = resetPin_->isChecked();
    pins.misoByExternalBuffer = misoByBuffer_->isChecked();
    const HoldRadio hold = holdLow_->isChecked() ? HoldRadio::DefaultLow
                           : holdInput_->isChecked() ? HoldRadio::Input
                                                     : HoldRadio::Floating;
    pins.hold = holdCode(hold);
    if (chipSelect0_) pins.chipSelect = chipSelect0_->isChecked();
    return pins;
}

}  // namespace zel::gui::pins
