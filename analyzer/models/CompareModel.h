// The Compare view's model: the diff of the baseline run and the loaded
// one, a row per procedure, sortable by any column; slower rows tinted red,
// faster ones green.
#pragma once

#include <QColor>

#include "DiffRows.h"
#include "NumberFormat.h"
#include "SortedTableModel.h"

namespace kivra {

class CompareModel : public SortedTableModel {
    Q_OBJECT
public:
    static constexpr int kValueRole = Qt::UserRole;  // the number behind a cell (double)

    explicit CompareModel(QObject* parent = nullptr);

    // Replaces every row; a sort by a column stays in force.
    void SetDiff(TraceDiff diff, const NumberFormat& timeFormat);
    void Clear();
    const DiffRows& Table() const { return table_; }
    QString SummaryText() const;

    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // A column below 0 gives the diff's own order: the largest change first.
    void sort(int column, Qt::SortOrder order) override;

protected:
    std::size_t ShownRows() const override { return table_.RowCount(); }
    std::size_t ItemAt(std::size_t row) const override { return table_.EntryIndexAt(row); }
    std::size_t ItemCount() const override { return table_.Diff().Entries.size(); }

private:
    DiffRows table_;
    int sortColumn_ = -1;
    bool descending_ = true;
    NumberFormat timeFormat_{"0.000"};
    NumberFormat percentFormat_{"0.0"};
};

}  // namespace kivra
