#include "CallPaths.h"

#include "PairIndex.h"

namespace kivra {

std::vector<std::int64_t> FittedOwnTimes(const CallProfile& profile, const Timeline& timeline) {
    const std::size_t count = profile.Calls.size();
    std::vector<std::int64_t> own(count);
    for (std::size_t c = 0; c < count; ++c) {
        const CallSpan& span = timeline.Spans[c];
        own[c] += span.End - span.Begin;
        if (const int parent = profile.Calls[c].Parent; parent >= 0) {
            own[static_cast<std::size_t>(parent)] -= span.End - span.Begin;
        }
    }
    return own;
}

CallPaths MergeCallPaths(const CallProfile& profile, const Timeline& timeline, bool collapseRecursion) {
    const std::vector<std::int64_t> own = FittedOwnTimes(profile, timeline);
    const std::size_t count = profile.Calls.size();
    CallPaths merged;
    merged.PathOfCall.assign(count, -1);
    // Distinct paths by (caller's path, name): a run has far fewer paths than
    // calls, so the table stays small and in the cache.
    PairIndex known;
    for (std::size_t c = 0; c < count; ++c) {
        const ProfileCall& call = profile.Calls[c];
        const int parentPath = call.Parent >= 0 ? merged.PathOfCall[static_cast<std::size_t>(call.Parent)] : -1;
        if (collapseRecursion && call.Parent >= 0 &&
            profile.Calls[static_cast<std::size_t>(call.Parent)].Name == call.Name) {
            merged.Paths[static_cast<std::size_t>(parentPath)].Own += own[c];
            merged.PathOfCall[c] = parentPath;
            continue;
        }
        const auto [found, added] = known.FindOrAdd(parentPath, call.Name, static_cast<int>(merged.Paths.size()));
        if (added) {
            CallPath path;
            path.Parent = parentPath;
            path.Name = call.Name;
            path.Depth = parentPath >= 0 ? merged.Paths[static_cast<std::size_t>(parentPath)].Depth + 1 : 0;
            path.FirstCall = static_cast<int>(c);
            merged.Paths.push_back(path);
        }
        CallPath& path = merged.Paths[static_cast<std::size_t>(found)];
        ++path.Calls;
        path.Own += own[c];
        path.Total += timeline.Spans[c].End - timeline.Spans[c].Begin;
        merged.PathOfCall[c] = found;
    }
    return merged;
}

}  // namespace kivra
