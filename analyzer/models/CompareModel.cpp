#include "CompareModel.h"

#include "QtText.h"

namespace kivra {

CompareModel::CompareModel(QObject* parent)
    : ComparisonModel(static_cast<int>(DiffColumn::Count), kDiffHeaders, parent) {}

void CompareModel::SetDiff(TraceDiff diff, const NumberFormat& timeFormat) {
    beginResetModel();
    table_ = DiffRows(std::move(diff));
    TakeFormatAndSort(timeFormat);
    endResetModel();
}

void CompareModel::Clear() { SetDiff({}, timeFormat_); }

QString CompareModel::SummaryText() const { return ToQString(table_.SummaryText(timeFormat_, percentFormat_)); }

void CompareModel::SortRows(int column, bool descending) {
    table_.Sort(column < 0 ? DiffColumn::Count : static_cast<DiffColumn>(column), descending);
}

std::string CompareModel::CellText(std::size_t row, int column) const {
    return table_.CellText(row, static_cast<DiffColumn>(column), timeFormat_, percentFormat_);
}

double CompareModel::CellValue(std::size_t row, int column) const {
    return DiffValue(table_.EntryAt(row), static_cast<DiffColumn>(column));
}

ComparisonModel::Change CompareModel::RowChange(std::size_t row) const {
    const double change = table_.EntryAt(row).OwnChange;
    return change > 0.0 ? Change::Slower : change < 0.0 ? Change::Faster : Change::None;
}

bool CompareModel::OnOneSideOnly(std::size_t row) const { return table_.EntryAt(row).Status != DiffStatus::Both; }

}  // namespace kivra
