// The Callers / Callees view's two tables: one procedure's callers or its
// callees, a row per procedure on the other end of the calls, with the
// number of calls and their total time; largest total first, sortable.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "CallerCallee.h"
#include "NumberFormat.h"
#include "SortedTableModel.h"

namespace kivra {

class CallEdgesModel : public SortedTableModel {
    Q_OBJECT
public:
    static constexpr int kValueRole = Qt::UserRole;     // the number behind a cell (double)
    static constexpr int kNameRole = Qt::UserRole + 1;  // the procedure a row names; kTopLevelName for none
    enum Column { Name = 0, Calls, Total, ColumnCount };

    // `nameHeader`: "Caller" or "Callee".
    CallEdgesModel(const char* nameHeader, QObject* parent = nullptr);

    // Replaces every row, in the edges' own order (largest total first)
    // until a header is clicked; `names` are the profile's.
    void SetEdges(std::vector<CallEdge> edges, const std::vector<std::string>& names, const NumberFormat& timeFormat);
    void Clear();

    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

protected:
    std::size_t ShownRows() const override { return order_.size(); }
    std::size_t ItemAt(std::size_t row) const override { return order_[row]; }
    std::size_t ItemCount() const override { return edges_.size(); }

private:
    void Sort();

    const char* nameHeader_;
    std::vector<CallEdge> edges_;
    std::vector<std::string> texts_;  // per edge: its name as shown
    std::vector<std::size_t> order_;  // the rows' edges
    NumberFormat timeFormat_{"0.000"};
};

}  // namespace kivra
