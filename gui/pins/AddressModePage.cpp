#include "AddressModePage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

namespace zel::gui::pins {

AddressModePage::AddressModePage(bool fourByteMode, bool chipTakesFourByte, QWidget* parent)
    : QWidget(parent), fourByte_(new QCheckBox(QStringLiteral(" Enter 4-byte address mode"))) {
    setObjectName(QStringLiteral("miscellaneousSettingsPage"));
    fourByte_->setObjectName(QStringLiteral("fourByteMode"));
    fourByte_->setChecked(chipTakesFourByte && fourByteMode);
    fourByte_->setEnabled(chipTakesFourByte);
    auto* box = new QGroupBox(QStringLiteral("Number of address bytes during command entry"));
    (new QVBoxLayout(box))->addWidget(fourByte_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addStretch(1);
}

bool AddressModePage::fourByteMode() const { return fourByte_->isChecked(); }

}  // namespace zel::gui::pins
