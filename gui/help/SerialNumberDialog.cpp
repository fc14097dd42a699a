#include "SerialNumberDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "DeviceIdentity.h"
#include "SerialNumberInput.h"

namespace zel::gui::help {

SerialNumberDialog::SerialNumberDialog(const QString& emulator, QWidget* parent)
    : QDialog(parent), input_(new QLineEdit), verdict_(new QLabel), write_(nullptr) {
    setWindowTitle(QStringLiteral("Serial Number"));
    setObjectName(QStringLiteral("serialNumberDialog"));
    input_->setObjectName(QStringLiteral("serialNumberInput"));
    input_->setPlaceholderText(QStringLiteral("e.g. 204711 or ZL204711"));
    verdict_->setObjectName(QStringLiteral("serialNumberVerdict"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Emulator:"), new QLabel(emulator));
    form->addRow(QStringLiteral("New serial number:"), input_);
    form->addRow(QString(), verdict_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    write_ = buttons->addButton(QStringLiteral("Write"), QDialogButtonBox::AcceptRole);
    write_->setObjectName(QStringLiteral("serialNumberWrite"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("The number is written once into the emulator's identity page;\n"
                                                "it cannot be changed to a number that needs a cleared bit set.")));
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(input_, &QLineEdit::textChanged, this, &SerialNumberDialog::inputChanged);
    inputChanged(QString());
}

void SerialNumberDialog::inputChanged(const QString& text) {
    const auto parsed = parseSerialNumber(text.toStdString());
    if (const auto* serial = std::get_if<std::uint32_t>(&parsed)) {
        serial_ = *serial;
        verdict_->setText(QStringLiteral("Shown as %1").arg(QString::fromStdString(serialText(*serial))));
    } else {
        serial_.reset();
        verdict_->setText(text.isEmpty() ? QString() : QString::fromStdString(std::get<SerialNumberProblem>(parsed).text));
    }
    write_->setEnabled(serial_.has_value());
}

}  // namespace zel::gui::help
