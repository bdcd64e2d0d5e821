// Exports of a trace to the formats of the common trace viewers: Chrome's
// Trace Event JSON (Perfetto, chrome://tracing), speedscope's file format
// and folded stacks (flame graph tools).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CallProfile.h"
#include "PadRecord.h"

namespace kivra {

// A call's time on the timeline, in nanoseconds.
struct CallSpan {
    std::int64_t Begin = 0;
    std::int64_t End = 0;
};

struct Timeline {
    std::vector<CallSpan> Spans;  // one per call of the profile
    int Clipped = 0;              // calls whose times had to be fitted
};

// Each call's start and stop times, fitted so that calls nest as viewers
// need: a call lies within its caller's span and begins no earlier than the
// end of the call before it from the same caller. A call that overlaps
// either, or stops before it starts, is clipped and counted.
Timeline NestedTimeline(const PadTrace& trace, const CallProfile& profile);

// The exports lay calls out on `fitted` when given (a timeline of the same
// profile, e.g. with the timing overhead cut out), else on NestedTimeline.

struct ExportText {
    std::string Text;
    int Clipped = 0;  // calls clipped to nest, see NestedTimeline
};

// {"traceEvents": [...]}: a "thread_name" metadata event carrying
// `threadName`, then one complete ("X") event per call with "ts" and "dur"
// in microseconds and, with `withData`, the non-empty data fields as "args".
ExportText ChromeTraceJson(const PadTrace& trace, const CallProfile& profile, std::string_view threadName,
                           bool withData = true, const Timeline* fitted = nullptr);

// speedscope's file format: shared frames, one evented profile in
// milliseconds, an "O" and a "C" event per call.
ExportText SpeedscopeJson(const PadTrace& trace, const CallProfile& profile, std::string_view profileName,
                          const Timeline* fitted = nullptr);

// One line per distinct call path, "A;B;C N", N the path's own time on the
// fitted timeline (see NestedTimeline, as the other exports) summed in
// nanoseconds and rounded to whole microseconds; paths whose own time
// rounds to zero are left out. Paths come in the order of their first
// call. A ";" inside a name becomes ":".
ExportText FoldedStacks(const PadTrace& trace, const CallProfile& profile, const Timeline* fitted = nullptr);

// The message for calls clipped in an export.
std::string ClippedCallsMessage(int clipped);

}  // namespace kivra
