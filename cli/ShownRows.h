// The call tree's rows as the text report and the HTML report show them:
// every row with its own texts, or with the timing overhead taken out, or
// over a range only the rows whose calls count, with their clipped times.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CallProfile.h"
#include "CommandSupport.h"
#include "NumberFormat.h"
#include "TraceLoad.h"

namespace kivra {

struct ShownRows {
    std::vector<char> kept;           // per row: shown; empty when every row is
    std::vector<char> keptChildren;   // per row: a shown row hangs under it; empty when every row is shown
    std::vector<std::string> totals;  // per row: the total's text in place of the row's own; empty when none
    std::vector<std::string> times;   // the same for the own time
    std::vector<double> totalValues;  // per row, when asked for: the numbers behind the texts
    std::vector<double> ownValues;
    bool corrected = false;  // the times are those with the overhead taken out

    bool Shows(std::size_t row) const { return kept.empty() || kept[row] != 0; }
    bool HasChildren(std::size_t row, bool whole) const { return kept.empty() ? whole : keptChildren[row] != 0; }
    std::string_view Total(const TraceLoad& load, std::size_t row) const {
        return totals.empty() ? load.tree.Rows[row].TotalText.view() : std::string_view(totals[row]);
    }
    std::string_view Time(const TraceLoad& load, std::size_t row) const {
        return times.empty() ? load.tree.Rows[row].Time.view() : std::string_view(times[row]);
    }
};

// The rows of `profile`, the trace's calls (corrected when `corrected`),
// or of `run` over a range of them. `withValues` fills the numbers too.
ShownRows RowsOf(const TraceLoad& load, const CallProfile& profile, const RangedRun* run, bool corrected,
                 const NumberFormat& format, bool withValues);

// The rows as the options ask: the overhead taken out, a range. Ends the
// command as OverheadToCorrect and RangeOrExit do.
ShownRows ShowRows(const TraceLoad& load, const OverheadArguments& overhead, const std::optional<std::string>& range,
                   const NumberFormat& format, const std::string& path);

// The six column headers of the call tree, saying when the times are corrected.
std::vector<std::string> TreeHeaders(bool corrected);

}  // namespace kivra
