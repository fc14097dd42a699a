// The terminal's rows for a list view: "#n  text" in the row kind's colour, served a row at a
// time from the Qt-free row store. sync() announces the rows added since the last call in one
// insert, so the view takes thousands of rows a second without a signal each.
#pragma once

#include "terminal/TerminalLog.h"
#include "terminal/TextColours.h"

#include <QAbstractListModel>

namespace zel::gui {

class TerminalLogModel final : public QAbstractListModel {
    Q_OBJECT
public:
    TerminalLogModel(const terminal::TerminalLog& log, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void setColours(const terminal::TextColours& colours);
    // After the log changed: inserts, a changed open row, or a reset when it was cleared.
    void sync();

private:
    const terminal::TerminalLog& log_;
    terminal::TextColours colours_;
    int shown_ = 0;
};

}  // namespace zel::gui
