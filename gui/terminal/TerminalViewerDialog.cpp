#include "TerminalViewerDialog.h"

#include "NamedButton.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "RowSearch.h"
#include "TerminalLogModel.h"
#include "TerminalPanel.h"

namespace zel::gui {
namespace {

}  // namespace

TerminalViewerDialog::TerminalViewerDialog(TerminalPanel& panel, QWidget* parent)
    : QDialog(parent), panel_(panel), model_(new TerminalLogModel(panel.decoder().log(), this)) {
    setObjectName(QStringLiteral("terminalViewer"));
    setWindowTitle(QStringLiteral("SPI Hyper-Terminal Viewer"));
    rows_ = new QListView(this);
    rows_->setObjectName(QStringLiteral("viewerRows"));
    rows_->setModel(model_);
    rows_->setUniformItemSizes(true);
    checkPoints_ = new QListWidget(this);
    checkPoints_->setObjectName(QStringLiteral("viewerCheckPoints"));

    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel(QStringLiteral("VarnikLogs"), this), 0, 0);
    lists->addWidget(new QLabel(QStringLiteral("Check Point"), this), 0, 1);
    lists->addWidget(rows_, 1, 0);
    lists->addWidget(checkPoints_, 1, 1);
    lists->setColumnStretch(0, 3);
    lists->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addWidget(buildButtons());
    resize(820, 520);
    refresh();
}

QWidget* TerminalViewerDialog::buildButtons() {
    auto* box = new QWidget(this);
    auto* start = namedButton(QStringLiteral("Start"), "viewerStartButton", box);
    auto* stop = namedButton(QStringLiteral("Stop"), "viewerStopButton", box);
    auto* clear = namedButton(QStringLiteral("Clear Buffer"), "viewerClearButton", box);
    auto* save = namedButton(QStringLiteral("Save Log"), "viewerSaveButton", box);
    connect(start, &QPushButton::clicked, this, [this] {
        panel_.start();
        refresh();
    });
    connect(stop, &QPushButton::clicked, this, [this] {
        panel_.stop();
        refresh();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        panel_.clear();
        refresh();
    });
    connect(save, &QPushButton::clicked, &panel_, &TerminalPanel::saveRequested);

    auto* write = new QGroupBox(QStringLiteral("Write to Zelmor"), box);
    sendEdit_ = new QLineEdit(write);
    sendEdit_->setObjectName(QStringLiteral("viewerSendEdit"));
    auto* send = namedButton(QStringLiteral("Send"), "viewerSendButton", write);
    connect(send, &QPushButton::clicked, this, [this] { panel_.sendText(sendEdit_->text(), false); });
    auto* writeRow = new QHBoxLayout(write);
    writeRow->addWidget(sendEdit_, 1);
    writeRow->addWidget(send);

    auto* search = new QGroupBox(QStringLiteral("Search"), box);
    searchEdit_ = new QLineEdit(search);
    searchEdit_->setObjectName(QStringLiteral("viewerSearchEdit"));
    auto* find = namedButton(QStringLiteral("Search"), "viewerSearchButton", search);
    connect(find, &QPushButton::clicked, this, &TerminalViewerDialog::searchNext);
    connect(searchEdit_, &QLineEdit::returnPressed, this, &TerminalViewerDialog::searchNext);
    auto* searchRow = new QHBoxLayout(search);
    searchRow->addWidget(searchEdit_, 1);
    searchRow->addWidget(find);

    auto* buttons = new QHBoxLayout;
    for (auto* made : {start, stop, clear, save}) buttons->addWidget(made);
    buttons->addStretch(1);
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(buttons, 0, 0, 1, 2);
    layout->addWidget(write, 1, 0);
    layout->addWidget(search, 1, 1);
    return box;
}

// The rows as they stand now; the lists do not follow rows added later.
void TerminalViewerDialog::refresh() {
    model_->sync();
    checkPoints_->clear();
    const auto& log = panel_.decoder().log();
    for (int row = 0; row < model_->rowCount(); ++row) {
        if (log.rowKind(static_cast<size_t>(row)) != terminal::TextKind::CheckPoint) continue;
        const QModelIndex index = model_->index(row);
        auto* item = new QListWidgetItem(model_->data(index, Qt::DisplayRole).toString(), checkPoints_);
        item->setForeground(model_->data(index, Qt::ForegroundRole).value<QBrush>());
    }
}

bool TerminalViewerDialog::searchNext() {
    const QModelIndex current = rows_->currentIndex();
    const auto& log = panel_.decoder().log();
    const auto found = findNextRow(static_cast<size_t>(model_->rowCount()),
                                   current.isValid() ? std::optional<size_t>(static_cast<size_t>(current.row())) : std::nullopt,
                                   searchEdit_->text().toStdString(), [&](size_t row) { return log.rowText(row); });
    if (!found) return false;
    const QModelIndex index = model_->index(static_cast<int>(*found));
    rows_->setCurrentIndex(index);
    rows_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    return true;
}

}  // namespace zel::gui
