// Calls merged by call path: every call reached through the same chain of
// procedure names from the top level counts towards one path, with its own
// and total time on the fitted timeline (see NestedTimeline).
#pragma once

#include <cstdint>
#include <vector>

#include "CallProfile.h"
#include "TraceExport.h"

namespace kivra {

struct CallPath {
    int Parent = -1;  // the caller's path, -1 at the top level
    int Name = 0;     // index into CallProfile::Names
    int Depth = 0;    // 0 at the top level
    int Calls = 0;
    int FirstCall = 0;       // the first call on the path, in display order
    std::int64_t Own = 0;    // nanoseconds: the calls' spans less their callees' spans
    std::int64_t Total = 0;  // nanoseconds: the calls' spans
};

struct CallPaths {
    std::vector<CallPath> Paths;  // in the order of their first call: every caller's path first
    std::vector<int> PathOfCall;  // per call of the profile
};

// Each call's own time on the fitted timeline: its span less the spans of
// its callees, which lie within it and do not overlap.
std::vector<std::int64_t> FittedOwnTimes(const CallProfile& profile, const Timeline& timeline);

// With `collapseRecursion`, a call whose direct caller has the same name goes
// into its caller's path, adding its own time there but neither a call nor
// its total (which lies within the caller's).
CallPaths MergeCallPaths(const CallProfile& profile, const Timeline& timeline, bool collapseRecursion = false);

}  // namespace kivra
