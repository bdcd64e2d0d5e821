// The difference of two runs: their flat profiles side by side per
// procedure name, the largest change in own time first.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "FlatProfile.h"

namespace kivra {

enum class DiffStatus {
    Both,     // in both runs
    Added,    // only in the new run
    Removed,  // only in the old run
};

struct DiffEntry {
    std::string Name;
    DiffStatus Status = DiffStatus::Both;
    int OldCalls = 0;
    int NewCalls = 0;
    double OldOwn = 0.0;  // milliseconds; 0 on the side the procedure is missing from
    double NewOwn = 0.0;
    double OldTotal = 0.0;
    double NewTotal = 0.0;
    double OwnChange = 0.0;                  // NewOwn - OldOwn
    std::optional<double> OwnChangePercent;  // of the old own time; none when that is 0
};

struct TraceDiff {
    std::vector<DiffEntry> Entries;  // largest absolute own change first, equal changes by name (see NameBefore)
    double OldTopLevelTotal = 0.0;
    double NewTopLevelTotal = 0.0;
    double TopLevelChange = 0.0;                  // new less old
    std::optional<double> TopLevelChangePercent;  // of the old total; none when that is 0
};

TraceDiff DiffFlatProfiles(const FlatProfile& before, const FlatProfile& after);

// The change as a percentage of `from`, signed like the change; none when
// `from` is 0.
std::optional<double> ChangePercent(double from, double to);

}  // namespace kivra
