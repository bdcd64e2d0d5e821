// The Compare view's model: the diff of the baseline run and the loaded
// one, a row per procedure, sortable by any column; slower rows tinted red,
// faster ones green.
#pragma once

#include "ComparisonModel.h"
#include "DiffRows.h"

namespace kivra {

class CompareModel : public ComparisonModel {
    Q_OBJECT
public:
    explicit CompareModel(QObject* parent = nullptr);

    // Replaces every row; a sort by a column stays in force.
    void SetDiff(TraceDiff diff, const NumberFormat& timeFormat);
    void Clear();
    const DiffRows& Table() const { return table_; }
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

private:
    DiffRows table_;
};

}  // namespace kivra
