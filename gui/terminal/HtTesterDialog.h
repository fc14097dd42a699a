// "SPI Hyper Terminal Tester": reads one of the six terminal registers and explains the main
// one, reads the uFIFO, writes hex or text to the dFIFO, and logs each step with its time. While
// the terminal or a trace capture owns the emulator's transfers it refuses, saying why.
#pragma once

#include <QDialog>

#include <functional>

#include "HtTester.h"

class QComboBox;
class QLineEdit;
class QListWidget;

namespace zel::gui {

class HtTesterDialog final : public QDialog {
    Q_OBJECT
public:
    // `refusal` gives why the tester must not touch the emulator now (empty: it may).
    HtTesterDialog(tester::HtDevice& device, std::function<QString()> refusal, QWidget* parent = nullptr);

    QListWidget* log() const { return log_; }

private:
    void run(const std::function<tester::Lines()>& step);
    void append(const QString& text);

    tester::HtDevice& device_;
    std::function<QString()> refusal_;
    QComboBox* registers_;
    QLineEdit *hex_, *text_;
    QListWidget* log_;
};

}  // namespace zel::gui
