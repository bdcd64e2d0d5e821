// The call tree reduced to what profiles and exports need: each call's
// procedure name (without the "*" marks the tree adds), its caller, its total
// and its own time as unrounded single-precision numbers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "CallTree.h"
#include "PadRecord.h"

namespace kivra {

struct ProfileCall {
    int Name = 0;        // index into CallProfile::Names
    int Parent = -1;     // index of the calling call, -1 at the top level
    int Level = 0;       // the row's level
    int Record = 0;      // the record the row shows
    float Total = 0.0f;  // milliseconds
    float Own = 0.0f;    // Total less the totals of the calls it made, subtracted in display order
};

struct CallProfile {
    std::vector<std::string> Names;  // distinct procedure names, in the order of their first call
    std::vector<ProfileCall> Calls;  // one per row, in display order: every call after its caller
    double TopLevelTotal = 0.0;      // sum of the top-level calls' totals
    double OwnSum = 0.0;             // sum of every call's own time
};

// One call per row of the tree. A call's caller is the nearest row before it
// one level up, as in the table.
CallProfile BuildCallProfile(const PadTrace& trace, const std::vector<TraceRow>& rows);

// A record's name without the `marks` "*" that the tree appended to it.
std::string_view WithoutMarks(std::string_view name, int marks);

}  // namespace kivra
