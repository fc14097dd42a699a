// "Fill Buffer": start, end (inclusive) and value, each hexadecimal; an empty field reads as 0.
// OK hands the three to the fill the owner gives, which refuses a bad range with its reason: the
// dialog then shows the reason and stays open.
#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <string_view>

class QLineEdit;

namespace zel::gui {
class Prompter;
}

namespace zel::gui::editor {

// Fills start..end with value; the problem text when refused, empty when done.
using FillAction = std::function<std::string_view(uint64_t start, uint64_t end, uint8_t value)>;

class FillBufferDialog final : public QDialog {
    Q_OBJECT
public:
    FillBufferDialog(FillAction fill, Prompter& prompter, QWidget* parent);

    void accept() override;

private:
    FillAction fill_;
    Prompter& prompter_;
    QLineEdit* start_;
    QLineEdit* end_;
    QLineEdit* value_;
};

}  // namespace zel::gui::editor
