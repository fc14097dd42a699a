#include "TraceRowsModel.h"

namespace zel::gui::trace {

void TraceRowsModel::showRows(std::vector<zel::trace::TraceRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int TraceRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TraceRowsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant TraceRowsModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    const auto& row = rows_[static_cast<size_t>(index.row())];
    const std::string* cells[] = {&row.timestamp, &row.count, &row.command, &row.address, &row.data};
    QString text = QString::fromStdString(*cells[index.column()]);
    // The star line carries line breaks for the text files; one line in the list.
    if (row.kind == zel::trace::TraceRow::Kind::Separator) text = text.trimmed().replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QVariant TraceRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    static const char* const kTitles[] = {"TIMESTAMP(s)", "CNT", "CMD", "ADDRESS", "DATA"};
    return QString::fromLatin1(kTitles[section]);
}

}  // namespace zel::gui::trace
