// Trace bytes through everything a load does and everything that is made of
// a loaded trace: the reader, the call tree, own times, the text report, the
// flat profile, the diff, the exports, the flame graph's layouts and
// the window's tables, the HTML page and the comparison of repeated runs.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "CallProfile.h"
#include "DiffRows.h"
#include "FlameLayout.h"
#include "FlatProfile.h"
#include "FuzzCheck.h"
#include "HtmlReport.h"
#include "Overhead.h"
#include "PadReader.h"
#include "ProcedureTable.h"
#include "RunsDiffRows.h"
#include "TextEncoding.h"
#include "TraceDiff.h"
#include "TraceExport.h"
#include "TraceLoad.h"
#include "TraceReport.h"

namespace {

using Json = nlohmann::json;

void CheckReport(const kivra::TraceLoad& load) {
    kivra::TableSnapshot table;
    for (const char* header : {"Code Trace", "Total (ms)", "Time (ms)", "Data In", "Data Log", "Data Out"}) {
        table.columns.push_back({header, 100});
    }
    for (const kivra::TraceRow& row : load.tree.Rows) {
        const kivra::PadRecord& record = load.trace.Records[static_cast<std::size_t>(row.Record)];
        table.rows.push_back({row.Level,
                              row.HasChildren,
                              true,
                              true,
                              {std::string(row.Label), row.TotalText.str(), row.Time.str(), std::string(record.DataIn),
                               std::string(record.DataLog), std::string(record.DataOut)}});
    }
    const std::string report = kivra::ReportText(table);
    // Header, rule and one line per row, each ending in CR LF.
    std::size_t lines = 0;
    for (std::size_t at = report.find("\r\n"); at != std::string::npos; at = report.find("\r\n", at + 2)) ++lines;
    FUZZ_CHECK(lines == table.rows.size() + 2, "the report has one line per row");
    FUZZ_CHECK(report.ends_with("\r\n"), "the report ends with CR LF");
}

void CheckExports(const kivra::PadTrace& trace, const kivra::CallProfile& profile) {
    const kivra::ExportText chrome = kivra::ChromeTraceJson(trace, profile, "fuzz.pad");
    const Json events = Json::parse(chrome.Text).at("traceEvents");
    FUZZ_CHECK(events.size() == profile.Calls.size() + 1, "one Chrome event per call");

    const kivra::ExportText speedscope = kivra::SpeedscopeJson(trace, profile, "fuzz.pad");
    const Json file = Json::parse(speedscope.Text);
    std::vector<int> open;
    double at = -1e300;
    std::size_t opened = 0;
    for (const Json& event : file.at("profiles")[0].at("events")) {
        const double now = event.at("at").get<double>();
        FUZZ_CHECK(now >= at, "speedscope events in time order");
        at = now;
        if (event.at("type") == "O") {
            open.push_back(event.at("frame").get<int>());
            ++opened;
        } else {
            FUZZ_CHECK(!open.empty() && open.back() == event.at("frame").get<int>(), "speedscope events nest");
            open.pop_back();
        }
    }
    FUZZ_CHECK(open.empty() && opened == profile.Calls.size(), "every call opens and closes once");

    const kivra::ExportText folded = kivra::FoldedStacks(trace, profile);
    FUZZ_CHECK(folded.Clipped == chrome.Clipped && folded.Clipped == speedscope.Clipped,
               "the three exports clip the same calls");
    std::size_t start = 0;
    while (start < folded.Text.size()) {
        const std::size_t end = folded.Text.find('\n', start);
        FUZZ_CHECK(end != std::string::npos, "folded lines end with a line feed");
        const std::string_view line(folded.Text.data() + start, end - start);
        const std::size_t blank = line.rfind(' ');
        FUZZ_CHECK(blank != std::string_view::npos && blank + 1 < line.size(), "a folded line ends with its time");
        for (const char c : line.substr(blank + 1)) FUZZ_CHECK(c >= '0' && c <= '9', "folded times are whole");
        start = end + 1;
    }
}

// Boxes nest in their callers' boxes, do not overlap at a depth, and each
// is found where it lies.
void CheckFlameLayout(const kivra::FlameLayout& layout, const kivra::CallProfile& profile) {
    FUZZ_CHECK(layout.BoxOfCall.size() == profile.Calls.size(), "every call is in a box");
    std::int64_t topWidth = 0;
    for (std::size_t b = 0; b < layout.Boxes.size(); ++b) {
        const kivra::FlameBox& box = layout.Boxes[b];
        FUZZ_CHECK(box.Width >= 0 && box.Begin >= 0 && box.Begin + box.Width <= layout.Extent, "boxes lie in the run");
        if (box.Parent >= 0) {
            FUZZ_CHECK(static_cast<std::size_t>(box.Parent) < b, "a caller's box comes first");
            const kivra::FlameBox& caller = layout.Boxes[static_cast<std::size_t>(box.Parent)];
            FUZZ_CHECK(box.Begin >= caller.Begin && box.Begin + box.Width <= caller.Begin + caller.Width,
                       "a box lies within its caller's");
            FUZZ_CHECK(box.Depth == caller.Depth + 1, "a callee is one level down");
        } else {
            topWidth += box.Width;
        }
    }
    for (const std::vector<int>& row : layout.Rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            const kivra::FlameBox& box = layout.Boxes[static_cast<std::size_t>(row[i])];
            if (i + 1 < row.size()) {
                FUZZ_CHECK(box.Begin + box.Width <= layout.Boxes[static_cast<std::size_t>(row[i + 1])].Begin,
                           "boxes at one depth do not overlap");
            }
            if (box.Width > 0) {
                FUZZ_CHECK(kivra::BoxAt(layout, box.Depth, box.Begin) == row[i], "a box is found at its left edge");
            }
        }
    }
    if (layout.Mode == kivra::FlameMode::Merged) FUZZ_CHECK(topWidth == layout.Extent, "merged boxes fill the run");
}

// The HTML page: valid UTF-8 whatever the trace holds, and its tree data,
// which no name or data field may end early, parses with a row per row.
void CheckHtmlReport(const kivra::TraceLoad& load, const kivra::FlatProfile& flat, const kivra::TraceDiff& diff) {
    kivra::HtmlReportInput page;
    page.FileName = "fuzz.pad";
    page.StopMessage = load.tree.StopMessage;
    page.TreeHeaders = {"Code Trace", "Total (ms)", "Time (ms)", "Data In", "Data Log", "Data Out"};
    for (const kivra::TraceRow& row : load.tree.Rows) {
        const kivra::PadRecord& record = load.trace.Records[static_cast<std::size_t>(row.Record)];
        page.Rows.push_back({row.Level, row.Label, row.TotalText.view(), row.Time.view(), record.DataIn, record.DataLog,
                             record.DataOut, row.TotalValue, row.TotalValue});
    }
    page.Procedures = flat;
    page.Comparison = &diff;
    page.FlameGraphSvg = "<svg class=\"kivra-flame\"></svg>";
    const std::string html = kivra::HtmlReport(page);
    FUZZ_CHECK(kivra::IsValidUtf8(html), "the page is UTF-8");
    const std::string open = "<script type=\"application/json\" id=\"k-data\">";
    const std::size_t from = html.find(open);
    FUZZ_CHECK(from != std::string::npos, "the page carries the tree");
    const std::size_t begin = from + open.size();
    const Json data = Json::parse(html.substr(begin, html.find("</script>", begin) - begin));
    FUZZ_CHECK(data.at("rows").size() == load.tree.Rows.size(), "the tree's data holds every row");
}

// Runs that are all the same run: no change, no verdict, every procedure once.
void CheckRuns(const kivra::FlatProfile& flat) {
    const kivra::RunsDiff runs = kivra::DiffRuns({flat, flat, flat}, {flat, flat, flat});
    FUZZ_CHECK(runs.Entries.size() <= flat.Entries.size(), "a procedure is compared once");
    for (const kivra::RunsDiffEntry& entry : runs.Entries) {
        FUZZ_CHECK(entry.Verdict == kivra::ChangeVerdict::Same, "the same runs give no verdict");
        FUZZ_CHECK(entry.PValue >= 0.0 && entry.PValue <= 1.0, "p is a probability");
    }
    kivra::RunsRows rows(runs);
    for (int column = 0; column <= static_cast<int>(kivra::RunsColumn::Count); ++column) {
        rows.Sort(static_cast<kivra::RunsColumn>(column), column % 2 == 1);
        FUZZ_CHECK(rows.RowCount() == runs.Entries.size(), "sorting keeps every row of the runs");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const kivra::NumberLocale dot{".", ","};
    kivra::PadReadResult read = kivra::ParsePadText(text, "fuzz.pad", ", ", dot);
    if (read.error) {
        FUZZ_CHECK(!read.error->Message().empty(), "a failed read says why");
        return 0;
    }
    kivra::TraceLoad load;
    load.trace = std::move(read.trace);
    kivra::BuildAndTime(load, kivra::NumberFormat("0.000", dot));
    CheckReport(load);

    const kivra::CallProfile profile = kivra::BuildCallProfile(load.trace, load.tree.Rows);
    FUZZ_CHECK(profile.Calls.size() == load.tree.Rows.size(), "one call per row");
    {
        // The profile commands' load, without the rows' texts, gives the same calls.
        kivra::TraceLoad bare;
        bare.trace = kivra::ParsePadText(text, "fuzz.pad", ", ", dot).trace;
        kivra::BuildAndTime(bare, kivra::NumberFormat("0.000", dot), {}, kivra::RowTexts::Omitted);
        const kivra::CallProfile same = kivra::BuildCallProfile(bare.trace, bare.tree.Rows);
        FUZZ_CHECK(same.Names == profile.Names && same.Calls.size() == profile.Calls.size(),
                   "a load without texts has the same calls");
        for (std::size_t c = 0; c < same.Calls.size(); ++c) {
            FUZZ_CHECK(same.Calls[c].Parent == profile.Calls[c].Parent && same.Calls[c].Name == profile.Calls[c].Name,
                       "a load without texts has the same callers");
        }
    }
    kivra::FlatProfile flat = kivra::ComputeFlatProfile(profile);
    for (const kivra::FlatOrder order :
         {kivra::FlatOrder::Own, kivra::FlatOrder::Total, kivra::FlatOrder::Calls, kivra::FlatOrder::Name}) {
        kivra::SortFlatProfile(flat, order);
    }
    // A run against itself changes nothing; against no run, all is added.
    const kivra::TraceDiff same = kivra::DiffFlatProfiles(flat, flat);
    FUZZ_CHECK(same.Entries.size() == flat.Entries.size(), "a diff with itself has every procedure once");
    for (const kivra::DiffEntry& entry : same.Entries) {
        FUZZ_CHECK(entry.Status == kivra::DiffStatus::Both, "a diff with itself adds and removes nothing");
        FUZZ_CHECK(entry.OwnChange == 0.0 || entry.OwnChange != entry.OwnChange, "a diff with itself is no change");
    }
    const kivra::TraceDiff fromNothing = kivra::DiffFlatProfiles(kivra::FlatProfile{}, flat);
    for (const kivra::DiffEntry& entry : fromNothing.Entries) {
        FUZZ_CHECK(entry.Status == kivra::DiffStatus::Added, "against no run, every procedure is added");
    }
    {
        // With the timing overhead taken out (the trace's own, else a made-up
        // one): nothing below zero, and the calls still nest.
        const kivra::TimingOverhead overhead =
            kivra::ReadOverheadLine(load.trace.OverheadLine).value_or(kivra::TimingOverhead{0.25, 0.5});
        kivra::CallProfile fixed = profile;
        const int clamped = kivra::CorrectForOverhead(fixed, overhead);
        FUZZ_CHECK(clamped >= 0 && static_cast<std::size_t>(clamped) <= fixed.Calls.size(), "a count of calls");
        for (const kivra::ProfileCall& call : fixed.Calls) {
            FUZZ_CHECK(call.Total >= 0.0f && call.Own >= 0.0f, "corrected times are never below zero");
        }
        const kivra::Timeline cut = kivra::CorrectedTimeline(load.trace, fixed, overhead);
        FUZZ_CHECK(cut.Spans.size() == fixed.Calls.size(), "one span per call");
        for (std::size_t c = 0; c < cut.Spans.size(); ++c) {
            FUZZ_CHECK(cut.Spans[c].Begin <= cut.Spans[c].End, "a span ends after it begins");
            const int parent = fixed.Calls[c].Parent;
            if (parent >= 0) {
                const kivra::CallSpan& outer = cut.Spans[static_cast<std::size_t>(parent)];
                FUZZ_CHECK(cut.Spans[c].Begin >= outer.Begin && cut.Spans[c].End <= outer.End,
                           "a corrected call lies within its caller");
            }
        }
    }
    CheckExports(load.trace, profile);
    CheckHtmlReport(load, flat, same);
    CheckRuns(flat);
    CheckFlameLayout(kivra::LayoutTimeOrder(load.trace, profile), profile);
    CheckFlameLayout(kivra::LayoutMerged(load.trace, profile), profile);

    // The window's tables sort every way and keep every row.
    kivra::ProcedureTable procedures(flat);
    kivra::DiffRows diff(same);
    for (int column = 0; column < static_cast<int>(kivra::ProcedureColumn::Count); ++column) {
        procedures.Sort(static_cast<kivra::ProcedureColumn>(column), column % 2 == 0);
        FUZZ_CHECK(procedures.RowCount() == flat.Entries.size(), "sorting keeps every procedure");
    }
    for (int column = 0; column <= static_cast<int>(kivra::DiffColumn::Count); ++column) {
        diff.Sort(static_cast<kivra::DiffColumn>(column), column % 2 == 1);
        FUZZ_CHECK(diff.RowCount() == same.Entries.size(), "sorting keeps every row of the diff");
    }
    return 0;
}
