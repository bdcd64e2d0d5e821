#include "ProceduresModel.h"

#include "QtText.h"

namespace kivra {
namespace {

constexpr int kColumns = static_cast<int>(ProcedureColumn::Count);

ProcedureColumn ColumnOf(int section) { return static_cast<ProcedureColumn>(section); }

}  // namespace

ProceduresModel::ProceduresModel(QObject* parent) : SortedTableModel(kColumns, parent) {}

void ProceduresModel::SetProfile(FlatProfile profile, const NumberFormat& timeFormat) {
    beginResetModel();
    const ProcedureColumn column = table_.SortColumn();
    const bool descending = table_.SortDescending();
    table_ = ProcedureTable(std::move(profile));
    if (column != table_.SortColumn() || descending != table_.SortDescending()) table_.Sort(column, descending);
    timeFormat_ = timeFormat;
    percentFormat_ = PercentFormat(timeFormat);
    endResetModel();
}

void ProceduresModel::Clear() { SetProfile({}, timeFormat_); }

void ProceduresModel::Narrow(const RowMatcher* matcher) {
    // Narrowed as before (a tab switch, a toggle that changes nothing): the
    // selection and the scrolling stay.
    if (!table_.NarrowChanges(matcher)) return;
    beginResetModel();
    table_.Narrow(matcher);
    endResetModel();
}

QModelIndex ProceduresModel::IndexOfProcedure(std::size_t procedure, int column) const {
    const auto row = table_.RowOf(procedure);
    return row ? index(static_cast<int>(*row), column) : QModelIndex();
}

QVariant ProceduresModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumns) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const ProcedureColumn column = ColumnOf(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return ToQString(table_.CellText(row, column, timeFormat_, percentFormat_));
    case Qt::TextAlignmentRole: return CellAlignment(index.column());
    case kValueRole: return ProcedureValue(table_.EntryAt(row), column);
    case kProcedureRole: return static_cast<qulonglong>(table_.ProcedureAt(row));
    default: return {};
    }
}

QVariant ProceduresModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) return {};
    if (role == Qt::TextAlignmentRole) return CellAlignment(section);
    return Header(kProcedureHeaders[section], section, role);
}

void ProceduresModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kColumns) return;
    const bool descending = order == Qt::DescendingOrder;
    if (ColumnOf(column) == table_.SortColumn() && descending == table_.SortDescending()) return;
    Reorder([&] { table_.Sort(ColumnOf(column), descending); });
}

}  // namespace kivra
