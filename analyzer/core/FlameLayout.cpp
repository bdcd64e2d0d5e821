#include "FlameLayout.h"

#include <algorithm>
#include <utility>

#include "CallPaths.h"
#include "PairIndex.h"
#include "TraceExport.h"

namespace kivra {
namespace {

// Puts each row's boxes in order, where they are not already.
void SortRows(FlameLayout& layout) {
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

void IndexRows(FlameLayout& layout) {
    for (std::size_t b = 0; b < layout.Boxes.size(); ++b) {
        const auto depth = static_cast<std::size_t>(layout.Boxes[b].Depth);
        if (layout.Rows.size() <= depth) layout.Rows.resize(depth + 1);
        layout.Rows[depth].push_back(static_cast<int>(b));
    }
    SortRows(layout);
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

namespace {

// Call stacks read from the procedure that spent the time upwards, as a
// tree: a node is a stack's first names, its parent the same less the last
// of them.
class StackTree {
public:
    struct Node {
        int Parent = -1;
        int Name = 0;
        int Depth = 0;
    };

    const std::vector<Node>& Nodes() const { return nodes_; }
    // The nodes, the tables that found them given back.
    std::vector<Node> TakeNodes() && {
        children_ = PairIndex();
        prepended_ = PairIndex();
        return std::move(nodes_);
    }

    // The node of the parent's names followed by `name`; -1 for no parent.
    int Child(int parent, int name) {
        const auto [node, added] = children_.FindOrAdd(parent, name, static_cast<int>(nodes_.size()));
        if (added) {
            nodes_.push_back(Node{parent, name, parent >= 0 ? nodes_[static_cast<std::size_t>(parent)].Depth + 1 : 0});
        }
        return node;
    }

    // The node of `name` followed by the names of `node` (-1 for none): the
    // stack of a call made by the calls that `node` stands for. Each answer
    // is kept, so that a stack is read once however many stacks end in it:
    // the work grows with the nodes made, not with the depth of every stack
    // (a recursion n calls deep has n stacks but n nodes, not n * n).
    int Prepend(int name, int node) {
        if (node < 0) return Child(-1, name);
        if (const int known = prepended_.Find(name, node); known >= 0) return known;
        // Up to the first node that `name` already went before, or the top.
        chain_.clear();
        int at = node;
        int result = -1;
        for (; at >= 0; at = nodes_[static_cast<std::size_t>(at)].Parent) {
            if (const int known = prepended_.Find(name, at); known >= 0) {
                result = known;
                break;
            }
            chain_.push_back(at);
        }
        if (at < 0) result = Child(-1, name);
        // Then down again: name + (a node's names) is name + (its parent's
        // names), followed by the node's own name.
        for (auto it = chain_.rbegin(); it != chain_.rend(); ++it) {
            result = Child(result, nodes_[static_cast<std::size_t>(*it)].Name);
            prepended_.FindOrAdd(name, *it, result);
        }
        return result;
    }

private:
    std::vector<Node> nodes_;
    PairIndex children_;   // (parent, name) -> node
    PairIndex prepended_;  // (name, node) -> node
    std::vector<int> chain_;
};

// Puts boxes whose Width, Parent and FirstCall are set side by side: each
// box's children from its left edge, the widest first, equal ones by their
// first call; the boxes without a parent likewise from 0. Every parent
// comes before its children.
void PlaceBoxes(FlameLayout& layout) {
    std::vector<FlameBox>& boxes = layout.Boxes;
    const std::size_t count = boxes.size();
    // Children grouped by parent (the top level first): where each group begins.
    std::vector<int> start(count + 2, 0);
    for (const FlameBox& box : boxes) ++start[static_cast<std::size_t>(box.Parent + 1) + 1];
    for (std::size_t g = 0; g + 1 < start.size(); ++g) start[g + 1] += start[g];
    std::vector<int> grouped(count);
    std::vector<int> next(start.begin(), start.end() - 1);
    for (std::size_t b = 0; b < count; ++b) {
        grouped[static_cast<std::size_t>(next[static_cast<std::size_t>(boxes[b].Parent + 1)]++)] = static_cast<int>(b);
    }
    const auto before = [&](int a, int b) {
        const FlameBox& x = boxes[static_cast<std::size_t>(a)];
        const FlameBox& y = boxes[static_cast<std::size_t>(b)];
        if (x.Width != y.Width) return x.Width > y.Width;
        if (x.FirstCall != y.FirstCall) return x.FirstCall < y.FirstCall;
        return a < b;
    };
    const auto place = [&](std::size_t group, std::int64_t begin) {
        const auto first = grouped.begin() + start[group];
        const auto last = grouped.begin() + start[group + 1];
        std::sort(first, last, before);
        for (auto it = first; it != last; ++it) {
            boxes[static_cast<std::size_t>(*it)].Begin = begin;
            begin += boxes[static_cast<std::size_t>(*it)].Width;
        }
        return begin;
    };
    layout.Extent = place(0, 0);
    for (std::size_t b = 0; b < count; ++b) place(b + 1, boxes[b].Begin);
    // Row by row, each box's children after those of the boxes left of it:
    // from left to right already, but for boxes of no time at one place.
    layout.Rows.clear();
    if (count == 0) return;
    layout.Rows.emplace_back(grouped.begin() + start[0], grouped.begin() + start[1]);
    while (true) {
        std::vector<int> row;
        for (const int b : layout.Rows.back()) {
            const auto group = static_cast<std::size_t>(b) + 1;
            row.insert(row.end(), grouped.begin() + start[group], grouped.begin() + start[group + 1]);
        }
        if (row.empty()) break;
        layout.Rows.push_back(std::move(row));
    }
    SortRows(layout);
}

// Per node of a stack tree: the nanoseconds, calls and first call of the
// stacks that end there.
struct StackEnds {
    std::vector<std::int64_t> Time;
    std::vector<int> Calls;
    std::vector<int> FirstCall;

    explicit StackEnds(std::size_t nodes) : Time(nodes, 0), Calls(nodes, 0), FirstCall(nodes, -1) {}
    void Add(int node, std::int64_t time, int calls, int firstCall) {
        const auto n = static_cast<std::size_t>(node);
        Time[n] += time;
        Calls[n] += calls;
        if (FirstCall[n] < 0 || firstCall < FirstCall[n]) FirstCall[n] = firstCall;
    }
};

// A box per node of the tree, or per node of the subtree of `root` when it
// is not -1, each standing for the stacks that end in it or above it.
FlameLayout LayoutStacks(const std::vector<StackTree::Node>& nodes, const StackEnds& ends, int root) {
    const std::size_t count = nodes.size();
    FlameLayout layout;
    layout.Mode = FlameMode::Inverted;
    std::vector<int> boxOfNode(count, -1);
    if (root < 0) layout.Boxes.reserve(count);
    for (std::size_t n = 0; n < count; ++n) {
        const StackTree::Node& node = nodes[n];
        const int parentBox = node.Parent >= 0 ? boxOfNode[static_cast<std::size_t>(node.Parent)] : -1;
        if (root >= 0 && static_cast<int>(n) != root && parentBox < 0) continue;
        boxOfNode[n] = static_cast<int>(layout.Boxes.size());
        FlameBox box;
        box.Width = ends.Time[n];
        box.Own = 0;  // set by the caller: only the depth-0 boxes have any
        box.Depth = node.Depth;
        box.Name = node.Name;
        box.Parent = parentBox;
        box.Calls = ends.Calls[n];
        box.FirstCall = ends.FirstCall[n];
        layout.Boxes.push_back(box);
    }
    // Each box stands for the stacks that end in it and in the boxes above.
    for (std::size_t b = layout.Boxes.size(); b-- > 0;) {
        const FlameBox& box = layout.Boxes[b];
        if (box.Parent < 0) continue;
        FlameBox& parent = layout.Boxes[static_cast<std::size_t>(box.Parent)];
        parent.Width += box.Width;
        parent.Calls += box.Calls;
        if (parent.FirstCall < 0 || (box.FirstCall >= 0 && box.FirstCall < parent.FirstCall)) {
            parent.FirstCall = box.FirstCall;
        }
    }
    PlaceBoxes(layout);
    return layout;
}

// Whether each path has a path of the procedure `name` above it.
std::vector<char> BelowName(const CallPaths& merged, int name) {
    std::vector<char> below(merged.Paths.size(), 0);
    for (std::size_t p = 0; p < merged.Paths.size(); ++p) {
        const int parent = merged.Paths[p].Parent;
        if (parent < 0) continue;
        const auto up = static_cast<std::size_t>(parent);
        below[p] = merged.Paths[up].Name == name || below[up] != 0 ? 1 : 0;
    }
    return below;
}

FlameLayout LayoutFromPaths(const CallPaths& merged, int clipped) {
    FlameLayout layout;
    layout.Mode = FlameMode::Merged;
    layout.Clipped = clipped;
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

}  // namespace

FlameLayout LayoutMerged(const PadTrace& trace, const CallProfile& profile, bool collapseRecursion) {
    return LayoutMerged(profile, NestedTimeline(trace, profile), collapseRecursion);
}

FlameLayout LayoutMerged(const CallProfile& profile, const Timeline& timeline, bool collapseRecursion) {
    // Uncollapsed, the paths as every other view merges them.
    return LayoutFromPaths(MergeCallPaths(profile, timeline, collapseRecursion), timeline.Clipped);
}

FlameLayout LayoutInverted(const PadTrace& trace, const CallProfile& profile, bool collapseRecursion) {
    return LayoutInverted(profile, NestedTimeline(trace, profile), collapseRecursion);
}

FlameLayout LayoutInverted(const CallProfile& profile, const Timeline& timeline, bool collapseRecursion) {
    const CallPaths merged = MergeCallPaths(profile, timeline, collapseRecursion);
    // Each path's stack, read upwards, from its caller's: paths come after
    // their callers.
    StackTree tree;
    std::vector<int> stackOfPath(merged.Paths.size());
    for (std::size_t p = 0; p < merged.Paths.size(); ++p) {
        const CallPath& path = merged.Paths[p];
        stackOfPath[p] =
            tree.Prepend(path.Name, path.Parent >= 0 ? stackOfPath[static_cast<std::size_t>(path.Parent)] : -1);
    }
    StackEnds ends(tree.Nodes().size());
    for (std::size_t p = 0; p < merged.Paths.size(); ++p) {
        const CallPath& path = merged.Paths[p];
        ends.Add(stackOfPath[p], path.Own, path.Calls, path.FirstCall);
    }
    FlameLayout layout = LayoutStacks(std::move(tree).TakeNodes(), ends, -1);
    layout.Clipped = timeline.Clipped;
    // A depth-0 box is its procedure's own time, and a call's box.
    std::vector<int> boxOfName(profile.Names.size(), -1);
    for (std::size_t b = 0; b < layout.Boxes.size(); ++b) {
        FlameBox& box = layout.Boxes[b];
        if (box.Depth != 0) continue;
        box.Own = box.Width;
        boxOfName[static_cast<std::size_t>(box.Name)] = static_cast<int>(b);
    }
    layout.BoxOfCall.resize(profile.Calls.size());
    for (std::size_t c = 0; c < profile.Calls.size(); ++c) {
        layout.BoxOfCall[c] = boxOfName[static_cast<std::size_t>(profile.Calls[c].Name)];
    }
    return layout;
}

FlameLayout LayoutCalleesOf(const PadTrace& trace, const CallProfile& profile, int name, bool collapseRecursion) {
    return LayoutCalleesOf(profile, NestedTimeline(trace, profile), name, collapseRecursion);
}

FlameLayout LayoutCalleesOf(const CallProfile& profile, const Timeline& timeline, int name, bool collapseRecursion) {
    const CallPaths merged = MergeCallPaths(profile, timeline, collapseRecursion);
    const std::vector<char> below = BelowName(merged, name);
    // The paths from the procedure's outermost calls down, merged again
    // from the procedure: its paths not below another of its paths are one.
    CallPaths rooted;
    std::vector<int> rootedOf(merged.Paths.size(), -1);
    PairIndex known;
    for (std::size_t p = 0; p < merged.Paths.size(); ++p) {
        const CallPath& path = merged.Paths[p];
        int parent = -1;
        if (path.Name == name && below[p] == 0) {
            parent = -1;
        } else if (path.Parent >= 0 && rootedOf[static_cast<std::size_t>(path.Parent)] >= 0) {
            parent = rootedOf[static_cast<std::size_t>(path.Parent)];
        } else {
            continue;
        }
        const auto [found, added] = known.FindOrAdd(parent, path.Name, static_cast<int>(rooted.Paths.size()));
        if (added) {
            CallPath merge;
            merge.Parent = parent;
            merge.Name = path.Name;
            merge.Depth = parent >= 0 ? rooted.Paths[static_cast<std::size_t>(parent)].Depth + 1 : 0;
            merge.FirstCall = path.FirstCall;
            rooted.Paths.push_back(merge);
        }
        CallPath& into = rooted.Paths[static_cast<std::size_t>(found)];
        into.Calls += path.Calls;
        into.Own += path.Own;
        into.Total += path.Total;
        rootedOf[p] = found;
    }
    rooted.PathOfCall.resize(profile.Calls.size());
    for (std::size_t c = 0; c < profile.Calls.size(); ++c) {
        rooted.PathOfCall[c] = rootedOf[static_cast<std::size_t>(merged.PathOfCall[c])];
    }
    return LayoutFromPaths(rooted, timeline.Clipped);
}

FlameLayout LayoutCallersOf(const PadTrace& trace, const CallProfile& profile, int name, bool collapseRecursion) {
    return LayoutCallersOf(profile, NestedTimeline(trace, profile), name, collapseRecursion);
}

FlameLayout LayoutCallersOf(const CallProfile& profile, const Timeline& timeline, int name, bool collapseRecursion) {
    const CallPaths merged = MergeCallPaths(profile, timeline, collapseRecursion);
    const std::vector<char> below = BelowName(merged, name);
    const std::size_t count = merged.Paths.size();
    // The procedure's outermost paths and the paths above them, whose
    // stacks theirs are made from.
    std::vector<char> chosen(count, 0);
    std::vector<char> needed(count, 0);
    for (std::size_t p = 0; p < count; ++p) {
        if (merged.Paths[p].Name != name || below[p] != 0) continue;
        chosen[p] = 1;
        for (int up = static_cast<int>(p); up >= 0 && needed[static_cast<std::size_t>(up)] == 0;
             up = merged.Paths[static_cast<std::size_t>(up)].Parent) {
            needed[static_cast<std::size_t>(up)] = 1;
        }
    }
    StackTree tree;
    std::vector<int> stackOfPath(count, -1);
    for (std::size_t p = 0; p < count; ++p) {
        if (needed[p] == 0) continue;
        const CallPath& path = merged.Paths[p];
        stackOfPath[p] =
            tree.Prepend(path.Name, path.Parent >= 0 ? stackOfPath[static_cast<std::size_t>(path.Parent)] : -1);
    }
    StackEnds ends(tree.Nodes().size());
    int root = -1;
    for (std::size_t p = 0; p < count; ++p) {
        if (chosen[p] == 0) continue;
        const CallPath& path = merged.Paths[p];
        ends.Add(stackOfPath[p], path.Total, path.Calls, path.FirstCall);
        if (root >= 0) continue;
        // Every chosen stack begins with the procedure: one node at depth 0.
        for (root = stackOfPath[p]; tree.Nodes()[static_cast<std::size_t>(root)].Parent >= 0;) {
            root = tree.Nodes()[static_cast<std::size_t>(root)].Parent;
        }
    }
    FlameLayout layout;
    if (root >= 0) {
        layout = LayoutStacks(std::move(tree).TakeNodes(), ends, root);
        // The procedure's own time, of the nested calls too: it lies within
        // the outermost calls' totals.
        for (const CallPath& path : merged.Paths) {
            if (path.Name == name) layout.Boxes.front().Own += path.Own;
        }
    }
    layout.Mode = FlameMode::Inverted;
    layout.Clipped = timeline.Clipped;
    layout.BoxOfCall.assign(profile.Calls.size(), -1);
    for (std::size_t c = 0; c < profile.Calls.size(); ++c) {
        if (chosen[static_cast<std::size_t>(merged.PathOfCall[c])] != 0) layout.BoxOfCall[c] = 0;
    }
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
