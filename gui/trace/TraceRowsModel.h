// The viewer's list: the rows of the page on screen only (TIMESTAMP(s), CNT, CMD, ADDRESS, DATA).
// The page is decoded by the core whenever the external scroll bar moves; Qt never sees a row
// per record.
#pragma once

#include <QAbstractTableModel>

#include <vector>

#include "trace/DisplayRows.h"

namespace zel::gui::trace {

class TraceRowsModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Timestamp, Count, Command, Address, Data, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void showRows(std::vector<zel::trace::TraceRow> rows);
    const std::vector<zel::trace::TraceRow>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<zel::trace::TraceRow> rows_;
};

}  // namespace zel::gui::trace
