// The comparison of repeated runs as rows to look at, in the window and in
// `kivra diff` alike: a procedure's medians with their spreads ("12.345 ±
// 0.456"), the change, its interval, the test's p-value and the verdict.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "NumberFormat.h"
#include "RunsDiff.h"

namespace kivra {

enum class RunsColumn : int {
    Name = 0,
    OldRuns,
    NewRuns,
    OldOwn,
    NewOwn,
    OldTotal,
    NewTotal,
    Change,
    ChangePercent,
    Interval,
    PValue,
    Verdict,
    Count
};

// Two lines each, as the single comparison's headers.
inline constexpr const char* kRunsHeaders[static_cast<int>(RunsColumn::Count)] = {"Procedure",
                                                                                  "Runs\nold",
                                                                                  "Runs\nnew",
                                                                                  "Own old\n(ms)",
                                                                                  "Own new\n(ms)",
                                                                                  "Total old\n(ms)",
                                                                                  "Total new\n(ms)",
                                                                                  "Change\n(ms)",
                                                                                  "Change\n(%)",
                                                                                  "95% interval\n(ms)",
                                                                                  "p",
                                                                                  "Verdict"};

// The number a column sorts by: the medians, the change, the interval's
// low end, the p-value, the verdict as slower 1, ~ 0, faster -1.
double RunsValue(const RunsDiffEntry& entry, RunsColumn column);

// A cell: times as "median ± spread", the change signed, the interval as
// "[-1.250, +0.500]" (with its level when the runs cannot reach 95 %: "…
// 90%"), "-" without one, p with three decimals ("<0.001"), the verdict.
std::string RunsCellText(const RunsDiffEntry& entry, RunsColumn column, const NumberFormat& timeFormat,
                         const NumberFormat& percentFormat);

// The line under the comparison: the top-level total's medians on both
// sides with the runs, the change, the interval, p and the verdict.
std::string RunsSummaryText(const RunsDiff& diff, const NumberFormat& timeFormat, const NumberFormat& percentFormat);

// What the numbers are; and, when a side has fewer than five runs, that
// the verdicts need more. One line each.
std::string RunsMethodText();
std::string RunsNoteText(const RunsDiff& diff);

// The comparison's entries sorted by any column either way; first in the
// comparison's own order (significant changes first, largest first).
class RunsRows {
public:
    RunsRows() = default;
    explicit RunsRows(RunsDiff diff);

    // column Count: the comparison's own order.
    void Sort(RunsColumn column, bool descending);

    std::size_t RowCount() const { return order_.size(); }
    const RunsDiffEntry& EntryAt(std::size_t row) const { return diff_.Entries[order_[row]]; }
    std::size_t EntryIndexAt(std::size_t row) const { return order_[row]; }
    const RunsDiff& Diff() const { return diff_; }

private:
    RunsDiff diff_;
    std::vector<std::size_t> byName_;
    std::vector<std::size_t> order_;
};

}  // namespace kivra
