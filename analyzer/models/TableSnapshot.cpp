#include "TableSnapshot.h"

#include <QHeaderView>
#include <QTreeView>
#include <array>
#include <string_view>

#include "QtText.h"
#include "TraceTableModel.h"

namespace kivra {
namespace {

std::vector<ReportColumn> ColumnsOf(const QTreeView& view, const TraceTableModel& model) {
    std::vector<ReportColumn> columns;
    const QHeaderView* header = view.header();
    for (int column = 0; column < model.columnCount(); ++column) {
        columns.push_back({ToStdString(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()),
                           header->isSectionHidden(column) ? 0 : header->sectionSize(column)});
    }
    return columns;
}

// The texts of a row's report columns (Order and Depth are never reported).
std::array<std::string_view, kColDataOut + 1> ReportCells(const TableRow& row) {
    return {row.label, row.total.view(), row.time.view(), row.dataIn, row.dataLog, row.dataOut};
}

}  // namespace

TableSnapshot SnapshotOf(const QTreeView& view, const TraceTableModel& model) {
    TableSnapshot snapshot;
    snapshot.columns = ColumnsOf(view, model);
    const auto& rows = model.Rows();
    snapshot.rows.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ReportRow row;
        const int r = static_cast<int>(i);
        row.level = model.RowLevel(r);
        row.hasChildren = model.HasChildren(r);
        // A row without children counts as expanded, without a tree button.
        row.expanded = !row.hasChildren || model.IsExpanded(r);
        row.shown = model.IsShown(r);
        for (int column = 0; column < kTraceColumnCount; ++column) row.cells.push_back(model.Cell(r, column));
        snapshot.rows.push_back(std::move(row));
    }
    return snapshot;
}

std::string ReportOfTable(const QTreeView& view, const TraceTableModel& model) {
    ReportWriter writer(ColumnsOf(view, model));
    std::string report;
    // The rows the view shows, one line each; the model lists them in order.
    const int shown = model.rowCount();
    report.reserve((writer.LineLength() + 2) * (static_cast<std::size_t>(shown) + 2));
    writer.AppendHeader(report);
    for (int place = 0; place < shown; ++place) {
        const int r = TraceTableModel::RowOf(model.index(place, 0));
        const auto cells = ReportCells(model.Rows()[static_cast<std::size_t>(r)]);
        writer.AppendRow(report, model.RowLevel(r), model.HasChildren(r), model.IsExpanded(r), true, cells.data(),
                         cells.size());
    }
    return report;
}

std::string ReportLinesOfTable(const QTreeView& view, const TraceTableModel& model,
                               const std::vector<std::size_t>& rows,
                               const std::vector<std::array<std::string, 2>>* times) {
    ReportWriter writer(ColumnsOf(view, model));
    std::string lines;
    for (const std::size_t r : rows) {
        if (r >= model.Rows().size()) continue;
        const int row = static_cast<int>(r);
        auto cells = ReportCells(model.Rows()[r]);
        if (times != nullptr && r < times->size()) {
            cells[kColTotal] = (*times)[r][0];
            cells[kColTime] = (*times)[r][1];
        }
        writer.AppendRow(lines, model.RowLevel(row), model.HasChildren(row),
                         !model.HasChildren(row) || model.IsExpanded(row), true, cells.data(), cells.size());
    }
    return lines;
}

}  // namespace kivra
