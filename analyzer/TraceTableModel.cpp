#include "TraceTableModel.h"

#include <QColor>

#include "QtText.h"

namespace kivra {
namespace {

const char* const kHeaders[kTraceColumnCount] = {"Code Trace", "Total (ms)", "Time (ms)", "Data In",
                                                 "Data Log",   "Data Out",   "Order",     "Depth"};

}  // namespace

TraceTableModel::TraceTableModel(QObject* parent) : QAbstractItemModel(parent) {}

void TraceTableModel::SetRows(std::vector<TableRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    const std::size_t n = rows_.size();
    levels_.assign(n, 0);
    positions_.assign(n, 0);
    children_.assign(n, {});
    topLevel_.clear();
    for (std::size_t i = 0; i < n; ++i) {
        const int parent = rows_[i].parent;
        if (parent >= 0 && static_cast<std::size_t>(parent) < i) {
            auto& siblings = children_[static_cast<std::size_t>(parent)];
            positions_[i] = static_cast<int>(siblings.size());
            siblings.push_back(static_cast<int>(i));
            levels_[i] = levels_[static_cast<std::size_t>(parent)] + 1;
        } else {
            rows_[i].parent = -1;
            positions_[i] = static_cast<int>(topLevel_.size());
            topLevel_.push_back(static_cast<int>(i));
        }
    }
    endResetModel();
}

QModelIndex TraceTableModel::IndexOfRow(int row, int column) const {
    if (row < 0 || row >= RowCount()) return {};
    return createIndex(positions_[static_cast<std::size_t>(row)], column, static_cast<quintptr>(row));
}

QModelIndex TraceTableModel::index(int row, int column, const QModelIndex& parent) const {
    if (column < 0 || column >= kTraceColumnCount || row < 0) return {};
    const std::vector<int>& siblings =
        parent.isValid() ? children_[static_cast<std::size_t>(RowOf(parent))] : topLevel_;
    if (static_cast<std::size_t>(row) >= siblings.size()) return {};
    return createIndex(row, column, static_cast<quintptr>(siblings[static_cast<std::size_t>(row)]));
}

QModelIndex TraceTableModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    return IndexOfRow(rows_[static_cast<std::size_t>(RowOf(child))].parent);
}

int TraceTableModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return static_cast<int>(topLevel_.size());
    if (parent.column() != 0) return 0;
    return static_cast<int>(children_[static_cast<std::size_t>(RowOf(parent))].size());
}

int TraceTableModel::columnCount(const QModelIndex&) const { return kTraceColumnCount; }

bool TraceTableModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

QVariant TraceTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const TableRow& row = rows_[static_cast<std::size_t>(RowOf(index))];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return ToQString(row.cells[static_cast<std::size_t>(index.column())]);
        case Qt::TextAlignmentRole:
            if (index.column() == kColTotal || index.column() == kColTime) {
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            }
            return {};
        case Qt::BackgroundRole:
            if (row.stopRow && index.column() == kColCodeTrace) return QColor(230, 150, 150);
            return {};
        default:
            return {};
    }
}

QVariant TraceTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kTraceColumnCount) return {};
    if (role == Qt::DisplayRole) return QString::fromLatin1(kHeaders[section]);
    if (role == Qt::TextAlignmentRole && section <= kColDataOut) return QVariant::fromValue(Qt::AlignCenter);
    return {};
}

}  // namespace kivra
