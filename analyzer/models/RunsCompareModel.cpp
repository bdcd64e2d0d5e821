#include "RunsCompareModel.h"

#include <QColor>
#include <QFont>

#include "QtText.h"

namespace kivra {
namespace {

constexpr int kColumns = static_cast<int>(RunsColumn::Count);

RunsColumn ColumnOf(int section) { return static_cast<RunsColumn>(section); }

}  // namespace

RunsCompareModel::RunsCompareModel(QObject* parent) : SortedTableModel(kColumns, parent) {}

void RunsCompareModel::SetDiff(RunsDiff diff, const NumberFormat& timeFormat) {
    beginResetModel();
    table_ = RunsRows(std::move(diff));
    if (sortColumn_ >= 0) table_.Sort(ColumnOf(sortColumn_), descending_);
    timeFormat_ = timeFormat;
    percentFormat_ = PercentFormat(timeFormat);
    endResetModel();
}

void RunsCompareModel::Clear() { SetDiff({}, timeFormat_); }

QString RunsCompareModel::SummaryText() const {
    QString text = ToQString(RunsSummaryText(table_.Diff(), timeFormat_, percentFormat_));
    const std::string note = RunsNoteText(table_.Diff());
    if (!note.empty()) text += QLatin1Char(' ') + ToQString(note);
    return text;
}

QVariant RunsCompareModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumns) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const RunsColumn column = ColumnOf(index.column());
    const RunsDiffEntry& entry = table_.EntryAt(row);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return ToQString(RunsCellText(entry, column, timeFormat_, percentFormat_));
    case Qt::TextAlignmentRole:
        return column == RunsColumn::Verdict ? QVariant(Qt::AlignCenter) : CellAlignment(index.column());
    case Qt::BackgroundRole:
        // Only what the test finds: a change that may be noise stays plain.
        if (entry.Verdict == ChangeVerdict::Slower) return QColor(255, 0, 0, 48);
        if (entry.Verdict == ChangeVerdict::Faster) return QColor(0, 160, 0, 48);
        return {};
    case Qt::FontRole:
        if ((entry.Old.Runs == 0 || entry.New.Runs == 0) && column == RunsColumn::Name) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return {};
    case Qt::ToolTipRole:
        if (column == RunsColumn::Verdict || column == RunsColumn::PValue || column == RunsColumn::Interval)
            return ToQString(RunsMethodText());
        return {};
    case kValueRole: return RunsValue(entry, column);
    default: return {};
    }
}

QVariant RunsCompareModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) return {};
    return Header(kRunsHeaders[section], section, role);
}

void RunsCompareModel::sort(int column, Qt::SortOrder order) {
    if (column >= kColumns) return;
    const bool descending = order == Qt::DescendingOrder;
    if (column < 0) column = -1;
    if (column == sortColumn_ && (column < 0 || descending == descending_)) return;
    Reorder([&] {
        sortColumn_ = column;
        descending_ = descending;
        table_.Sort(column < 0 ? RunsColumn::Count : ColumnOf(column), descending);
    });
}

}  // namespace kivra
