// The trace table's rows for the table view: eight columns, the first
// holding the tree. The tree's expansion is kept here, not in the view: the
// view sees a flat list of the rows that are shown, so that opening or
// closing any number of branches costs one pass over the rows and no index
// per row is kept anywhere.
#pragma once

#include <QAbstractItemModel>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ShortText.h"

namespace kivra {

class TraceTexts;

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

// One row of the table, in display order. The texts are views into the
// load's texts, which the model keeps.
struct TableRow {
    int parent = -1;  // index of the parent row, -1 at the top level
    std::string_view label;
    ShortText total;
    ShortText time;
    std::string_view dataIn;
    std::string_view dataLog;
    std::string_view dataOut;
    std::int32_t order = 0;
    std::int32_t depth = 0;
    bool stopRow = false;  // its first cell carries the stop message
};

class TraceTableModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TraceTableModel(QObject* parent = nullptr);

    // Replaces every row in one reset, every branch open. A row's parent
    // comes before it, and its subtree follows it. `texts` holds what the
    // rows' views point into.
    void SetRows(std::vector<TableRow> rows, std::shared_ptr<const TraceTexts> texts = {});
    void Clear() { SetRows({}); }

    // The rows' totals and own times with the timing overhead taken out, one
    // pair per row; they take the place of the rows' own texts while shown,
    // and the captions say so.
    void SetCorrectedTimes(std::vector<ShortText> totals, std::vector<ShortText> times);
    bool HasCorrectedTimes() const { return !otherTotals_.empty(); }
    void ShowCorrected(bool corrected);
    bool ShowsCorrected() const { return corrected_; }

    const std::vector<TableRow>& Rows() const { return rows_; }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    // A cell's text, as the table shows it.
    std::string Cell(int row, int column) const;
    // The row's depth in the tree: 0 at the top level.
    int RowLevel(int row) const { return levels_[static_cast<std::size_t>(row)]; }
    bool HasChildren(int row) const { return subtreeEnd_[static_cast<std::size_t>(row)] > row + 1; }
    int ParentRow(int row) const { return rows_[static_cast<std::size_t>(row)].parent; }

    // Expansion. A row without children counts as not expanded.
    bool IsExpanded(int row) const;
    // Whether no collapsed branch hides the row.
    bool IsShown(int row) const { return PlaceOf(row) >= 0; }
    void SetExpanded(int row, bool expanded);
    // Opens the given rows (and only those) in one change.
    void ExpandRows(const std::vector<int>& rows);
    // Opens the branch under the row, all of it.
    void ExpandBranch(int row);
    void ExpandAll();
    void CollapseAll();

    // The index of a table row that is shown; invalid when it is not.
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
    // The place of a table row among the shown rows, or -1.
    int PlaceOf(int row) const;
    // Shows the rows that the expansion leaves open, moving every kept
    // index to its row's new place.
    void Relayout();

    std::vector<TableRow> rows_;
    std::shared_ptr<const TraceTexts> texts_;
    std::vector<std::int32_t> levels_;
    std::vector<std::int32_t> subtreeEnd_;  // one past the last row of each row's subtree
    std::vector<char> expanded_;
    std::vector<std::int32_t> shown_;  // the rows shown, ascending
    // The texts not shown now: the corrected ones, or while those are
    // shown, the rows' own.
    std::vector<ShortText> otherTotals_;
    std::vector<ShortText> otherTimes_;
    bool corrected_ = false;
};

}  // namespace kivra
