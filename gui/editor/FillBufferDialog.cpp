#include "FillBufferDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "HexField.h"
#include "Prompter.h"

namespace zel::gui::editor {
namespace {

QLineEdit* hexEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(10);
    return edit;
}

}  // namespace

FillBufferDialog::FillBufferDialog(FillAction fill, Prompter& prompter, QWidget* parent)
    : QDialog(parent), fill_(std::move(fill)), prompter_(prompter), start_(hexEdit("fillStart", this)),
      end_(hexEdit("fillEnd", this)), value_(hexEdit("fillValue", this)) {
    setObjectName(QStringLiteral("fillBufferDialog"));
    setWindowTitle(QStringLiteral("Fill Buffer"));
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Buffer start: 0x"), start_);
    form->addRow(QStringLiteral("Buffer end:  0x"), end_);
    form->addRow(QStringLiteral("Fill value:     0x"), value_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &FillBufferDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FillBufferDialog::reject);
}

void FillBufferDialog::accept() {
    const auto start = parseHexField(start_->text().toStdString());
    const auto end = parseHexField(end_->text().toStdString());
    const auto value = parseHexField(value_->text().toStdString());
    if (!start || !end || !value || *value > 0xFF)
        return prompter_.warn(this, QStringLiteral("Please type the addresses and the fill value in hexadecimal (the value 00 to FF)."));
    const std::string_view problem = fill_(*start, *end, uint8_t(*value));
    if (!problem.empty()) return prompter_.warn(this, QString::fromLatin1(problem.data(), qsizetype(problem.size())));
    QDialog::accept();
}

}  // namespace zel::gui::editor
