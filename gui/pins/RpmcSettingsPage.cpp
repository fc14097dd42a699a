#include "RpmcSettingsPage.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "Prompter.h"

namespace zel::gui::pins {
namespace {

const QString kFilter = QStringLiteral("Varnik RPMC File (*.rpmc);;All Files (*)");

QLineEdit* hexEdit(int maxDigits, const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(maxDigits);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]*")), edit));
    edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return edit;
}

}  // namespace

RpmcSettingsPage::RpmcSettingsPage(const RpmcCounters& counters, Prompter& prompter, QWidget* parent)
    : QWidget(parent), prompter_(prompter) {
    setObjectName(QStringLiteral("rpmcSettingsPage"));
    auto* grid = new QGridLayout;
    for (std::size_t n = 0; n < rows_.size(); ++n) {
        rows_[n] = makeRow(n);
        const int row = static_cast<int>(n) * 2;
        grid->addWidget(rows_[n].initialized, row, 0, 1, 4);
        grid->addWidget(new QLabel(QStringLiteral("Key:")), row + 1, 0);
        grid->addWidget(rows_[n].key, row + 1, 1);
        grid->addWidget(new QLabel(QStringLiteral("Count:")), row + 1, 2);
        grid->addWidget(rows_[n].count, row + 1, 3);
    }
    grid->setColumnStretch(1, 1);
    auto* load = new QPushButton(QStringLiteral("Load RPMC"));
    load->setObjectName(QStringLiteral("loadRpmcButton"));
    auto* save = new QPushButton(QStringLiteral("Save RPMC"));
    save->setObjectName(QStringLiteral("saveRpmcButton"));
    connect(load, &QPushButton::clicked, this, &RpmcSettingsPage::loadFile);
    connect(save, &QPushButton::clicked, this, &RpmcSettingsPage::saveFile);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(load);
    buttons->addWidget(save);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addStretch(1);
    showCounters(counters);
}

RpmcSettingsPage::CounterRow RpmcSettingsPage::makeRow(std::size_t counter) {
    const QString number = QString::number(counter + 1);
    CounterRow row{new QCheckBox(QStringLiteral("Counter %1 Initialized").arg(number), this),
                   hexEdit(int(rpmc::kKeyDigits), QStringLiteral("rpmcKey") + number, this),
                   hexEdit(int(rpmc::kCountValueDigits), QStringLiteral("rpmcCount") + number, this)};
    row.initialized->setObjectName(QStringLiteral("rpmcInitialized") + number);
    // Every digit in view: the edits are as wide as their longest text.
    const auto digitsWidth = [](QLineEdit* edit, std::size_t digits) {
        return edit->fontMetrics().horizontalAdvance(QString(int(digits), QLatin1Char('0'))) + 16;
    };
    row.count->setFixedWidth(digitsWidth(row.count, rpmc::kCountValueDigits));
    row.key->setMinimumWidth(digitsWidth(row.key, rpmc::kKeyDigits));
    connect(row.initialized, &QCheckBox::toggled, this, [this, counter](bool on) { setInitialized(counter, on); });
    for (QLineEdit* edit : {row.key, row.count})
        connect(edit, &QLineEdit::editingFinished, this, [this, counter, edit] { warnIfShort(counter, edit); });
    return row;
}

void RpmcSettingsPage::showCounters(const RpmcCounters& counters) {
    for (std::size_t n = 0; n < rows_.size(); ++n) {
        const CounterRow& row = rows_[n];
        row.initialized->setChecked(counters[n].initialized);
        row.key->setText(QString::fromStdString(counters[n].key));
        row.count->setText(QString::fromStdString(counters[n].count));
        row.key->setEnabled(counters[n].initialized);
        row.count->setEnabled(counters[n].initialized);
    }
}

void RpmcSettingsPage::setInitialized(std::size_t counter, bool initialized) {
    const CounterRow& row = rows_[counter];
    row.key->setEnabled(initialized);
    row.count->setEnabled(initialized);
    if (initialized) return;
    const RpmcCounterChoice defaults;
    row.key->setText(QString::fromStdString(defaults.key));
    row.count->setText(QString::fromStdString(defaults.count));
}

// Only an edit the user changed is warned about, once: the message box taking the focus ends
// the editing a second time.
void RpmcSettingsPage::warnIfShort(std::size_t counter, QLineEdit* edit) {
    if (!edit->isModified()) return;
    edit->setModified(false);
    const std::string text = edit->text().toStdString();
    const auto warning = edit == rows_[counter].key ? keyLengthWarning(counter, text) : countLengthWarning(counter, text);
    if (warning) prompter_.warn(this, QString::fromStdString(*warning));
}

RpmcCounters RpmcSettingsPage::counters() const {
    RpmcCounters counters;
    for (std::size_t n = 0; n < rows_.size(); ++n) {
        counters[n].initialized = rows_[n].initialized->isChecked();
        counters[n].key = rows_[n].key->text().toStdString();
        counters[n].count = rows_[n].count->text().toStdString();
    }
    return counters;
}

void RpmcSettingsPage::loadFile() {
    const auto file = prompter_.chooseOpenFile(this, kFilter);
    if (!file) return;
    std::error_code error;
    const auto counters = loadRpmcCounters(*file, error);
    if (!counters) return prompter_.warn(this, QStringLiteral("Error: Can not open %1").arg(QString::fromStdString(file->string())));
    showCounters(*counters);
}

void RpmcSettingsPage::saveFile() {
    auto file = prompter_.chooseSaveFile(this, kFilter);
    if (!file) return;
    if (!file->has_extension()) file->replace_extension(".rpmc");
    if (!saveRpmcCounters(counters(), *file))
        prompter_.warn(this, QStringLiteral("Error: the RPMC settings could not be saved to %1").arg(QString::fromStdString(file->string())));
}

}  // namespace zel::gui::pins
