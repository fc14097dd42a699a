#include "TracePanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace zel::gui::trace {

QPushButton* TracePanel::button(const QString& text, const char* name, void (TracePanel::*signal)()) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::fromLatin1(name));
    connect(button, &QPushButton::clicked, this, signal);
    return button;
}

TracePanel::TracePanel(QWidget* parent) : QGroupBox(QStringLiteral("SPI Trace"), parent) {
    setObjectName(QStringLiteral("tracePanel"));
    start_ = button(QStringLiteral("Start Trace"), "startTraceButton", &TracePanel::startClicked);
    stop_ = button(QStringLiteral("Stop Trace"), "stopTraceButton", &TracePanel::stopClicked);
    save_ = button(QStringLiteral("Save Trace"), "saveTraceButton", &TracePanel::saveClicked);
    clear_ = button(QStringLiteral("Clear Buffer"), "clearBufferButton", &TracePanel::clearClicked);
    display_ = button(QStringLiteral("Display Trace"), "displayTraceButton", &TracePanel::displayClicked);
    saving_ = new QLabel(this);
    saving_->setObjectName(QStringLiteral("traceSavingLabel"));
    saving_->setMinimumWidth(saving_->fontMetrics().horizontalAdvance(QStringLiteral("Saving...")) + 8);
    auto* layout = new QHBoxLayout(this);
    for (QWidget* widget : {static_cast<QWidget*>(start_), static_cast<QWidget*>(stop_), static_cast<QWidget*>(save_),
                            static_cast<QWidget*>(clear_), static_cast<QWidget*>(display_)})
        layout->addWidget(widget);
    layout->addWidget(saving_);
    layout->addStretch(1);
    showEnables({});
}

void TracePanel::showEnables(const TraceEnables& enables) {
    start_->setEnabled(enables.start);
    stop_->setEnabled(enables.stop);
    save_->setEnabled(enables.save);
    clear_->setEnabled(enables.clear);
    display_->setEnabled(enables.display);
}

void TracePanel::showSaving(const QString& text) {
    saving_->setText(text);
    saving_->setVisible(!text.isEmpty());
}

}  // namespace zel::gui::trace
