// The flat profile: one entry per procedure name with its calls, own time
// and total time, for finding where a run's time goes.
#pragma once

#include <string>
#include <vector>

#include "CallProfile.h"

namespace kivra {

struct FlatEntry {
    std::string Name;  // the procedure name, without "*" marks
    int Calls = 0;
    double Own = 0.0;         // sum of the calls' own times, milliseconds
    double Total = 0.0;       // sum of the totals of the calls not nested in a call of the same name
    double MeanOwn = 0.0;     // Own / Calls
    double MaxOwn = 0.0;      // the largest own time of a single call
    double OwnPercent = 0.0;  // Own as a percentage of the top-level total; 0 when that is not positive
};

enum class FlatOrder {
    Own,    // largest own time first
    Total,  // largest total first
    Calls,  // most calls first
    Name,   // by name, letter case ignored
};

struct FlatProfile {
    std::vector<FlatEntry> Entries;
    double TopLevelTotal = 0.0;  // sum of the top-level calls' totals
    double OwnSum = 0.0;         // sum of every call's own time
    int CallCount = 0;
};

// Entries in the order of each name's first call.
FlatProfile ComputeFlatProfile(const CallProfile& profile);

// Procedure names in alphabetical order with letter case ignored, as Basic
// ignores it; names that differ only in case in byte order.
bool NameBefore(const std::string& a, const std::string& b);

// Sorts the entries; equal keys are ordered by name, letter case ignored.
void SortFlatProfile(FlatProfile& profile, FlatOrder order);

}  // namespace kivra
