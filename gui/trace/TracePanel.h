// The main view's SPI trace buttons (Start Trace, Stop Trace, Save Trace, Clear Buffer, Display
// Trace) and the continuous writer's "Saving..." text. It only presents; TraceFeature decides.
#pragma once

#include <QGroupBox>

#include "TraceEnableRules.h"

class QLabel;
class QPushButton;

namespace zel::gui::trace {

class TracePanel final : public QGroupBox {
    Q_OBJECT
public:
    explicit TracePanel(QWidget* parent = nullptr);

    void showEnables(const TraceEnables& enables);
    // Empty hides the text.
    void showSaving(const QString& text);

signals:
    void startClicked();
    void stopClicked();
    void saveClicked();
    void clearClicked();
    void displayClicked();

private:
    QPushButton* button(const QString& text, const char* name, void (TracePanel::*signal)());

    QPushButton *start_, *stop_, *save_, *clear_, *display_;
    QLabel* saving_;
};

}  // namespace zel::gui::trace
