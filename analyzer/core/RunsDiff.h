// The comparison of repeated runs: each side is several runs (traces) of the
// program, and per procedure name the runs' numbers are summed up by their
// median and spread and the two sides compared, so that a change can be told
// from the noise between runs. See RunStatistics.h for the statistics.
//
// - Every number of a side is over all of the side's runs. A run a procedure
//   does not appear in counts 0 ms own, 0 ms total and 0 calls for it: the
//   procedure did not run there. Only SideSummary::Runs counts the runs it
//   appears in. The medians, the test and the interval all see the same
//   values, so that a verdict and its change always point the same way.
// - Spread: the median absolute deviation of the runs' numbers.
// - The change, the interval, the p-value and the verdict are about the
//   procedure's own time in each run. The interval is the Hodges-Lehmann one
//   of the shift new - old; the p-value is the two-sided Mann-Whitney U
//   test's.
// - Verdict: "slower" when p < kSignificance, both sides have at least
//   kVerdictRuns runs and the median own time rose; "faster" likewise when it
//   fell; "~" otherwise. A side without runs gives p = 1 and "~".
// - The top level is the same comparison over each run's top-level total,
//   as both its own and its total time, and each run's call count as calls.
// - Entries: those with a verdict first, then the rest; within each the
//   largest absolute change of the median own time first, equal changes by
//   name (see NameBefore).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "FlatProfile.h"
#include "RunStatistics.h"

namespace kivra {

// A change counts when its p-value is below this.
inline constexpr double kSignificance = 0.05;
// Runs each side needs for a verdict other than "~".
inline constexpr int kVerdictRuns = 3;
// Runs each side should have for the test to tell much.
inline constexpr int kEnoughRuns = 5;

// One procedure's numbers on one side.
struct SideSummary {
    int Runs = 0;              // runs the procedure appears in
    double MedianOwn = 0.0;    // milliseconds, over all runs of the side
    double OwnSpread = 0.0;    // median absolute deviation of the own times
    double MedianTotal = 0.0;  // milliseconds
    double TotalSpread = 0.0;
    double MedianCalls = 0.0;
};

enum class ChangeVerdict {
    Slower,
    Faster,
    Same,  // no change shown: not significant, too few runs, or no change of the median
};

struct RunsDiffEntry {
    std::string Name;
    SideSummary Old;
    SideSummary New;
    double OwnChange = 0.0;                    // New.MedianOwn - Old.MedianOwn
    std::optional<double> OwnChangePercent;    // of Old.MedianOwn; none when that is 0
    double TotalChange = 0.0;                  // New.MedianTotal - Old.MedianTotal
    std::optional<double> TotalChangePercent;  // of Old.MedianTotal; none when that is 0
    std::optional<ShiftInterval> OwnInterval;  // of the own time's shift; none when a side has fewer than 2 runs
    double PValue = 1.0;                       // of the own times, two-sided
    ChangeVerdict Verdict = ChangeVerdict::Same;
};

struct RunsDiff {
    std::vector<RunsDiffEntry> Entries;  // one per procedure name found in any run, in the order above
    RunsDiffEntry TopLevel;              // named "(top level)"
    int OldRuns = 0;
    int NewRuns = 0;
};

// Procedures are matched by exact name.
RunsDiff DiffRuns(const std::vector<FlatProfile>& before, const std::vector<FlatProfile>& after);

// "slower", "faster", "~".
const char* VerdictText(ChangeVerdict verdict);

// Whether a side has fewer than kEnoughRuns runs.
bool NeedsMoreRuns(const RunsDiff& diff);

}  // namespace kivra
