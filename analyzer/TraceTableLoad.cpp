#include "TraceTableLoad.h"

#include "CallProfile.h"
#include "TraceLoad.h"

namespace kivra {

TraceTableLoad LoadTraceTable(const std::string& path, const std::string& paramChar, const NumberFormat& format) {
    TraceLoad load = LoadTrace(path, paramChar, format);
    TraceTableLoad table;
    table.headerLinesRead = load.headerLinesRead;
    table.runDateLine = std::move(load.trace.RunDateLine);
    table.resolutionLine = std::move(load.trace.ResolutionLine);
    if (load.error) {
        table.error = load.error->Message();
        return table;
    }
    table.hasRecords = load.trace.RecordCount() > 0;
    table.stopMessage = std::move(load.tree.StopMessage);
    table.timesUnreadable = load.timesUnreadable;

    const std::vector<TraceRow>& rows = load.tree.Rows;
    // Rows name their parents by creation number; the table by place.
    std::vector<int> placeOf(rows.size() + 1, -1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].Number > 0 && static_cast<std::size_t>(rows[i].Number) <= rows.size()) {
            placeOf[static_cast<std::size_t>(rows[i].Number)] = static_cast<int>(i);
        }
    }
    table.rows.reserve(rows.size());
    for (const TraceRow& row : rows) {
        const PadRecord& record = load.trace.Records[static_cast<std::size_t>(row.Record)];
        TableRow out;
        out.parent = row.ParentRow > 0 && static_cast<std::size_t>(row.ParentRow) <= rows.size()
                         ? placeOf[static_cast<std::size_t>(row.ParentRow)]
                         : -1;
        out.cells = {std::string(row.Label),      row.TotalText.str(),          row.Time.str(),
                     std::string(record.DataIn),  std::string(record.DataLog),  std::string(record.DataOut),
                     std::to_string(record.Order), std::to_string(record.Depth)};
        out.stopRow = row.Number == load.tree.StopRow && load.tree.StopRow != 0;
        table.rows.push_back(std::move(out));
    }
    // The same profile as the command line's: one call per row, in display order.
    const CallProfile profile = BuildCallProfile(load.trace, rows);
    TraceViewData& views = table.views;
    views.rowProcedure.reserve(profile.Calls.size());
    views.rowTotals.reserve(profile.Calls.size());
    for (const ProfileCall& call : profile.Calls) {
        views.rowProcedure.push_back(call.Name);
        views.rowTotals.push_back(call.Total);
    }
    views.procedures = ComputeFlatProfile(profile);
    const Timeline timeline = NestedTimeline(load.trace, profile);
    views.timeOrder = LayoutTimeOrder(profile, timeline);
    views.merged = LayoutMerged(profile, timeline);
    views.names = profile.Names;
    return table;
}

std::optional<FlatProfile> ReadFlatProfile(const std::string& path, const std::string& paramChar,
                                           const NumberFormat& format, std::string& why) {
    const TraceLoad load = LoadTrace(path, paramChar, format);
    if (load.error) {
        why = load.error->Message();
        return std::nullopt;
    }
    return ComputeFlatProfile(BuildCallProfile(load.trace, load.tree.Rows));
}

}  // namespace kivra
