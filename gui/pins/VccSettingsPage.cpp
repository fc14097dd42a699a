#include "VccSettingsPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zel::gui::pins {

VccSettingsPage::VccSettingsPage(const ManualSupply& supply, QWidget* parent)
    : QWidget(parent),
      manual_(new QCheckBox(QStringLiteral("Enable setting Vcc manually"))),
      v33_(new QRadioButton(QStringLiteral("3.3V"))),
      v25_(new QRadioButton(QStringLiteral("2.5V"))),
      v18_(new QRadioButton(QStringLiteral("1.8V"))) {
    setObjectName(QStringLiteral("vccSettingsPage"));
    manual_->setObjectName(QStringLiteral("manualVcc"));
    v33_->setObjectName(QStringLiteral("vcc33"));
    v25_->setObjectName(QStringLiteral("vcc25"));
    v18_->setObjectName(QStringLiteral("vcc18"));
    auto* box = new QGroupBox(QStringLiteral("Vcc Setting"));
    auto* radios = new QVBoxLayout(box);
    radios->addWidget(manual_);
    for (QRadioButton* radio : {v33_, v25_, v18_}) {
        radios->addWidget(radio);
        connect(manual_, &QCheckBox::toggled, radio, &QWidget::setEnabled);
        radio->setEnabled(supply.enabled);
    }
    manual_->setChecked(supply.enabled);
    (supply.choice == SupplyRadio::V18 ? v18_ : supply.choice == SupplyRadio::V25 ? v25_ : v33_)->setChecked(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addStretch(1);
}

ManualSupply VccSettingsPage::choice() const {
    ManualSupply supply;
    supply.enabled = manual_->isChecked();
    supply.choice = v18_->isChecked() ? SupplyRadio::V18 : v25_->isChecked() ? SupplyRadio::V25 : SupplyRadio::V33;
    return supply;
}

}  // namespace zel::gui::pins
