// The Procedures view's model: the flat profile of the loaded trace, one row
// per procedure, sortable by any column and narrowed by the find bar.
#pragma once

#include <cstddef>

#include "NumberFormat.h"
#include "ProcedureTable.h"
#include "SortedTableModel.h"

namespace kivra {

class ProceduresModel : public SortedTableModel {
    Q_OBJECT
public:
    static constexpr int kValueRole = Qt::UserRole;          // the number behind a cell (double)
    static constexpr int kProcedureRole = Qt::UserRole + 1;  // the procedure a row shows (index)

    explicit ProceduresModel(QObject* parent = nullptr);

    // Replaces every row; the sort order in force stays.
    void SetProfile(FlatProfile profile, const NumberFormat& timeFormat);
    void Clear();
    void Narrow(const RowMatcher* matcher);

    const ProcedureTable& Table() const { return table_; }
    QModelIndex IndexOfProcedure(std::size_t procedure, int column = 0) const;

    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

protected:
    std::size_t ShownRows() const override { return table_.RowCount(); }
    std::size_t ItemAt(std::size_t row) const override { return table_.ProcedureAt(row); }
    std::size_t ItemCount() const override { return table_.ProcedureCount(); }

private:
    ProcedureTable table_;
    NumberFormat timeFormat_{"0.000"};
    NumberFormat percentFormat_{"0.0"};
};

}  // namespace kivra
