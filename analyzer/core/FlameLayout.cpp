#include "FlameLayout.h"

#include <algorithm>

#include "CallPaths.h"
#include "TraceExport.h"

namespace kivra {
namespace {

void IndexRows(FlameLayout& layout) {
    for (std::size_t b = 0; b < layout.Boxes.size(); ++b) {
        const auto depth = static_cast<std::size_t>(layout.Boxes[b].Depth);
        if (layout.Rows.size() <= depth) layout.Rows.resize(depth + 1);
        layout.Rows[depth].push_back(static_cast<int>(b));
    }
    // By where boxes begin, then where they end: a box of no time at the
    // place where another begins comes before it, wherever their callers
    // put them (merged paths are not laid out in the order they were made).
    const auto before = [&](int a, int b) {
        const FlameBox& x = layout.Boxes[static_cast<std::size_t>(a)];
        const FlameBox& y = layout.Boxes[static_cast<std::size_t>(b)];
        return x.Begin != y.Begin ? x.Begin < y.Begin : x.Width < y.Width;
    };
    for (auto& row : layout.Rows) {
        // Calls in time order usually come so already.
        if (!std::is_sorted(row.begin(), row.end(), before)) std::stable_sort(row.begin(), row.end(), before);
    }
}

}  // namespace

FlameLayout LayoutTimeOrder(const PadTrace& trace, const CallProfile& profile) {
    return LayoutTimeOrder(profile, NestedTimeline(trace, profile));
}

FlameLayout LayoutTimeOrder(const CallProfile& profile, const Timeline& timeline) {
    const std::vector<std::int64_t> own = FittedOwnTimes(profile, timeline);
    FlameLayout layout;
    layout.Mode = FlameMode::TimeOrder;
    layout.Clipped = timeline.Clipped;
    const std::size_t count = profile.Calls.size();
    if (count == 0) return layout;
    // Top-level calls follow one another on the fitted timeline: the first
    // begins earliest, the last ends latest.
    const std::int64_t origin = timeline.Spans.front().Begin;
    std::int64_t end = origin;
    layout.Boxes.resize(count);
    layout.BoxOfCall.resize(count);
    for (std::size_t c = 0; c < count; ++c) {
        const ProfileCall& call = profile.Calls[c];
        const CallSpan& span = timeline.Spans[c];
        FlameBox& box = layout.Boxes[c];
        box.Begin = span.Begin - origin;
        box.Width = span.End - span.Begin;
        box.Own = own[c];
        box.Depth = call.Parent >= 0 ? layout.Boxes[static_cast<std::size_t>(call.Parent)].Depth + 1 : 0;
        box.Name = call.Name;
        box.Parent = call.Parent;
        box.FirstCall = static_cast<int>(c);
        layout.BoxOfCall[c] = static_cast<int>(c);
        end = std::max(end, span.End);
    }
    layout.Extent = end - origin;
    IndexRows(layout);
    return layout;
}

FlameLayout LayoutMerged(const PadTrace& trace, const CallProfile& profile) {
    return LayoutMerged(profile, NestedTimeline(trace, profile));
}

FlameLayout LayoutMerged(const CallProfile& profile, const Timeline& timeline) {
    const CallPaths merged = MergeCallPaths(profile, timeline);
    FlameLayout layout;
    layout.Mode = FlameMode::Merged;
    layout.Clipped = timeline.Clipped;
    layout.BoxOfCall = merged.PathOfCall;
    const std::size_t count = merged.Paths.size();
    layout.Boxes.resize(count);
    std::vector<std::vector<int>> callees(count);
    std::vector<int> top;
    for (std::size_t p = 0; p < count; ++p) {
        const CallPath& path = merged.Paths[p];
        FlameBox& box = layout.Boxes[p];
        box.Width = path.Total;
        box.Own = path.Own;
        box.Depth = path.Depth;
        box.Name = path.Name;
        box.Parent = path.Parent;
        box.Calls = path.Calls;
        box.FirstCall = path.FirstCall;
        (path.Parent >= 0 ? callees[static_cast<std::size_t>(path.Parent)] : top).push_back(static_cast<int>(p));
    }
    // Side by side, the largest first; paths come in the order of their
    // first call, so a stable sort keeps that order among equal ones.
    auto place = [&](std::vector<int>& boxes, std::int64_t begin) {
        std::stable_sort(boxes.begin(), boxes.end(), [&](int a, int b) {
            return layout.Boxes[static_cast<std::size_t>(a)].Width > layout.Boxes[static_cast<std::size_t>(b)].Width;
        });
        for (const int b : boxes) {
            layout.Boxes[static_cast<std::size_t>(b)].Begin = begin;
            begin += layout.Boxes[static_cast<std::size_t>(b)].Width;
        }
        return begin;
    };
    layout.Extent = place(top, 0);
    // Every caller's path comes before its callees': its place is known.
    for (std::size_t p = 0; p < count; ++p) place(callees[p], layout.Boxes[p].Begin);
    IndexRows(layout);
    return layout;
}

std::optional<int> BoxAt(const FlameLayout& layout, int depth, std::int64_t at) {
    if (depth < 0 || static_cast<std::size_t>(depth) >= layout.Rows.size()) return std::nullopt;
    const std::vector<int>& row = layout.Rows[static_cast<std::size_t>(depth)];
    // The last box beginning at or before `at`: of the boxes beginning at one
    // place it is the widest, and the boxes before them end there or sooner.
    const auto it = std::upper_bound(row.begin(), row.end(), at, [&](std::int64_t x, int b) {
        return x < layout.Boxes[static_cast<std::size_t>(b)].Begin;
    });
    if (it == row.begin()) return std::nullopt;
    const FlameBox& box = layout.Boxes[static_cast<std::size_t>(*(it - 1))];
    if (at < box.Begin + box.Width) return *(it - 1);
    return std::nullopt;
}

std::optional<int> SiblingOf(const FlameLayout& layout, int box, bool right) {
    if (box < 0 || static_cast<std::size_t>(box) >= layout.Boxes.size()) return std::nullopt;
    const FlameBox& of = layout.Boxes[static_cast<std::size_t>(box)];
    const std::vector<int>& row = layout.Rows[static_cast<std::size_t>(of.Depth)];
    const auto at = std::find(row.begin(), row.end(), box);
    if (right) {
        if (at + 1 != row.end() && layout.Boxes[static_cast<std::size_t>(*(at + 1))].Parent == of.Parent)
            return *(at + 1);
    } else if (at != row.begin() && layout.Boxes[static_cast<std::size_t>(*(at - 1))].Parent == of.Parent) {
        return *(at - 1);
    }
    return std::nullopt;
}

std::optional<int> FirstCalleeOf(const FlameLayout& layout, int box) {
    if (box < 0 || static_cast<std::size_t>(box) >= layout.Boxes.size()) return std::nullopt;
    const FlameBox& of = layout.Boxes[static_cast<std::size_t>(box)];
    const auto depth = static_cast<std::size_t>(of.Depth) + 1;
    if (depth >= layout.Rows.size()) return std::nullopt;
    const std::vector<int>& row = layout.Rows[depth];
    auto it = std::lower_bound(row.begin(), row.end(), of.Begin, [&](int b, std::int64_t x) {
        return layout.Boxes[static_cast<std::size_t>(b)].Begin < x;
    });
    for (; it != row.end() && layout.Boxes[static_cast<std::size_t>(*it)].Begin <= of.Begin + of.Width; ++it) {
        if (layout.Boxes[static_cast<std::size_t>(*it)].Parent == box) return *it;
    }
    return std::nullopt;
}

}  // namespace kivra
