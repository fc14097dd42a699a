#include "MainView.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "OperationLogModel.h"

namespace zel::gui {
namespace {

QString text(const std::string& value) { return QString::fromStdString(value); }

QGroupBox* group(const QString& title, QLayout* layout) {
    auto* box = new QGroupBox(title);
    box->setLayout(layout);
    return box;
}

}  // namespace

QLabel* MainView::addLine(QFormLayout* form, const QString& label, const char* name) {
    auto* value = new QLabel(this);
    value->setObjectName(QString::fromLatin1(name));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(label, value);
    return value;
}

MainView::MainView(OperationLogModel& log, QWidget* parent) : QWidget(parent) {
    auto* identity = new QFormLayout;
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("deviceStatus"));
    QFont bold = status_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    status_->setFont(bold);
    deviceSelector_ = new QComboBox(this);
    deviceSelector_->setObjectName(QStringLiteral("deviceSelector"));
    deviceSelector_->setToolTip(QStringLiteral("The emulator this window works on, by serial number"));
    identity->addRow(QStringLiteral("Emulator: "), deviceSelector_);
    identity->addRow(status_);
    welcome_ = addLine(identity, QStringLiteral("Welcome to Varnik "), "welcomeLine");
    type_ = addLine(identity, QStringLiteral("Type: "), "typeLine");
    mcu_ = addLine(identity, QStringLiteral("MCU Version: "), "mcuLine");
    fpga_ = addLine(identity, QStringLiteral("FPGA Version: "), "fpgaLine");
    hardware_ = addLine(identity, QStringLiteral("HW Version: "), "hardwareLine");
    serial_ = addLine(identity, QStringLiteral("Serial Number: "), "serialLine");

    auto* choices = new QFormLayout;
    chip_[0] = addLine(choices, QStringLiteral("Chip: "), "chipLine");
    file_[0] = addLine(choices, QStringLiteral("File: "), "fileLine");
    chip_[1] = addLine(choices, QStringLiteral("Flash 2 Chip: "), "chip2Line");
    file_[1] = addLine(choices, QStringLiteral("Flash 2 File: "), "file2Line");

    auto* pins = new QFormLayout;
    hold_ = addLine(pins, QStringLiteral("Hold Pin: "), "holdPinLine");
    reset_ = addLine(pins, QStringLiteral("Reset Pin: "), "resetPinLine");
    lastCommand_ = addLine(pins, QStringLiteral("Last Issued Command: "), "lastCommandLine");
    pinStatus_ = addLine(pins, QStringLiteral("Pin Status: "), "pinStatusLine");

    auto* top = new QHBoxLayout;
    top->addWidget(group(QStringLiteral("Emulator"), identity), 3);
    top->addWidget(group(QStringLiteral("Chip and File"), choices), 4);
    top->addWidget(group(QStringLiteral("Pins and SPI Bus"), pins), 3);

    logView_ = new QListView(this);
    logView_->setObjectName(QStringLiteral("operationLog"));
    logView_->setModel(&log);
    logView_->setUniformItemSizes(true);
    logView_->setSelectionMode(QAbstractItemView::ExtendedSelection);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("operationProgress"));
    progress_->setRange(0, 100);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(progress_, 1);
    bottom->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(logView_, 3);  // the operation log keeps most of the height beside later panels
    layout->addLayout(bottom);
    showProgress(false, 0);
    showIdentity(DeviceIdentity{});
}

void MainView::showIdentity(const DeviceIdentity& identity) {
    status_->setText(identity.present ? QStringLiteral("Device Ready") : QStringLiteral("Device Not Ready"));
    welcome_->setText(text(identity.modelName));
    type_->setText(text(identity.modelName));
    mcu_->setText(text(identity.hardwareText));
    fpga_->setText(text(identity.firmwareText));
    hardware_->setText(text(identity.boardText));
    serial_->setText(text(identity.serialText));
}

void MainView::showChoices(const EmulatorState& state) {
    for (size_t target = 0; target < 2; ++target) {
        const TargetState& slot = state.targets[target];
        chip_[target]->setText(slot.chip ? text(slot.chip->manufacturer + " " + slot.chip->name) : QString());
        file_[target]->setText(text(slot.image.string()));
    }
    hold_->setText(QString::fromLatin1(holdPinText(state.pins.hold)));
    reset_->setText(state.pins.resetPin ? QStringLiteral("Enable reset pin") : QStringLiteral("Disable reset pin"));
}

void MainView::showLastCommand(const LastCommandView& view) {
    lastCommand_->setText(text(view.opcode));
    pinStatus_->setText(text(view.chipSelect));
}

void MainView::showProgress(bool running, int percent) {
    progress_->setValue(running ? percent : 0);
    progress_->setEnabled(running);
    cancel_->setEnabled(running);
}

void MainView::scrollLogToEnd() { logView_->scrollToBottom(); }

void MainView::addPanel(QWidget* panel) {
    auto* column = static_cast<QVBoxLayout*>(layout());
    column->insertWidget(column->indexOf(logView_), panel);
}

void MainView::addPanel(const QString& title, QWidget* panel) {
    auto* box = new QGroupBox(title, this);
    auto* inside = new QVBoxLayout(box);
    inside->setContentsMargins(2, 2, 2, 2);
    inside->addWidget(panel);
    auto* column = static_cast<QVBoxLayout*>(layout());
    column->insertWidget(column->count() - 1, box, 2);  // above the progress line
}

}  // namespace zel::gui
