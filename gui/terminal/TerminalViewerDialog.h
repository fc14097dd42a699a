// "SPI Hyper-Terminal Viewer": the terminal's rows as they were when it opened (all rows, and the
// check-point rows alone), the panel's Start / Stop / Clear Buffer / Save Log, Send to the target
// while the terminal runs, and Search for the next row holding some words. The rows are served
// from the terminal's own row store, so a million rows open at once.
#pragma once

#include <QDialog>

class QLineEdit;
class QListView;
class QListWidget;

namespace zel::gui {

class TerminalLogModel;
class TerminalPanel;

class TerminalViewerDialog final : public QDialog {
    Q_OBJECT
public:
    TerminalViewerDialog(TerminalPanel& panel, QWidget* parent = nullptr);

    // Selects the next row holding the search edit's text; false when none does.
    bool searchNext();
    QListView* rowsView() const { return rows_; }
    QListWidget* checkPointRows() const { return checkPoints_; }

private:
    void refresh();
    QWidget* buildButtons();

    TerminalPanel& panel_;
    TerminalLogModel* model_;
    QListView* rows_;
    QListWidget* checkPoints_;
    QLineEdit* sendEdit_;
    QLineEdit* searchEdit_;
};

}  // namespace zel::gui
