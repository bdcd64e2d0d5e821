#include "RunsDiffRows.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <string_view>
#include <utility>

#include "DiffRows.h"
#include "RowOrder.h"

namespace kivra {
namespace {

std::string Spread(const NumberFormat& format, double median, double spread) {
    return format.Format(static_cast<float>(median)) + " \xC2\xB1 " + format.Format(static_cast<float>(spread));
}

std::string IntervalText(const std::optional<ShiftInterval>& interval, const NumberFormat& format) {
    if (!interval) return "-";
    std::string text = "[" + SignedChange(format, interval->Low) + ", " + SignedChange(format, interval->High) + "]";
    // A few runs cannot reach 95 %: the level they reach is said.
    if (interval->Level + 1e-9 < kIntervalLevel) {
        text += ' ';
        text += std::to_string(static_cast<int>(std::floor(interval->Level * 100.0)));
        text += '%';
    }
    return text;
}

std::string PValueText(double p) {
    if (!(p >= 0.001)) return "<0.001";
    char text[16];
    std::snprintf(text, sizeof text, "%.3f", std::fmin(p, 1.0));
    return text;
}

}  // namespace

double RunsValue(const RunsDiffEntry& entry, RunsColumn column) {
    switch (column) {
    case RunsColumn::OldRuns: return entry.Old.Runs;
    case RunsColumn::NewRuns: return entry.New.Runs;
    case RunsColumn::OldOwn: return entry.Old.MedianOwn;
    case RunsColumn::NewOwn: return entry.New.MedianOwn;
    case RunsColumn::OldTotal: return entry.Old.MedianTotal;
    case RunsColumn::NewTotal: return entry.New.MedianTotal;
    case RunsColumn::Change: return entry.OwnChange;
    case RunsColumn::ChangePercent: return entry.OwnChangePercent.value_or(entry.OwnChange >= 0.0 ? 1e300 : -1e300);
    case RunsColumn::Interval: return entry.OwnInterval ? entry.OwnInterval->Low : -1e300;
    case RunsColumn::PValue: return entry.PValue;
    case RunsColumn::Verdict:
        return entry.Verdict == ChangeVerdict::Slower ? 1.0 : entry.Verdict == ChangeVerdict::Faster ? -1.0 : 0.0;
    case RunsColumn::Name:
    case RunsColumn::Count: break;
    }
    return 0.0;
}

std::string RunsCellText(const RunsDiffEntry& entry, RunsColumn column, const NumberFormat& timeFormat,
                         const NumberFormat& percentFormat) {
    switch (column) {
    case RunsColumn::Name: return entry.Name;
    case RunsColumn::OldRuns: return std::to_string(entry.Old.Runs);
    case RunsColumn::NewRuns: return std::to_string(entry.New.Runs);
    case RunsColumn::OldOwn: return Spread(timeFormat, entry.Old.MedianOwn, entry.Old.OwnSpread);
    case RunsColumn::NewOwn: return Spread(timeFormat, entry.New.MedianOwn, entry.New.OwnSpread);
    case RunsColumn::OldTotal: return Spread(timeFormat, entry.Old.MedianTotal, entry.Old.TotalSpread);
    case RunsColumn::NewTotal: return Spread(timeFormat, entry.New.MedianTotal, entry.New.TotalSpread);
    case RunsColumn::Change: return SignedChange(timeFormat, entry.OwnChange);
    case RunsColumn::ChangePercent:
        if (entry.Old.Runs == 0) return "added";
        if (entry.New.Runs == 0) return "removed";
        return entry.OwnChangePercent ? SignedChange(percentFormat, *entry.OwnChangePercent) : "";
    case RunsColumn::Interval: return IntervalText(entry.OwnInterval, timeFormat);
    case RunsColumn::PValue: return PValueText(entry.PValue);
    case RunsColumn::Verdict: return VerdictText(entry.Verdict);
    case RunsColumn::Count: break;
    }
    return {};
}

std::string RunsSummaryText(const RunsDiff& diff, const NumberFormat& timeFormat, const NumberFormat& percentFormat) {
    const RunsDiffEntry& top = diff.TopLevel;
    auto runs = [](int count) { return count == 1 ? std::string("1 run") : std::to_string(count) + " runs"; };
    std::string text = "Top-level total: baseline " + Spread(timeFormat, top.Old.MedianOwn, top.Old.OwnSpread) +
                       " ms (" + runs(diff.OldRuns) + "), current " +
                       Spread(timeFormat, top.New.MedianOwn, top.New.OwnSpread) + " ms (" + runs(diff.NewRuns) +
                       "), change " + SignedChange(timeFormat, top.OwnChange) + " ms";
    if (top.OwnChangePercent) text += " (" + SignedChange(percentFormat, *top.OwnChangePercent) + "%)";
    if (top.OwnInterval) text += ", interval " + IntervalText(top.OwnInterval, timeFormat);
    text += ", p " + PValueText(top.PValue) + ": " + VerdictText(top.Verdict);
    return text;
}

std::string RunsMethodText() {
    return "Medians over the runs \xC2\xB1 their median absolute deviation (a run without the procedure counts 0); "
           "the change and the verdict are of own time, the interval Hodges-Lehmann's, p the two-sided "
           "Mann-Whitney U test's; \"~\" when p >= 0.05 or a side has fewer than 3 runs.";
}

std::string RunsNoteText(const RunsDiff& diff) {
    if (!NeedsMoreRuns(diff)) return {};
    return "Note: " + std::to_string(diff.OldRuns) + " against " + std::to_string(diff.NewRuns) +
           " runs: the verdicts need at least 5 runs on each side, 10 or more to tell small changes.";
}

RunsRows::RunsRows(RunsDiff diff) : diff_(std::move(diff)) {
    byName_ = NameOrder(NamesOf(diff_.Entries));
    Sort(RunsColumn::Count, true);
}

void RunsRows::Sort(RunsColumn column, bool descending) {
    order_ = ColumnOrder(diff_.Entries, byName_, column, RunsColumn::Name, RunsColumn::Count, descending, RunsValue);
}

}  // namespace kivra
