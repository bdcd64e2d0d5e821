// The comparison of two runs as rows to look at: the diff's entries
// sorted by any column either way, first in the diff's own order (the
// largest change in own time first).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "NumberFormat.h"
#include "TraceDiff.h"

namespace kivra {

enum class DiffColumn : int {
    Name = 0,
    OldCalls,
    NewCalls,
    OldOwn,
    NewOwn,
    OldTotal,
    NewTotal,
    Change,
    ChangePercent,
    Count
};

// Two lines each, so that all nine columns fit a window of the usual width.
inline constexpr const char* kDiffHeaders[static_cast<int>(DiffColumn::Count)] = {
    "Procedure",       "Calls\nold",      "Calls\nnew",   "Own old\n(ms)", "Own new\n(ms)",
    "Total old\n(ms)", "Total new\n(ms)", "Change\n(ms)", "Change\n(%)"};

// The number a column sorts by: a side the procedure is missing from counts
// 0, a change in percent without a base counts as the largest.
double DiffValue(const DiffEntry& entry, DiffColumn column);

// A change: the sign from the value, the digits from the format of its
// magnitude, and no sign on a change that shows no digit: "+1.250",
// "-0.500", "0.000".
std::string SignedChange(const NumberFormat& format, double change);

// A cell of the comparison, in the window and in `kivra diff` alike: "-" for
// a side the procedure is missing from, "added" or "removed" for its change
// in percent.
std::string DiffCellText(const DiffEntry& entry, DiffColumn column, const NumberFormat& timeFormat,
                         const NumberFormat& percentFormat);

// The line under the comparison: both top-level totals and the change.
std::string DiffSummaryText(const TraceDiff& diff, const NumberFormat& timeFormat, const NumberFormat& percentFormat);

class DiffRows {
public:
    DiffRows() = default;
    explicit DiffRows(TraceDiff diff);

    // column Count: the diff's own order.
    void Sort(DiffColumn column, bool descending);

    std::size_t RowCount() const { return order_.size(); }
    const DiffEntry& EntryAt(std::size_t row) const { return diff_.Entries[order_[row]]; }
    // The entry (index into the diff's entries) a row shows.
    std::size_t EntryIndexAt(std::size_t row) const { return order_[row]; }
    const TraceDiff& Diff() const { return diff_; }

    std::string CellText(std::size_t row, DiffColumn column, const NumberFormat& timeFormat,
                         const NumberFormat& percentFormat) const {
        return DiffCellText(EntryAt(row), column, timeFormat, percentFormat);
    }
    std::string SummaryText(const NumberFormat& timeFormat, const NumberFormat& percentFormat) const {
        return DiffSummaryText(diff_, timeFormat, percentFormat);
    }

private:
    TraceDiff diff_;
    std::vector<std::size_t> byName_;
    std::vector<std::size_t> order_;
};

}  // namespace kivra
