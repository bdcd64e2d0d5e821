#include "TableSnapshot.h"

#include <QHeaderView>
#include <QTreeView>

#include "QtText.h"
#include "TraceTableModel.h"

namespace kivra {

TableSnapshot SnapshotOf(const QTreeView& view, const TraceTableModel& model) {
    TableSnapshot snapshot;
    const QHeaderView* header = view.header();
    for (int column = 0; column < model.columnCount(); ++column) {
        snapshot.columns.push_back(
            {ToStdString(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()),
             header->isSectionHidden(column) ? 0 : header->sectionSize(column)});
    }
    const auto& rows = model.Rows();
    snapshot.rows.reserve(rows.size());
    std::vector<bool> open(rows.size(), false);  // shown and expanded: its children show
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ReportRow row;
        const int r = static_cast<int>(i);
        row.level = model.RowLevel(r);
        row.hasChildren = model.HasChildren(r);
        // A row without children counts as expanded, without a tree button.
        row.expanded = !row.hasChildren || view.isExpanded(model.IndexOfRow(r));
        const int parent = rows[i].parent;
        row.shown = parent < 0 || open[static_cast<std::size_t>(parent)];
        open[i] = row.shown && row.expanded;
        row.cells.assign(rows[i].cells.begin(), rows[i].cells.end());
        snapshot.rows.push_back(std::move(row));
    }
    return snapshot;
}

}  // namespace kivra
