#include "CompareModel.h"

#include <QFont>

#include "QtText.h"

namespace kivra {
namespace {

constexpr int kColumns = static_cast<int>(DiffColumn::Count);

DiffColumn ColumnOf(int section) { return static_cast<DiffColumn>(section); }

}  // namespace

CompareModel::CompareModel(QObject* parent) : SortedTableModel(kColumns, parent) {}

void CompareModel::SetDiff(TraceDiff diff, const NumberFormat& timeFormat) {
    beginResetModel();
    table_ = DiffRows(std::move(diff));
    if (sortColumn_ >= 0) table_.Sort(ColumnOf(sortColumn_), descending_);
    timeFormat_ = timeFormat;
    percentFormat_ = PercentFormat(timeFormat);
    endResetModel();
}

void CompareModel::Clear() { SetDiff({}, timeFormat_); }

QString CompareModel::SummaryText() const { return ToQString(table_.SummaryText(timeFormat_, percentFormat_)); }

QVariant CompareModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumns) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const DiffColumn column = ColumnOf(index.column());
    const DiffEntry& entry = table_.EntryAt(row);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return ToQString(table_.CellText(row, column, timeFormat_, percentFormat_));
    case Qt::TextAlignmentRole: return CellAlignment(index.column());
    case Qt::BackgroundRole:
        // Slower in red, faster in green; the colours are faint so that
        // the text reads in a light and a dark palette alike.
        if (entry.OwnChange > 0.0) return QColor(255, 0, 0, 48);
        if (entry.OwnChange < 0.0) return QColor(0, 160, 0, 48);
        return {};
    case Qt::FontRole:
        if (entry.Status != DiffStatus::Both && column == DiffColumn::Name) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return {};
    case kValueRole: return DiffValue(entry, column);
    default: return {};
    }
}

QVariant CompareModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) return {};
    return Header(kDiffHeaders[section], section, role);
}

void CompareModel::sort(int column, Qt::SortOrder order) {
    if (column >= kColumns) return;
    const bool descending = order == Qt::DescendingOrder;
    if (column < 0) column = -1;
    if (column == sortColumn_ && (column < 0 || descending == descending_)) return;
    Reorder([&] {
        sortColumn_ = column;
        descending_ = descending;
        table_.Sort(column < 0 ? DiffColumn::Count : ColumnOf(column), descending);
    });
}

}  // namespace kivra
