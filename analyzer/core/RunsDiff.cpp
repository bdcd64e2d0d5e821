#include "RunsDiff.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <unordered_map>
#include <utility>

#include "CallerCallee.h"
#include "TraceDiff.h"

namespace kivra {

namespace {

// One procedure's numbers in each run of a side, 0 where it did not run.
struct RunSamples {
    std::vector<double> Own;
    std::vector<double> Total;
    std::vector<double> Calls;
    int Runs = 0;      // runs the procedure appears in
    int LastRun = -1;  // the last run counted in Runs
};

RunSamples ZeroSamples(std::size_t runs) {
    RunSamples samples;
    samples.Own.assign(runs, 0.0);
    samples.Total.assign(runs, 0.0);
    samples.Calls.assign(runs, 0.0);
    return samples;
}

SideSummary Summarise(const RunSamples& samples) {
    SideSummary side;
    side.Runs = samples.Runs;
    side.MedianOwn = Median(samples.Own);
    side.OwnSpread = MedianAbsoluteDeviation(samples.Own);
    side.MedianTotal = Median(samples.Total);
    side.TotalSpread = MedianAbsoluteDeviation(samples.Total);
    side.MedianCalls = Median(samples.Calls);
    return side;
}

RunsDiffEntry Compare(std::string name, const RunSamples& old, const RunSamples& now) {
    RunsDiffEntry entry;
    entry.Name = std::move(name);
    entry.Old = Summarise(old);
    entry.New = Summarise(now);
    entry.OwnChange = entry.New.MedianOwn - entry.Old.MedianOwn;
    entry.OwnChangePercent = ChangePercent(entry.Old.MedianOwn, entry.New.MedianOwn);
    entry.TotalChange = entry.New.MedianTotal - entry.Old.MedianTotal;
    entry.TotalChangePercent = ChangePercent(entry.Old.MedianTotal, entry.New.MedianTotal);
    entry.OwnInterval = HodgesLehmann(old.Own, now.Own).Interval;
    entry.PValue = MannWhitneyU(old.Own, now.Own).PValue;

    const auto enough = static_cast<std::size_t>(kVerdictRuns);
    if (entry.PValue < kSignificance && old.Own.size() >= enough && now.Own.size() >= enough) {
        if (entry.OwnChange > 0.0) entry.Verdict = ChangeVerdict::Slower;
        if (entry.OwnChange < 0.0) entry.Verdict = ChangeVerdict::Faster;
    }
    return entry;
}

// The size of a change for ordering; NaN as the smallest, so that the order
// stays a strict weak one.
double ChangeSize(double change) { return std::isnan(change) ? -1.0 : std::fabs(change); }

}  // namespace

RunsDiff DiffRuns(const std::vector<FlatProfile>& before, const std::vector<FlatProfile>& after) {
    RunsDiff diff;
    diff.OldRuns = static_cast<int>(before.size());
    diff.NewRuns = static_cast<int>(after.size());

    struct Procedure {
        std::string Name;
        RunSamples Old;
        RunSamples New;
    };
    std::vector<Procedure> procedures;
    std::unordered_map<std::string, std::size_t> index;
    auto collect = [&](const std::vector<FlatProfile>& runs, bool old) {
        for (std::size_t run = 0; run < runs.size(); ++run) {
            for (const FlatEntry& flat : runs[run].Entries) {
                const auto [found, added] = index.try_emplace(flat.Name, procedures.size());
                if (added) procedures.push_back({flat.Name, ZeroSamples(before.size()), ZeroSamples(after.size())});
                RunSamples& samples = old ? procedures[found->second].Old : procedures[found->second].New;
                // A name listed twice in one run (a profile put together by
                // hand) adds up rather than losing one of its entries.
                samples.Own[run] += flat.Own;
                samples.Total[run] += flat.Total;
                samples.Calls[run] += flat.Calls;
                if (samples.LastRun != static_cast<int>(run)) {
                    ++samples.Runs;
                    samples.LastRun = static_cast<int>(run);
                }
            }
        }
    };
    collect(before, true);
    collect(after, false);

    diff.Entries.reserve(procedures.size());
    for (Procedure& procedure : procedures) {
        diff.Entries.push_back(Compare(std::move(procedure.Name), procedure.Old, procedure.New));
    }
    std::stable_sort(diff.Entries.begin(), diff.Entries.end(), [](const RunsDiffEntry& a, const RunsDiffEntry& b) {
        const bool sa = a.Verdict != ChangeVerdict::Same;
        const bool sb = b.Verdict != ChangeVerdict::Same;
        if (sa != sb) return sa;
        const double ca = ChangeSize(a.OwnChange);
        const double cb = ChangeSize(b.OwnChange);
        if (ca != cb) return ca > cb;
        return NameBefore(a.Name, b.Name);
    });

    auto topLevel = [](const std::vector<FlatProfile>& runs) {
        RunSamples samples = ZeroSamples(runs.size());
        for (std::size_t run = 0; run < runs.size(); ++run) {
            samples.Own[run] = runs[run].TopLevelTotal;
            samples.Total[run] = runs[run].TopLevelTotal;
            samples.Calls[run] = runs[run].CallCount;
        }
        samples.Runs = static_cast<int>(runs.size());
        return samples;
    };
    diff.TopLevel = Compare(std::string(kTopLevelText), topLevel(before), topLevel(after));
    return diff;
}

const char* VerdictText(ChangeVerdict verdict) {
    switch (verdict) {
    case ChangeVerdict::Slower: return "slower";
    case ChangeVerdict::Faster: return "faster";
    case ChangeVerdict::Same: return "~";
    }
    return "~";
}

bool NeedsMoreRuns(const RunsDiff& diff) { return diff.OldRuns < kEnoughRuns || diff.NewRuns < kEnoughRuns; }

}  // namespace kivra
