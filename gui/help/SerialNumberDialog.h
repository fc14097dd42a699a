// The factory page that gives an emulator its serial number: the emulator it goes to, one line
// for the number (input rules in core/SerialNumberInput.h), how the program will show it or why
// it is refused, and Write, which is enabled only for a number that may be written.
#pragma once

#include <QDialog>

#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zel::gui::help {

class SerialNumberDialog final : public QDialog {
    Q_OBJECT
public:
    SerialNumberDialog(const QString& emulator, QWidget* parent = nullptr);
    std::optional<std::uint32_t> serialNumber() const { return serial_; }

private:
    void inputChanged(const QString& text);

    QLineEdit* input_;
    QLabel* verdict_;
    QPushButton* write_;
    std::optional<std::uint32_t> serial_;
};

}  // namespace zel::gui::help
