// The Call Tree view: the window's trace table (its model and view are the
// main window's) with its actions: expand the hot path, expand and collapse,
// show the call's procedure in Procedures or in Callers / Callees, copy the
// selected rows as report lines. Rows that the find bar matches are tinted.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "TraceView.h"

class QTreeView;

namespace kivra {

class CallTreePage : public TraceView {
    Q_OBJECT
public:
    explicit CallTreePage(const ViewParts& parts);

    void Clear() override;
    // The window's load fills the tree; a range fades the rows outside it.
    void ShowTrace() override;
    bool RowOutsideRange(int row) const;
    void ShowMatches(const RowMatcher* matcher, const std::vector<std::size_t>& rows) override;
    FindSteps Steps() const override { return FindSteps::TreeRows; }

    void TintRows(const std::vector<std::size_t>& rows);
    bool RowTinted(int row) const;
    // Opens the row's callers, makes it the current row and shows it.
    void SelectRow(std::size_t row);
    std::optional<std::size_t> CurrentRow() const;
    QTreeView& Tree() const { return *callTree_; }

    void ExpandHotPath();
    void ExpandAll();
    void CollapseAll();
    void ExpandChildren();
    void ShowInProcedures();
    void ShowCallersAndCallees();
    void CopyRows();

private:
    void AddActions();
    std::optional<std::size_t> CurrentProcedure() const;

    QTreeView* callTree_;
    TraceTableModel* model_;
};

}  // namespace kivra
