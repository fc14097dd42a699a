// "SPI Trace Setting": whether the capture writes every record to a text file while it runs
// (ring mode) and which file, with the recently used paths and "Save to.." to find a new one.
// The sheet's OK applies it (apply()); the caller stores the options.
#pragma once

#include <QWidget>

#include "TraceSettings.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace zel::gui {
class Prompter;
}

namespace zel::gui::trace {

class TraceSettingsPage final : public QWidget {
    Q_OBJECT
public:
    TraceSettingsPage(CaptureOptions options, Prompter& prompter, QWidget* parent = nullptr);

    // The options with the page's choices taken.
    CaptureOptions apply() const;

private:
    void findFile();
    void enablePath(bool on);

    CaptureOptions options_;
    Prompter& prompter_;
    QCheckBox* continuous_;
    QComboBox* path_;
    QPushButton* find_;
};

}  // namespace zel::gui::trace
