// The Compare view's model when a side holds several runs: per procedure
// the medians with their spread, the change, its interval, p and the
// verdict; only significant changes tinted (slower red, faster green),
// "~" rows in the plain colours.
#pragma once

#include "NumberFormat.h"
#include "RunsDiffRows.h"
#include "SortedTableModel.h"

namespace kivra {

class RunsCompareModel : public SortedTableModel {
    Q_OBJECT
public:
    static constexpr int kValueRole = Qt::UserRole;  // the number behind a cell (double)

    explicit RunsCompareModel(QObject* parent = nullptr);

    // Replaces every row; a sort by a column stays in force.
    void SetDiff(RunsDiff diff, const NumberFormat& timeFormat);
    void Clear();
    const RunsRows& Table() const { return table_; }
    QString SummaryText() const;

    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // A column below 0 gives the comparison's own order.
    void sort(int column, Qt::SortOrder order) override;

protected:
    std::size_t ShownRows() const override { return table_.RowCount(); }
    std::size_t ItemAt(std::size_t row) const override { return table_.EntryIndexAt(row); }
    std::size_t ItemCount() const override { return table_.Diff().Entries.size(); }

private:
    RunsRows table_;
    int sortColumn_ = -1;
    bool descending_ = true;
    NumberFormat timeFormat_{"0.000"};
    NumberFormat percentFormat_{"0.0"};
};

}  // namespace kivra
