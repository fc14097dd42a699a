// The operation log as a list model over compact rows: rows arrive in batches (one insertion per
// batch), their text and icon are made only when a row is shown.
#pragma once

#include <QAbstractListModel>
#include <QIcon>

#include <array>
#include <vector>

#include "LogRow.h"

namespace zel::gui {

class OperationLogModel final : public QAbstractListModel {
    Q_OBJECT
public:
    explicit OperationLogModel(QObject* parent = nullptr);

    void append(std::vector<LogRow> rows);
    const std::vector<LogRow>& rows() const { return rows_; }
    // The message of row `row` (tests and the save command).
    QString message(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<LogRow> rows_;
    std::array<QIcon, 7> icons_;
};

}  // namespace zel::gui
