#include "OperationLogModel.h"

#include <QApplication>
#include <QStyle>

namespace zel::gui {

OperationLogModel::OperationLogModel(QObject* parent) : QAbstractListModel(parent) {
    QStyle* style = QApplication::style();
    icons_[static_cast<size_t>(LogIcon::Warning)] = style->standardIcon(QStyle::SP_MessageBoxWarning);
    icons_[static_cast<size_t>(LogIcon::Information)] = style->standardIcon(QStyle::SP_MessageBoxInformation);
    icons_[static_cast<size_t>(LogIcon::Error)] = style->standardIcon(QStyle::SP_MessageBoxCritical);
    icons_[static_cast<size_t>(LogIcon::Time)] = style->standardIcon(QStyle::SP_BrowserReload);
    icons_[static_cast<size_t>(LogIcon::Success)] = style->standardIcon(QStyle::SP_DialogApplyButton);
}

void OperationLogModel::append(std::vector<LogRow> rows) {
    if (rows.empty()) return;
    const int first = static_cast<int>(rows_.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    endInsertRows();
}

QString OperationLogModel::message(int row) const {
    return QString::fromStdString(rows_.at(static_cast<size_t>(row)).message);
}

int OperationLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant OperationLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
    const LogRow& row = rows_[static_cast<size_t>(index.row())];
    if (role == Qt::DisplayRole) return QString::fromStdString(logRowDisplayText(row));
    if (role == Qt::DecorationRole) return icons_[static_cast<size_t>(row.icon)];
    return {};
}

}  // namespace zel::gui
