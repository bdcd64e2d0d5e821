#include "CallPaths.h"

#include <unordered_map>

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

CallPaths MergeCallPaths(const CallProfile& profile, const Timeline& timeline) {
    const std::vector<std::int64_t> own = FittedOwnTimes(profile, timeline);
    const std::size_t count = profile.Calls.size();
    CallPaths merged;
    merged.PathOfCall.assign(count, -1);
    // Distinct paths by (caller's path, name).
    // A run has far fewer paths than calls: a table of paths stays small,
    // and in the cache, however many calls it counts.
    std::unordered_map<std::uint64_t, int> known;
    known.reserve(1024);
    for (std::size_t c = 0; c < count; ++c) {
        const ProfileCall& call = profile.Calls[c];
        const int parentPath = call.Parent >= 0 ? merged.PathOfCall[static_cast<std::size_t>(call.Parent)] : -1;
        const std::uint64_t key = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(parentPath)) << 32) |
                                  static_cast<std::uint32_t>(call.Name);
        const auto [found, added] = known.try_emplace(key, static_cast<int>(merged.Paths.size()));
        if (added) {
            CallPath path;
            path.Parent = parentPath;
            path.Name = call.Name;
            path.Depth = parentPath >= 0 ? merged.Paths[static_cast<std::size_t>(parentPath)].Depth + 1 : 0;
            path.FirstCall = static_cast<int>(c);
            merged.Paths.push_back(path);
        }
        CallPath& path = merged.Paths[static_cast<std::size_t>(found->second)];
        ++path.Calls;
        path.Own += own[c];
        path.Total += timeline.Spans[c].End - timeline.Spans[c].Begin;
        merged.PathOfCall[c] = found->second;
    }
    return merged;
}

}  // namespace kivra
