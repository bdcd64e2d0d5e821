#include "RunsCompareModel.h"

#include "QtText.h"

namespace kivra {

RunsCompareModel::RunsCompareModel(QObject* parent)
    : ComparisonModel(static_cast<int>(RunsColumn::Count), kRunsHeaders, parent) {}

void RunsCompareModel::SetDiff(RunsDiff diff, const NumberFormat& timeFormat) {
    beginResetModel();
    table_ = RunsRows(std::move(diff));
    TakeFormatAndSort(timeFormat);
    endResetModel();
}

void RunsCompareModel::Clear() { SetDiff({}, timeFormat_); }

QString RunsCompareModel::SummaryText() const {
    QString text = ToQString(RunsSummaryText(table_.Diff(), timeFormat_, percentFormat_));
    const std::string note = RunsNoteText(table_.Diff());
    if (!note.empty()) text += QLatin1Char(' ') + ToQString(note);
    return text;
}

void RunsCompareModel::SortRows(int column, bool descending) {
    table_.Sort(column < 0 ? RunsColumn::Count : static_cast<RunsColumn>(column), descending);
}

std::string RunsCompareModel::CellText(std::size_t row, int column) const {
    return RunsCellText(table_.EntryAt(row), static_cast<RunsColumn>(column), timeFormat_, percentFormat_);
}

double RunsCompareModel::CellValue(std::size_t row, int column) const {
    return RunsValue(table_.EntryAt(row), static_cast<RunsColumn>(column));
}

// Only what the test finds: a change that may be noise stays plain.
ComparisonModel::Change RunsCompareModel::RowChange(std::size_t row) const {
    switch (table_.EntryAt(row).Verdict) {
    case ChangeVerdict::Slower: return Change::Slower;
    case ChangeVerdict::Faster: return Change::Faster;
    case ChangeVerdict::Same: break;
    }
    return Change::None;
}

bool RunsCompareModel::OnOneSideOnly(std::size_t row) const {
    const RunsDiffEntry& entry = table_.EntryAt(row);
    return entry.Old.Runs == 0 || entry.New.Runs == 0;
}

QVariant RunsCompareModel::Alignment(int column) const {
    return column == static_cast<int>(RunsColumn::Verdict) ? QVariant(Qt::AlignCenter) : CellAlignment(column);
}

QVariant RunsCompareModel::ToolTip(int column) const {
    const auto which = static_cast<RunsColumn>(column);
    if (which == RunsColumn::Verdict || which == RunsColumn::PValue || which == RunsColumn::Interval)
        return ToQString(RunsMethodText());
    return {};
}

}  // namespace kivra
