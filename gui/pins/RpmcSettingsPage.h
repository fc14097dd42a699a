// "RPMC Setting": per counter an "Initialized" box and its key and count edits (hex digits only;
// a short one is warned about when the edit is left, and kept), with Load and Save of .rpmc
// files. An unchecked counter's edits are disabled and go back to the defaults.
#pragma once

#include <QWidget>

#include <array>

#include "RpmcChoices.h"

class QCheckBox;
class QLineEdit;

namespace zel::gui {
class Prompter;
}

namespace zel::gui::pins {

class RpmcSettingsPage final : public QWidget {
    Q_OBJECT
public:
    RpmcSettingsPage(const RpmcCounters& counters, Prompter& prompter, QWidget* parent = nullptr);

    RpmcCounters counters() const;
    void loadFile();
    void saveFile();

private:
    struct CounterRow {
        QCheckBox* initialized;
        QLineEdit* key;
        QLineEdit* count;
    };

    CounterRow makeRow(std::size_t counter);
    void showCounters(const RpmcCounters& counters);
    void setInitialized(std::size_t counter, bool initialized);
    void warnIfShort(std::size_t counter, QLineEdit* edit);

    Prompter& prompter_;
    std::array<CounterRow, rpmc::kCounterCount> rows_{};
};

}  // namespace zel::gui::pins
