#include "TraceDiff.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace kivra {

std::optional<double> ChangePercent(double from, double to) {
    if (from == 0.0) return std::nullopt;
    return (to - from) / std::fabs(from) * 100.0;
}

TraceDiff DiffFlatProfiles(const FlatProfile& before, const FlatProfile& after) {
    TraceDiff diff;
    diff.OldTopLevelTotal = before.TopLevelTotal;
    diff.NewTopLevelTotal = after.TopLevelTotal;
    diff.TopLevelChange = after.TopLevelTotal - before.TopLevelTotal;
    diff.TopLevelChangePercent = ChangePercent(before.TopLevelTotal, after.TopLevelTotal);

    std::unordered_map<std::string, std::size_t> index;
    index.reserve(before.Entries.size() + after.Entries.size());
    for (const FlatEntry& entry : before.Entries) {
        index.emplace(entry.Name, diff.Entries.size());
        DiffEntry& d = diff.Entries.emplace_back();
        d.Name = entry.Name;
        d.Status = DiffStatus::Removed;
        d.OldCalls = entry.Calls;
        d.OldOwn = entry.Own;
        d.OldTotal = entry.Total;
    }
    for (const FlatEntry& entry : after.Entries) {
        const auto [found, added] = index.try_emplace(entry.Name, diff.Entries.size());
        if (added) {
            DiffEntry& d = diff.Entries.emplace_back();
            d.Name = entry.Name;
            d.Status = DiffStatus::Added;
        }
        DiffEntry& d = diff.Entries[found->second];
        if (!added) d.Status = DiffStatus::Both;
        d.NewCalls = entry.Calls;
        d.NewOwn = entry.Own;
        d.NewTotal = entry.Total;
    }
    for (DiffEntry& d : diff.Entries) {
        d.OwnChange = d.NewOwn - d.OldOwn;
        if (d.Status == DiffStatus::Both) d.OwnChangePercent = ChangePercent(d.OldOwn, d.NewOwn);
    }
    std::stable_sort(diff.Entries.begin(), diff.Entries.end(), [](const DiffEntry& a, const DiffEntry& b) {
        const double ca = std::fabs(a.OwnChange);
        const double cb = std::fabs(b.OwnChange);
        if (ca != cb) return ca > cb;
        return NameBefore(a.Name, b.Name);
    });
    return diff;
}

}  // namespace kivra
