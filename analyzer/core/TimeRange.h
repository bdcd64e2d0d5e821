// A stretch of the run: the calls counted over it, each call's span clipped
// to it. A call counts when its span overlaps the stretch (a call of no
// time when it lies inside it); its total is its clipped span, its own time
// that total less its counted callees' clipped totals.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CallProfile.h"
#include "FlameLayout.h"
#include "TraceExport.h"

namespace kivra {

// Milliseconds of the trace's own clock, as in the file.
struct TimeRange {
    double Start = 0.0;
    double End = 0.0;
};

// "START:END", each a number with "." as the decimal point, START no later
// than END. Nothing, with the reason in `why`, otherwise.
std::optional<TimeRange> ParseTimeRange(std::string_view text, std::string& why);

struct RangedRun {
    // The calls that count, in display order, with their clipped totals and
    // own times, each under its nearest counted caller; the names are the
    // whole run's, so that a name's index means the same procedure.
    CallProfile Profile;
    Timeline Spans;              // per counted call: its span clipped to the range
    std::vector<int> WholeCall;  // per counted call: the call of the whole run it is
};

// `timeline` is the one the views and exports lay the calls out on (fitted
// so that calls nest, or with the timing overhead cut out).
RangedRun RestrictToRange(const CallProfile& profile, const Timeline& timeline, const TimeRange& range);

// A layout of a ranged run's calls told in the whole run's calls: each
// box's first call and each call's box by the call of the whole run, -1
// for the calls outside the range.
FlameLayout InWholeRunCalls(FlameLayout layout, const std::vector<int>& wholeCall, std::size_t wholeCalls);

// The range as the line above the views and the messages say it, e.g.
// "1,204.000 – 1,530.500 ms".
std::string TimeRangeText(const TimeRange& range);
// "326.500": three decimals, thousands grouped with ","; "40,001" for a count.
std::string GroupedMilliseconds(double value);
std::string GroupedCount(long long count);

}  // namespace kivra
