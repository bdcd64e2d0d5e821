#include "TraceTableLoad.h"

#include "CallProfile.h"
#include "Overhead.h"
#include "TraceLoad.h"

namespace kivra {

TraceTableLoad LoadTraceTable(const std::string& path, const std::string& paramChar, const NumberFormat& format,
                              LoadProgress* progress) {
    const ProgressStep whole{progress, 0.0, 1.0};
    TraceLoad load = LoadTrace(path, paramChar, format, whole.Part(0.0, 0.7));
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
    table.rows.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TraceRow& row = rows[i];
        const PadRecord& record = load.trace.Records[static_cast<std::size_t>(row.Record)];
        TableRow& out = table.rows[i];
        out.parent = row.ParentRow > 0 && static_cast<std::size_t>(row.ParentRow) <= rows.size()
                         ? placeOf[static_cast<std::size_t>(row.ParentRow)]
                         : -1;
        out.label = row.Label;
        out.total = row.TotalText;
        out.time = row.Time;
        out.dataIn = record.DataIn;
        out.dataLog = record.DataLog;
        out.dataOut = record.DataOut;
        out.order = record.Order;
        out.depth = record.Depth;
        out.stopRow = row.Number == load.tree.StopRow && load.tree.StopRow != 0;
    }
    table.texts = load.trace.Texts;
    whole.Report(0.8);
    // The same profile as the command line's: one call per row, in display order.
    auto shared = std::make_shared<CallProfile>(BuildCallProfile(load.trace, rows));
    const CallProfile& profile = *shared;
    TraceViewData& views = table.views;
    views.path = path;
    views.rowProcedure.reserve(profile.Calls.size());
    views.rowTotals.reserve(profile.Calls.size());
    for (const ProfileCall& call : profile.Calls) {
        views.rowProcedure.push_back(call.Name);
        views.rowTotals.push_back(call.Total);
    }
    views.procedures = ComputeFlatProfile(profile);
    whole.Report(0.85);
    auto sharedTimeline = std::make_shared<Timeline>(NestedTimeline(load.trace, profile));
    const Timeline& timeline = *sharedTimeline;
    views.timeOrder = LayoutTimeOrder(profile, timeline);
    whole.Report(0.92);
    views.merged = LayoutMerged(profile, timeline);
    views.names = profile.Names;
    views.profile = shared;
    views.timeline = sharedTimeline;
    if (const std::optional<TimingOverhead> overhead = ReadOverheadLine(load.trace.OverheadLine)) {
        // The same views with the overhead taken out, for the switch.
        CorrectedViewData corrected;
        auto sharedFixed = std::make_shared<CallProfile>(profile);
        CallProfile& fixed = *sharedFixed;
        corrected.clamped = CorrectForOverhead(fixed, *overhead);
        corrected.summary = OverheadSummary(*overhead, fixed.Calls.size());
        corrected.procedures = ComputeFlatProfile(fixed);
        // The recorded timeline depends on the callers and records only, which the correction keeps.
        auto sharedCut = std::make_shared<Timeline>(CorrectedTimeline(timeline, fixed, *overhead));
        const Timeline& cut = *sharedCut;
        corrected.timeOrder = LayoutTimeOrder(fixed, cut);
        corrected.merged = LayoutMerged(fixed, cut);
        corrected.profile = sharedFixed;
        corrected.timeline = sharedCut;
        corrected.rowTotals.reserve(fixed.Calls.size());
        corrected.totals.resize(table.rows.size());
        corrected.times.resize(table.rows.size());
        for (std::size_t i = 0; i < table.rows.size(); ++i) {
            if (i < fixed.Calls.size()) {
                corrected.rowTotals.push_back(fixed.Calls[i].Total);
                corrected.totals[i] = format.Format(fixed.Calls[i].Total);
                corrected.times[i] = format.Format(fixed.Calls[i].Own);
            } else {
                // The row a stopped load adds is no call.
                corrected.totals[i] = table.rows[i].total;
                corrected.times[i] = table.rows[i].time;
            }
        }
        views.corrected = std::move(corrected);
    }
    whole.Report(1.0);
    return table;
}

std::optional<FlatProfile> ReadFlatProfile(const std::string& path, const std::string& paramChar,
                                           const NumberFormat& format, std::string& why,
                                           std::optional<FlatProfile>* corrected) {
    const TraceLoad load = LoadTrace(path, paramChar, format, {}, RowTexts::Omitted);
    if (load.error) {
        why = load.error->Message();
        return std::nullopt;
    }
    CallProfile profile = BuildCallProfile(load.trace, load.tree.Rows);
    if (corrected != nullptr) {
        corrected->reset();
        if (const std::optional<TimingOverhead> overhead = ReadOverheadLine(load.trace.OverheadLine)) {
            CallProfile fixed = profile;
            CorrectForOverhead(fixed, *overhead);
            *corrected = ComputeFlatProfile(fixed);
        }
    }
    return ComputeFlatProfile(profile);
}

}  // namespace kivra
