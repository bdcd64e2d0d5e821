#include "CallerCallee.h"

#include <algorithm>
#include <unordered_map>

#include "FlatProfile.h"
#include "TextEncoding.h"
#include "TreeSearch.h"

namespace kivra {
namespace {

// Groups the indexes [0, count) by key (keys in [0, groups)), each group in
// index order: `start` gets where each group begins, with one more entry
// at the end. Keys below zero are left out.
template <typename Key>
void GroupBy(std::size_t count, std::size_t groups, Key key, std::vector<int>& start, std::vector<int>& grouped) {
    start.assign(groups + 1, 0);
    for (std::size_t i = 0; i < count; ++i) {
        if (const int k = key(i); k >= 0) ++start[static_cast<std::size_t>(k) + 1];
    }
    for (std::size_t g = 0; g < groups; ++g) start[g + 1] += start[g];
    grouped.resize(static_cast<std::size_t>(start[groups]));
    std::vector<int> next(start.begin(), start.end() - 1);
    for (std::size_t i = 0; i < count; ++i) {
        if (const int k = key(i); k >= 0)
            grouped[static_cast<std::size_t>(next[static_cast<std::size_t>(k)]++)] = static_cast<int>(i);
    }
}

// Edges added up by name, in the order their names first come.
class EdgeList {
public:
    void Add(int name, double total) {
        const auto [at, added] = where_.try_emplace(name, edges_.size());
        if (added) edges_.push_back(CallEdge{name, 0, 0.0});
        CallEdge& edge = edges_[at->second];
        ++edge.Calls;
        edge.Total += total;
    }

    std::vector<CallEdge> Sorted(const CallProfile& profile) && {
        std::sort(edges_.begin(), edges_.end(), [&](const CallEdge& a, const CallEdge& b) {
            if (a.Total != b.Total) return a.Total > b.Total;
            return NameBefore(std::string(EdgeNameText(profile, a.Name)), std::string(EdgeNameText(profile, b.Name)));
        });
        return std::move(edges_);
    }

private:
    std::vector<CallEdge> edges_;
    std::unordered_map<int, std::size_t> where_;
};

}  // namespace

std::string_view EdgeNameText(const CallProfile& profile, int name) {
    if (name == kTopLevelName) return kTopLevelText;
    if (name < 0 || static_cast<std::size_t>(name) >= profile.Names.size()) return {};
    return profile.Names[static_cast<std::size_t>(name)];
}

CallerCalleeIndex::CallerCalleeIndex(const CallProfile& profile) : profile_(&profile) {
    const std::vector<ProfileCall>& calls = profile.Calls;
    const std::size_t count = calls.size();
    GroupBy(
        count, profile.Names.size(), [&](std::size_t c) { return calls[c].Name; }, nameStart_, callsByName_);
    GroupBy(
        count, count, [&](std::size_t c) { return calls[c].Parent; }, calleeStart_, callees_);

    // As the flat profile decides it: how many calls of each name are open
    // along the path to the current call.
    nestedInSame_.assign(count, 0);
    std::vector<int> open(profile.Names.size(), 0);
    std::vector<int> path;
    for (std::size_t c = 0; c < count; ++c) {
        const ProfileCall& call = calls[c];
        while (!path.empty() && path.back() != call.Parent) {
            --open[static_cast<std::size_t>(calls[static_cast<std::size_t>(path.back())].Name)];
            path.pop_back();
        }
        const auto name = static_cast<std::size_t>(call.Name);
        nestedInSame_[c] = open[name] > 0 ? 1 : 0;
        ++open[name];
        path.push_back(static_cast<int>(c));
    }
}

CallerCallee CallerCalleeIndex::Query(int name, bool collapseRecursion) const {
    CallerCallee result;
    result.Name = name;
    if (name < 0 || static_cast<std::size_t>(name) >= profile_->Names.size()) return result;
    const std::vector<ProfileCall>& calls = profile_->Calls;
    const auto n = static_cast<std::size_t>(name);
    EdgeList callers;
    EdgeList callees;
    // The calls in display order, so that own and total add up in the
    // order the flat profile adds them, to the same bits.
    for (int i = nameStart_[n]; i < nameStart_[n + 1]; ++i) {
        const auto c = static_cast<std::size_t>(callsByName_[static_cast<std::size_t>(i)]);
        const ProfileCall& call = calls[c];
        result.Own += call.Own;
        if (nestedInSame_[c] == 0) result.Total += call.Total;
        const int callerName = call.Parent >= 0 ? calls[static_cast<std::size_t>(call.Parent)].Name : kTopLevelName;
        // Collapsed, a direct self call is part of its caller: neither a
        // call of its own nor an edge, and its callees are the caller's.
        const bool inCaller = collapseRecursion && callerName == name;
        if (!inCaller) {
            ++result.Calls;
            callers.Add(callerName, call.Total);
        }
        for (int k = calleeStart_[c]; k < calleeStart_[c + 1]; ++k) {
            const ProfileCall& callee = calls[static_cast<std::size_t>(callees_[static_cast<std::size_t>(k)])];
            if (collapseRecursion && callee.Name == name) continue;
            callees.Add(callee.Name, callee.Total);
        }
    }
    result.Callers = std::move(callers).Sorted(*profile_);
    result.Callees = std::move(callees).Sorted(*profile_);
    return result;
}

std::optional<std::vector<int>> FindProcedures(const CallProfile& profile, const std::string& pattern,
                                               bool regularExpression, std::string* why) {
    std::vector<int> found;
    const std::size_t count = profile.Names.size();
    if (regularExpression) {
        FindQuery query;
        query.text = pattern;
        query.regularExpression = true;
        const std::optional<RowMatcher> matcher = RowMatcher::Make(query, why);
        if (!matcher) return std::nullopt;
        for (std::size_t n = 0; n < count; ++n) {
            if (matcher->Matches(SearchRow{profile.Names[n], {}, {}, {}})) found.push_back(static_cast<int>(n));
        }
        return found;
    }
    for (std::size_t n = 0; n < count; ++n) {
        if (profile.Names[n] == pattern) found.push_back(static_cast<int>(n));
    }
    if (!found.empty()) return found;
    const std::string lowered = LowerAscii(pattern);
    for (std::size_t n = 0; n < count; ++n) {
        if (profile.Names[n].size() == pattern.size() && LowerAscii(profile.Names[n]) == lowered) {
            found.push_back(static_cast<int>(n));
        }
    }
    return found;
}

}  // namespace kivra
