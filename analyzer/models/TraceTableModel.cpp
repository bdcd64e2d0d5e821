#include "TraceTableModel.h"

#include <QColor>
#include <algorithm>

#include "QtText.h"

namespace kivra {
namespace {

const char* const kHeaders[kTraceColumnCount] = {"Code Trace", "Total (ms)", "Time (ms)", "Data In",
                                                 "Data Log",   "Data Out",   "Order",     "Depth"};

}  // namespace

TraceTableModel::TraceTableModel(QObject* parent) : QAbstractItemModel(parent) {}

void TraceTableModel::SetRows(std::vector<TableRow> rows, std::shared_ptr<const TraceTexts> texts) {
    beginResetModel();
    corrected_ = false;
    otherTotals_.clear();
    otherTimes_.clear();
    rows_ = std::move(rows);
    texts_ = std::move(texts);
    const std::size_t n = rows_.size();
    levels_.assign(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const int parent = rows_[i].parent;
        if (parent >= 0 && static_cast<std::size_t>(parent) < i) {
            levels_[i] = levels_[static_cast<std::size_t>(parent)] + 1;
        } else {
            rows_[i].parent = -1;
        }
    }
    // A row's subtree is the run of rows after it with a greater level: it
    // ends at the next row that is not deeper.
    subtreeEnd_.assign(n, static_cast<std::int32_t>(n));
    std::vector<std::int32_t> open;  // rows whose subtree has not ended yet
    for (std::size_t i = 0; i < n; ++i) {
        while (!open.empty() && levels_[static_cast<std::size_t>(open.back())] >= levels_[i]) {
            subtreeEnd_[static_cast<std::size_t>(open.back())] = static_cast<std::int32_t>(i);
            open.pop_back();
        }
        open.push_back(static_cast<std::int32_t>(i));
    }
    expanded_.assign(n, 1);
    shown_.resize(n);
    for (std::size_t i = 0; i < n; ++i) shown_[i] = static_cast<std::int32_t>(i);
    endResetModel();
}

std::string TraceTableModel::Cell(int row, int column) const {
    const TableRow& r = rows_[static_cast<std::size_t>(row)];
    switch (column) {
    case kColCodeTrace: return std::string(r.label);
    case kColTotal: return r.total.str();
    case kColTime: return r.time.str();
    case kColDataIn: return std::string(r.dataIn);
    case kColDataLog: return std::string(r.dataLog);
    case kColDataOut: return std::string(r.dataOut);
    case kColOrder: return std::to_string(r.order);
    case kColDepth: return std::to_string(r.depth);
    default: return {};
    }
}

bool TraceTableModel::IsExpanded(int row) const {
    return row >= 0 && row < RowCount() && HasChildren(row) && expanded_[static_cast<std::size_t>(row)] != 0;
}

int TraceTableModel::PlaceOf(int row) const {
    const auto found = std::lower_bound(shown_.begin(), shown_.end(), row);
    if (found == shown_.end() || *found != row) return -1;
    return static_cast<int>(found - shown_.begin());
}

void TraceTableModel::SetExpanded(int row, bool expanded) {
    if (row < 0 || row >= RowCount() || !HasChildren(row) || IsExpanded(row) == expanded) return;
    expanded_[static_cast<std::size_t>(row)] = expanded ? 1 : 0;
    if (IsShown(row)) Relayout();
}

void TraceTableModel::ExpandRows(const std::vector<int>& rows) {
    bool changed = false;
    for (const int row : rows) {
        if (row < 0 || row >= RowCount() || !HasChildren(row) || IsExpanded(row)) continue;
        expanded_[static_cast<std::size_t>(row)] = 1;
        changed = true;
    }
    if (changed) Relayout();
}

void TraceTableModel::ExpandBranch(int row) {
    if (row < 0 || row >= RowCount() || !HasChildren(row)) return;
    std::fill(expanded_.begin() + row, expanded_.begin() + subtreeEnd_[static_cast<std::size_t>(row)], 1);
    if (IsShown(row)) Relayout();
}

void TraceTableModel::ExpandAll() {
    std::fill(expanded_.begin(), expanded_.end(), 1);
    Relayout();
}

void TraceTableModel::CollapseAll() {
    std::fill(expanded_.begin(), expanded_.end(), 0);
    Relayout();
}

void TraceTableModel::Relayout() {
    std::vector<std::int32_t> shown;
    shown.reserve(rows_.size());
    const auto n = static_cast<std::int32_t>(rows_.size());
    for (std::int32_t i = 0; i < n;) {
        shown.push_back(i);
        i = expanded_[static_cast<std::size_t>(i)] != 0 ? i + 1 : subtreeEnd_[static_cast<std::size_t>(i)];
    }
    if (shown == shown_) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Only the indexes someone keeps (the selection, the current row) move.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) {
        const int row = RowOf(old);
        const auto found = std::lower_bound(shown.begin(), shown.end(), row);
        after.push_back(found != shown.end() && *found == row ? createIndex(static_cast<int>(found - shown.begin()),
                                                                            old.column(), static_cast<quintptr>(row))
                                                              : QModelIndex());
    }
    shown_ = std::move(shown);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QModelIndex TraceTableModel::IndexOfRow(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= kTraceColumnCount) return {};
    const int place = PlaceOf(row);
    if (place < 0) return {};
    return createIndex(place, column, static_cast<quintptr>(row));
}

QModelIndex TraceTableModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || column < 0 || column >= kTraceColumnCount || row < 0 ||
        static_cast<std::size_t>(row) >= shown_.size()) {
        return {};
    }
    return createIndex(row, column, static_cast<quintptr>(shown_[static_cast<std::size_t>(row)]));
}

QModelIndex TraceTableModel::parent(const QModelIndex&) const { return {}; }

int TraceTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int TraceTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kTraceColumnCount; }

bool TraceTableModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

QVariant TraceTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const TableRow& row = rows_[static_cast<std::size_t>(RowOf(index))];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (index.column()) {
        case kColCodeTrace: return ToQString(row.label);
        case kColTotal: return ToQString(row.total.view());
        case kColTime: return ToQString(row.time.view());
        case kColDataIn: return ToQString(row.dataIn);
        case kColDataLog: return ToQString(row.dataLog);
        case kColDataOut: return ToQString(row.dataOut);
        case kColOrder: return QString::number(row.order);
        case kColDepth: return QString::number(row.depth);
        default: return {};
        }
    case Qt::TextAlignmentRole:
        if (index.column() == kColTotal || index.column() == kColTime) {
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        }
        return {};
    case Qt::BackgroundRole:
        if (row.stopRow && index.column() == kColCodeTrace) return QColor(230, 150, 150);
        return {};
    default: return {};
    }
}

void TraceTableModel::SetCorrectedTimes(std::vector<ShortText> totals, std::vector<ShortText> times) {
    ShowCorrected(false);
    if (totals.size() != rows_.size() || times.size() != rows_.size()) {
        totals.clear();
        times.clear();
    }
    otherTotals_ = std::move(totals);
    otherTimes_ = std::move(times);
}

void TraceTableModel::ShowCorrected(bool corrected) {
    if (corrected == corrected_ || otherTotals_.empty()) return;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        std::swap(rows_[i].total, otherTotals_[i]);
        std::swap(rows_[i].time, otherTimes_[i]);
    }
    corrected_ = corrected;
    emit headerDataChanged(Qt::Horizontal, kColTotal, kColTime);
    if (!shown_.empty()) {
        emit dataChanged(index(0, kColTotal), index(static_cast<int>(shown_.size()) - 1, kColTime), {Qt::DisplayRole});
    }
}

QVariant TraceTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kTraceColumnCount) return {};
    if (role == Qt::DisplayRole && corrected_ && section == kColTotal) return QStringLiteral("Total (ms, corrected)");
    if (role == Qt::DisplayRole && corrected_ && section == kColTime) return QStringLiteral("Time (ms, corrected)");
    if (role == Qt::DisplayRole) return QString::fromLatin1(kHeaders[section]);
    if (role == Qt::TextAlignmentRole && section <= kColDataOut) return QVariant::fromValue(Qt::AlignCenter);
    return {};
}

}  // namespace kivra
