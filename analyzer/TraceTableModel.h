// The trace table's rows as a tree model for the table view: eight columns,
// the first holding the tree.
#pragma once

#include <QAbstractItemModel>
#include <array>
#include <string>
#include <vector>

namespace kivra {

enum TraceColumn : int {
    kColCodeTrace = 0,
    kColTotal,
    kColTime,
    kColDataIn,
    kColDataLog,
    kColDataOut,
    kColOrder,
    kColDepth,
    kTraceColumnCount
};

// One row of the table, in display order.
struct TableRow {
    int parent = -1;  // index of the parent row, -1 at the top level
    std::array<std::string, kTraceColumnCount> cells;
    bool stopRow = false;  // its first cell carries the stop message
};

class TraceTableModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TraceTableModel(QObject* parent = nullptr);

    // Replaces every row in one reset. A row's parent comes before it.
    void SetRows(std::vector<TableRow> rows);
    void Clear() { SetRows({}); }

    const std::vector<TableRow>& Rows() const { return rows_; }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    // The row's depth in the tree: 0 at the top level.
    int RowLevel(int row) const { return levels_[static_cast<std::size_t>(row)]; }
    bool HasChildren(int row) const { return !children_[static_cast<std::size_t>(row)].empty(); }
    QModelIndex IndexOfRow(int row, int column = 0) const;
    // The table row an index shows.
    static int RowOf(const QModelIndex& index) { return static_cast<int>(index.internalId()); }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;

private:
    std::vector<TableRow> rows_;
    std::vector<int> levels_;
    std::vector<int> positions_;  // place among the parent's children
    std::vector<std::vector<int>> children_;
    std::vector<int> topLevel_;
};

}  // namespace kivra
