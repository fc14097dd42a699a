#include "TerminalLogModel.h"

#include <QBrush>
#include <QColor>

namespace zel::gui {
namespace {

constexpr size_t kShownBytes = 4096;

}  // namespace

TerminalLogModel::TerminalLogModel(const terminal::TerminalLog& log, QObject* parent)
    : QAbstractListModel(parent), log_(log) {}

int TerminalLogModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }

QVariant TerminalLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shown_) return {};
    const auto row = static_cast<size_t>(index.row());
    if (role == Qt::DisplayRole) {
        std::string text = log_.prefixedRow(row);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        // A hex stream's row grows to hundreds of kilobytes; laying that out at every repaint
        // stalls the window for seconds. The list shows its head; Save Log writes it whole.
        if (text.size() > kShownBytes) text.replace(kShownBytes, std::string::npos, " ...");
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    if (role == Qt::ForegroundRole) return QBrush(QColor::fromRgb(colours_.of(log_.rowKind(row))));
    if (role == Qt::UserRole) return static_cast<int>(log_.rowKind(row));
    return {};
}

void TerminalLogModel::setColours(const terminal::TextColours& colours) {
    colours_ = colours;
    if (shown_ > 0) emit dataChanged(index(0), index(shown_ - 1), {Qt::ForegroundRole});
}

void TerminalLogModel::sync() {
    const int now = static_cast<int>(log_.rowCount());
    if (now < shown_) {
        beginResetModel();
        shown_ = now;
        endResetModel();
        return;
    }
    if (shown_ > 0) emit dataChanged(index(shown_ - 1), index(shown_ - 1));  // the open row grew
    if (now == shown_) return;
    beginInsertRows({}, shown_, now - 1);
    shown_ = now;
    endInsertRows();
}

}  // namespace zel::gui
