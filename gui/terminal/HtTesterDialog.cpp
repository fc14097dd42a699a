#include "HtTesterDialog.h"

#include "NamedButton.h"

#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace zel::gui {
namespace {

}  // namespace

HtTesterDialog::HtTesterDialog(tester::HtDevice& device, std::function<QString()> refusal, QWidget* parent)
    : QDialog(parent), device_(device), refusal_(std::move(refusal)) {
    setObjectName(QStringLiteral("htTester"));
    setWindowTitle(QStringLiteral("SPI Hyper Terminal Tester"));
    registers_ = new QComboBox(this);
    registers_->setObjectName(QStringLiteral("testerRegisterCombo"));
    for (const char* name : tester::kRegisterNames) registers_->addItem(QString::fromLatin1(name));
    registers_->setCurrentIndex(0);
    hex_ = new QLineEdit(this);
    hex_->setObjectName(QStringLiteral("testerHexEdit"));
    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("testerStringEdit"));
    log_ = new QListWidget(this);
    log_->setObjectName(QStringLiteral("testerLog"));

    auto* readRegister = namedButton(QStringLiteral("Read HT Register"), "testerReadRegisterButton", this);
    auto* readUFifo = namedButton(QStringLiteral("Read uFIFO"), "testerReadUFifoButton", this);
    auto* writeHex = namedButton(QStringLiteral("Write dFIFO"), "testerWriteHexButton", this);
    auto* writeText = namedButton(QStringLiteral("Write dFIFO"), "testerWriteStringButton", this);
    auto* clearAll = namedButton(QStringLiteral("Clear all"), "testerClearButton", this);
    connect(readRegister, &QPushButton::clicked, this,
            [this] { run([this] { return tester::readRegister(device_, static_cast<size_t>(registers_->currentIndex())); }); });
    connect(readUFifo, &QPushButton::clicked, this, [this] { run([this] { return tester::readUFifo(device_); }); });
    connect(writeHex, &QPushButton::clicked, this,
            [this] { run([this] { return tester::writeHex(device_, hex_->text().toStdString()); }); });
    connect(writeText, &QPushButton::clicked, this, [this] {
        run([this] {
            std::vector<std::uint8_t> bytes;
            for (QChar c : text_->text()) bytes.push_back(static_cast<std::uint8_t>(c.unicode() & 0xFF));
            return tester::writeText(device_, bytes);
        });
    });
    connect(clearAll, &QPushButton::clicked, this, [this] {
        log_->clear();
        hex_->clear();
        text_->clear();
    });

    auto* layout = new QGridLayout(this);
    layout->addWidget(registers_, 0, 0, 1, 2);
    layout->addWidget(readRegister, 0, 2);
    layout->addWidget(readUFifo, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Hex:"), this), 2, 0);
    layout->addWidget(hex_, 2, 1);
    layout->addWidget(writeHex, 2, 2);
    layout->addWidget(new QLabel(QStringLiteral("String:"), this), 3, 0);
    layout->addWidget(text_, 3, 1);
    layout->addWidget(writeText, 3, 2);
    layout->addWidget(log_, 4, 0, 1, 3);
    layout->addWidget(clearAll, 5, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(4, 1);
    resize(640, 440);
    run([this] { return tester::openingLines(device_); });
}

void HtTesterDialog::run(const std::function<tester::Lines()>& step) {
    if (const QString why = refusal_(); !why.isEmpty()) return append(why);
    for (const auto& line : step()) append(QString::fromStdString(line));
}

// Leading line breaks (the register line has two) become empty rows above the stamped one.
void HtTesterDialog::append(const QString& text) {
    qsizetype breaks = 0;
    while (breaks < text.size() && text[breaks] == QLatin1Char('\n')) ++breaks;
    for (qsizetype i = 0; i < breaks; ++i) log_->addItem(QString());
    log_->addItem(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss:   ")) + text.mid(breaks));
    log_->scrollToBottom();
}

}  // namespace zel::gui
