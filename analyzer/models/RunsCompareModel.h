// The Compare view's model when a side holds several runs: per procedure
// the medians with their spread, the change, its interval, p and the
// verdict; only significant changes tinted (slower red, faster green),
// "~" rows in the plain colours.
#pragma once

#include "ComparisonModel.h"
#include "RunsDiffRows.h"

namespace kivra {

class RunsCompareModel : public ComparisonModel {
    Q_OBJECT
public:
    explicit RunsCompareModel(QObject* parent = nullptr);

    // Replaces every row; a sort by a column stays in force.
    void SetDiff(RunsDiff diff, const NumberFormat& timeFormat);
    void Clear();
    const RunsRows& Table() const { return table_; }
    // The top-level line, and the note when a side needs more runs.
    QString SummaryText() const;

protected:
    std::size_t ShownRows() const override { return table_.RowCount(); }
    std::size_t ItemAt(std::size_t row) const override { return table_.EntryIndexAt(row); }
    std::size_t ItemCount() const override { return table_.Diff().Entries.size(); }
    void SortRows(int column, bool descending) override;
    std::string CellText(std::size_t row, int column) const override;
    double CellValue(std::size_t row, int column) const override;
    Change RowChange(std::size_t row) const override;
    bool OnOneSideOnly(std::size_t row) const override;
    QVariant Alignment(int column) const override;
    QVariant ToolTip(int column) const override;

private:
    RunsRows table_;
};

}  // namespace kivra
