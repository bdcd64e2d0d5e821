// The timing object's own cost, as a trace states it in its seventh header
// line, and the numbers of a run with that cost taken out.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "CallProfile.h"
#include "PadRecord.h"
#include "TraceExport.h"

namespace kivra {

// What one Start/St0p pair costs, in milliseconds: `inside` falls within the
// call's own span, `outside` in its caller's time.
struct TimingOverhead {
    double inside = 0.0;
    double outside = 0.0;
};

// "Overhead: <a> ms inside, <b> ms outside per call", the numbers with a
// point; nothing for any other line or for numbers below zero.
std::optional<TimingOverhead> ReadOverheadLine(std::string_view line);

// "A,B" as --overhead gives it; nothing when it is not two numbers of zero
// or more.
std::optional<TimingOverhead> ReadOverheadPair(std::string_view text);

// Takes the overhead out of every call: its total less `inside`, less
// inside + outside for each call below it; its own time then that total
// less its callees' corrected totals. Neither is ever below zero: the calls
// held at zero are counted and the count returned.
int CorrectForOverhead(CallProfile& profile, const TimingOverhead& overhead);

// The calls' spans with the overhead cut out, for a profile that
// CorrectForOverhead has corrected: each call as long as its corrected
// total, the time between calls of one caller less the `outside` part that
// lay there, and between a caller's start or end and its first or last
// callee, half of a whole pair. Calls nest as in NestedTimeline; Clipped
// counts the calls that the fitting of the recorded times clipped.
Timeline CorrectedTimeline(const PadTrace& trace, const CallProfile& corrected, const TimingOverhead& overhead);
// The same from the recorded timeline (NestedTimeline) already at hand.
Timeline CorrectedTimeline(const Timeline& recorded, const CallProfile& corrected, const TimingOverhead& overhead);

// What the overhead does to a run, e.g. "Timing overhead: 0.012 ms per
// call; 40,001 calls put about 480.012 ms into their callers' own times".
std::string OverheadSummary(const TimingOverhead& overhead, std::size_t calls);

// The message for calls whose corrected times were held at zero.
std::string ClampedCallsMessage(int clamped);

}  // namespace kivra
