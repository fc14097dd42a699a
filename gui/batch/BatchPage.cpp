#include "BatchPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

#include "DeviceIdentity.h"

namespace zel::gui::batch {
namespace {

constexpr int kSerialRole = Qt::UserRole;

QLineEdit* hexEdit(const char* name, const std::string& text, int length, QWidget* parent) {
    auto* edit = new QLineEdit(QString::fromStdString(text), parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(length);
    edit->setMaximumWidth(110);
    return edit;
}

// Tall enough for `rows` lines without a scroll bar.
void fitRows(QListWidget* list, int rows) {
    const int row = list->fontMetrics().height() + 2;
    list->setFixedHeight(rows * row + 2 * list->frameWidth() + 4);
}

QRadioButton* radio(const char* name, const char* text, QWidget* parent) {
    auto* button = new QRadioButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

std::uint32_t hexOf(const QLineEdit* edit) { return parseHexField(edit->text().toStdString()); }

}  // namespace

BatchPage::BatchPage(BatchPageSetup setup, QWidget* parent)
    : QWidget(parent), setup_(std::move(setup)), operations_(setup_.options.operations) {
    setObjectName(QStringLiteral("batchPage"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildOperations());
    auto* row = new QHBoxLayout;
    row->addWidget(buildAddress());
    row->addWidget(buildFill());
    layout->addLayout(row);
    splitFile_ = new QCheckBox(QStringLiteral("Dual flash function:  Slipts one image into two files equally with same flash type"), this);
    splitFile_->setObjectName(QStringLiteral("splitFileCheck"));
    splitFile_->setChecked(setup_.options.splitFile);
    splitFile_->setVisible(!setup_.generation2);
    layout->addWidget(splitFile_);
    layout->addWidget(buildEmulators());
    layout->addStretch(1);
    showChosen();
    enableEdits();
}

QWidget* BatchPage::buildOperations() {
    auto* box = new QGroupBox(QStringLiteral("Batch Operation"), this);
    available_ = new QListWidget(box);
    available_->setObjectName(QStringLiteral("availableOperationList"));
    for (const char* name : kOperationNames) available_->addItem(QString::fromLatin1(name));
    available_->setCurrentRow(0);
    chosen_ = new QListWidget(box);
    chosen_->setObjectName(QStringLiteral("chosenOperationList"));
    fitRows(available_, kOperationCount);
    fitRows(chosen_, kOperationCount);
    auto* add = new QPushButton(QStringLiteral("Add=>"), box);
    add->setObjectName(QStringLiteral("addOperationButton"));
    auto* remove = new QPushButton(QStringLiteral("<=Remove"), box);
    remove->setObjectName(QStringLiteral("removeOperationButton"));
    connect(add, &QPushButton::clicked, this, &BatchPage::addOperation);
    connect(remove, &QPushButton::clicked, this, &BatchPage::removeOperation);
    auto* buttons = new QVBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch(1);
    auto* inner = new QHBoxLayout(box);
    inner->addWidget(available_, 1);
    inner->addLayout(buttons);
    inner->addWidget(chosen_, 1);
    return box;
}

QWidget* BatchPage::buildAddress() {
    auto* box = new QGroupBox(QStringLiteral("Download Address(Hex)"), this);
    startRadio_ = radio("startAddressRadio", " Starting:", box);
    upToRadio_ = radio("upToAddressRadio", " Up to:", box);
    startEdit_ = hexEdit("startAddressEdit", hexField(setup_.options.start), 8, box);
    endEdit_ = hexEdit("endAddressEdit", endAddressField(setup_.options.end, setup_.chipSize), 8, box);
    (setup_.options.upTo ? upToRadio_ : startRadio_)->setChecked(true);
    connect(startRadio_, &QRadioButton::toggled, this, &BatchPage::enableEdits);
    auto* grid = new QGridLayout(box);
    grid->addWidget(startRadio_, 0, 0);
    grid->addWidget(startEdit_, 0, 1);
    grid->addWidget(upToRadio_, 1, 0);
    grid->addWidget(endEdit_, 1, 1);
    return box;
}

QWidget* BatchPage::buildFill() {
    auto* box = new QGroupBox(QStringLiteral("If Chip size > File size"), this);
    fillRadio_ = radio("fillRadio", "Fill other memory area with 0x", box);
    keepRadio_ = radio("keepRadio", "No change other memory contents", box);
    fillEdit_ = hexEdit("fillValueEdit", hexField(setup_.options.fillByte), 2, box);
    fillEdit_->setMaximumWidth(50);
    (setup_.options.fill ? fillRadio_ : keepRadio_)->setChecked(true);
    connect(fillRadio_, &QRadioButton::toggled, this, &BatchPage::enableEdits);
    auto* grid = new QGridLayout(box);
    grid->addWidget(fillRadio_, 0, 0);
    grid->addWidget(fillEdit_, 0, 1);
    grid->addWidget(keepRadio_, 1, 0, 1, 2);
    return box;
}

// Every attached emulator, checked when the batch runs on it; chosen ones that are not attached
// now stay listed so that they are not dropped unseen.
QWidget* BatchPage::buildEmulators() {
    auto* box = new QGroupBox(QStringLiteral("Run the batch on"), this);
    emulators_ = new QListWidget(box);
    emulators_->setObjectName(QStringLiteral("batchEmulatorList"));
    const auto& chosen = setup_.options.emulators;
    auto addItem = [this](const QString& text, std::uint32_t serial, bool checked) {
        auto* item = new QListWidgetItem(text, emulators_);
        item->setData(kSerialRole, QVariant::fromValue<quint32>(serial));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    };
    for (const BatchEmulator& emulator : setup_.attached) {
        const bool checked = chosen.empty() ? emulator.index == setup_.current : std::ranges::count(chosen, emulator.serial) > 0;
        addItem(QString::fromStdString(emulator.name()), emulator.serial, checked);
    }
    for (const std::uint32_t serial : chosen)
        if (std::ranges::none_of(setup_.attached, [serial](const BatchEmulator& e) { return e.serial == serial; }))
            addItem(QString::fromStdString(serialText(serial) + " (not attached)"), serial, true);
    fitRows(emulators_, std::clamp(emulators_->count(), 2, 4));
    auto* inner = new QVBoxLayout(box);
    inner->addWidget(emulators_);
    return box;
}

void BatchPage::addOperation() {
    BatchOptions bits;
    bits.operations = operations_;
    bits.add(available_->currentRow());  // the row is the operation's bit
    operations_ = bits.operations;
    showChosen();
}

void BatchPage::removeOperation() {
    const QListWidgetItem* item = chosen_->currentItem();
    if (!item) return;
    const auto name = item->text().toStdString();
    const auto found = std::ranges::find(kOperationNames, name);
    BatchOptions bits;
    bits.operations = operations_;
    bits.remove(int(found - kOperationNames.begin()));
    operations_ = bits.operations;
    showChosen();
}

void BatchPage::showChosen() {
    BatchOptions bits;
    bits.operations = operations_;
    chosen_->clear();
    for (const BatchOperation operation : bits.chosen()) chosen_->addItem(QString::fromLatin1(operationName(operation)));
    if (chosen_->count() > 0) chosen_->setCurrentRow(0);
}

void BatchPage::enableEdits() {
    fillEdit_->setEnabled(fillRadio_->isChecked());
    startEdit_->setEnabled(startRadio_->isChecked());
    endEdit_->setEnabled(upToRadio_->isChecked());
}

BatchOptions BatchPage::options() const {
    BatchOptions options = setup_.options;
    options.operations = operations_;
    options.fill = fillRadio_->isChecked();
    options.fillByte = std::uint8_t(hexOf(fillEdit_));
    options.upTo = upToRadio_->isChecked();
    options.start = hexOf(startEdit_);
    const std::uint32_t end = hexOf(endEdit_);
    // The chip's last address as shown is the default, kept as "the chip's last" for any chip.
    options.end = setup_.chipSize > 0 && end == setup_.chipSize - 1 ? 0 : end;
    options.splitFile = splitFile_->isChecked();
    options.emulators.clear();
    for (int row = 0; row < emulators_->count(); ++row) {
        const QListWidgetItem* item = emulators_->item(row);
        if (item->checkState() == Qt::Checked) options.emulators.push_back(item->data(kSerialRole).value<quint32>());
    }
    return options;
}

}  // namespace zel::gui::batch
