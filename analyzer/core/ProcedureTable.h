// The flat profile as a table to look at: one row per procedure, sorted by
// any column either way and narrowed to the names that match a search.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "FlatProfile.h"
#include "NumberFormat.h"
#include "TreeSearch.h"

namespace kivra {

enum class ProcedureColumn : int { Name = 0, Calls, Own, Total, MeanOwn, MaxOwn, OwnPercent, Count };

inline constexpr const char* kProcedureHeaders[static_cast<int>(ProcedureColumn::Count)] = {
    "Procedure", "Calls", "Own (ms)", "Total (ms)", "Mean own (ms)", "Max own (ms)", "Own (%)"};

// The number a column sorts by (the name column has none: 0).
double ProcedureValue(const FlatEntry& entry, ProcedureColumn column);

// A cell of the flat profile, in the window and in `kivra flat` alike: times
// in `timeFormat`, the share in `percentFormat`.
std::string ProcedureCellText(const FlatEntry& entry, ProcedureColumn column, const NumberFormat& timeFormat,
                              const NumberFormat& percentFormat);

class ProcedureTable {
public:
    ProcedureTable() = default;
    // `profile` as ComputeFlatProfile gives it: entry i is procedure i of the
    // call profile. Shown by own time, largest first.
    explicit ProcedureTable(FlatProfile profile);

    // Numbers sort as numbers, names ignoring letter case; equal values keep
    // the names' order. The rows shown stay narrowed as they were.
    void Sort(ProcedureColumn column, bool descending);
    ProcedureColumn SortColumn() const { return sortColumn_; }
    bool SortDescending() const { return descending_; }

    // Shows only the procedures whose name matches; nothing shows them all.
    void Narrow(const RowMatcher* matcher);
    // Whether Narrow would change the rows shown.
    bool NarrowChanges(const RowMatcher* matcher) const;

    std::size_t RowCount() const { return shown_.size(); }
    std::size_t ProcedureCount() const { return profile_.Entries.size(); }
    // The procedure (index into the profile's entries) a row shows.
    std::size_t ProcedureAt(std::size_t row) const { return shown_[row]; }
    const FlatEntry& EntryAt(std::size_t row) const { return profile_.Entries[shown_[row]]; }
    const FlatEntry& Procedure(std::size_t procedure) const { return profile_.Entries[procedure]; }
    // The row showing a procedure, if it shows.
    std::optional<std::size_t> RowOf(std::size_t procedure) const;
    const FlatProfile& Profile() const { return profile_; }

    std::string CellText(std::size_t row, ProcedureColumn column, const NumberFormat& timeFormat,
                         const NumberFormat& percentFormat) const {
        return ProcedureCellText(EntryAt(row), column, timeFormat, percentFormat);
    }

private:
    void Show();

    FlatProfile profile_;
    std::vector<std::size_t> byName_;  // every procedure by name, letter case ignored
    std::vector<std::size_t> sorted_;  // every procedure in the sort order
    std::vector<char> matching_;       // per procedure: passes the narrowing
    std::vector<std::size_t> shown_;   // the sorted procedures that match
    std::vector<std::size_t> rowOf_;   // per procedure: its row, or the row count when not shown
    ProcedureColumn sortColumn_ = ProcedureColumn::Own;
    bool descending_ = true;
};

}  // namespace kivra
