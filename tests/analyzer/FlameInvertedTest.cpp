// The inverted flame graph, collapsed recursion and one procedure's callers
// and callees as flame graphs.
#include <gtest/gtest.h>

#include <map>

#include "FlameLayout.h"
#include "FlatProfile.h"
#include "LoadedTrace.h"
#include "TraceGenerator.h"

namespace kivra {
namespace {
using test::LoadRecords;
using test::ProfileOf;
using test::Rec;

constexpr std::int64_t kMs = 1'000'000;  // nanoseconds

// Main 0..100 calls A 10..60, which calls itself (A 20..40) and then B
// 45..55; the inner A calls B 25..35, which calls A 27..30 again. Main then
// calls B 70..80. At the top level C 110..120 calls A 112..118.
// Own times: Main 40; A 20, 10, 3, 6; B 7, 10, 10; C 4.
const std::vector<std::string> kRun = {Rec("Main", 1, 1, 0, 100), Rec("A", 2, 2, 10, 60),   Rec("A", 3, 3, 20, 40),
                                       Rec("B", 4, 4, 25, 35),    Rec("A", 5, 5, 27, 30),   Rec("B", 6, 3, 45, 55),
                                       Rec("B", 7, 2, 70, 80),    Rec("C", 8, 1, 110, 120), Rec("A", 9, 2, 112, 118)};

struct Placed {
    std::int64_t begin, width, own;
    int calls;
    friend bool operator==(const Placed&, const Placed&) = default;
};
void PrintTo(const Placed& p, std::ostream* os) {
    *os << p.begin << "+" << p.width << " own " << p.own << " x" << p.calls;
}

// Each box by its names from depth 0 up, joined by "/".
std::map<std::string, Placed> ByPath(const FlameLayout& layout, const CallProfile& profile) {
    std::vector<std::string> paths(layout.Boxes.size());
    std::map<std::string, Placed> out;
    for (std::size_t b = 0; b < layout.Boxes.size(); ++b) {
        const FlameBox& box = layout.Boxes[b];
        const std::string& name = profile.Names[static_cast<std::size_t>(box.Name)];
        paths[b] = box.Parent >= 0 ? paths[static_cast<std::size_t>(box.Parent)] + "/" + name : name;
        EXPECT_FALSE(out.count(paths[b])) << paths[b];
        out[paths[b]] = {box.Begin, box.Width, box.Own, box.Calls};
    }
    return out;
}

// What every layout keeps: a box after its parent, one deeper, inside its
// span, its children side by side the widest first; rows from left to
// right; the top level filling the extent.
void ExpectNested(const FlameLayout& layout) {
    std::vector<std::int64_t> used(layout.Boxes.size(), 0);
    std::int64_t top = 0;
    for (std::size_t b = 0; b < layout.Boxes.size(); ++b) {
        const FlameBox& box = layout.Boxes[b];
        ASSERT_GE(box.Width, 0);
        if (box.Parent < 0) {
            EXPECT_EQ(box.Depth, 0);
            EXPECT_LE(box.Begin + box.Width, layout.Extent);
            top += box.Width;
            continue;
        }
        ASSERT_LT(box.Parent, static_cast<int>(b));
        const FlameBox& parent = layout.Boxes[static_cast<std::size_t>(box.Parent)];
        EXPECT_EQ(box.Depth, parent.Depth + 1);
        EXPECT_GE(box.Begin, parent.Begin);
        EXPECT_LE(box.Begin + box.Width, parent.Begin + parent.Width);
        used[static_cast<std::size_t>(box.Parent)] += box.Width;
    }
    EXPECT_EQ(top, layout.Extent);
    for (std::size_t b = 0; b < layout.Boxes.size(); ++b) EXPECT_LE(used[b], layout.Boxes[b].Width);
    for (const std::vector<int>& row : layout.Rows) {
        for (std::size_t i = 1; i < row.size(); ++i) {
            const FlameBox& left = layout.Boxes[static_cast<std::size_t>(row[i - 1])];
            const FlameBox& right = layout.Boxes[static_cast<std::size_t>(row[i])];
            EXPECT_LE(left.Begin + left.Width, right.Begin);
            if (left.Parent == right.Parent) {
                EXPECT_GE(left.Width, right.Width);
            }
        }
    }
}

TEST(FlameInvertedTest, StacksReadUpwardsFromTheOwnTimes) {
    const TraceLoad load = LoadRecords(kRun);
    const CallProfile profile = ProfileOf(load);
    const FlameLayout layout = LayoutInverted(load.trace, profile);
    EXPECT_EQ(layout.Mode, FlameMode::Inverted);
    ExpectNested(layout);
    EXPECT_EQ(layout.Extent, 110 * kMs);
    // Depth 0: each procedure's own time, the largest first, all of it own.
    const std::map<std::string, Placed> boxes = ByPath(layout, profile);
    EXPECT_EQ(boxes.at("Main"), (Placed{0, 40 * kMs, 40 * kMs, 1}));
    EXPECT_EQ(boxes.at("A"), (Placed{40 * kMs, 39 * kMs, 39 * kMs, 4}));
    EXPECT_EQ(boxes.at("B"), (Placed{79 * kMs, 27 * kMs, 27 * kMs, 3}));
    // Above A its callers, the largest first; callers hold no own time.
    EXPECT_EQ(boxes.at("A/Main"), (Placed{40 * kMs, 20 * kMs, 0, 1}));
    EXPECT_EQ(boxes.at("A/A"), (Placed{60 * kMs, 10 * kMs, 0, 1}));
    EXPECT_EQ(boxes.at("A/C"), (Placed{70 * kMs, 6 * kMs, 0, 1}));
    EXPECT_EQ(boxes.at("A/B/A/A/Main"), (Placed{76 * kMs, 3 * kMs, 0, 1}));
    EXPECT_EQ(boxes.at("B/A"), (Placed{79 * kMs, 17 * kMs, 0, 2}));
    EXPECT_EQ(boxes.at("B/A/A/Main"), (Placed{89 * kMs, 7 * kMs, 0, 1}));
    EXPECT_EQ(boxes.at("B/Main"), (Placed{96 * kMs, 10 * kMs, 0, 1}));
    EXPECT_EQ(boxes.size(), 17u);
    // Every call is in its procedure's depth-0 box.
    for (std::size_t c = 0; c < profile.Calls.size(); ++c) {
        const FlameBox& box = layout.Boxes[static_cast<std::size_t>(layout.BoxOfCall[c])];
        EXPECT_EQ(box.Depth, 0);
        EXPECT_EQ(box.Name, profile.Calls[c].Name);
    }

    // Collapsed, the A within A is part of the outer one.
    const std::map<std::string, Placed> collapsed = ByPath(LayoutInverted(load.trace, profile, true), profile);
    EXPECT_EQ(collapsed.at("A"), (Placed{40 * kMs, 39 * kMs, 39 * kMs, 3}));
    EXPECT_EQ(collapsed.at("A/Main"), (Placed{40 * kMs, 30 * kMs, 0, 1}));
    EXPECT_EQ(collapsed.at("A/B/A/Main"), (Placed{76 * kMs, 3 * kMs, 0, 1}));
    EXPECT_FALSE(collapsed.count("A/A"));
}

TEST(FlameInvertedTest, CollapsedMergedFoldsDirectSelfCallsIntoTheirCaller) {
    // F > F > F > G, H under the middle F, G again under the outer one.
    const TraceLoad load = LoadRecords({Rec("F", 1, 1, 0, 100), Rec("F", 2, 2, 10, 90), Rec("F", 3, 3, 20, 50),
                                        Rec("G", 4, 4, 30, 40), Rec("H", 5, 3, 60, 80), Rec("G", 6, 2, 92, 95)});
    const CallProfile profile = ProfileOf(load);
    const FlameLayout layout = LayoutMerged(load.trace, profile, true);
    ExpectNested(layout);
    const std::map<std::string, Placed> boxes = ByPath(layout, profile);
    EXPECT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes.at("F"), (Placed{0, 100 * kMs, 67 * kMs, 1}));
    EXPECT_EQ(boxes.at("F/H"), (Placed{0, 20 * kMs, 20 * kMs, 1}));
    EXPECT_EQ(boxes.at("F/G"), (Placed{20 * kMs, 13 * kMs, 13 * kMs, 2}));
    EXPECT_EQ(layout.BoxOfCall, (std::vector<int>{0, 0, 0, 1, 2, 1}));

    // Without recursion, collapsing changes nothing.
    const TraceLoad flat = LoadRecords({Rec("Main", 1, 1, 0, 100), Rec("A", 2, 2, 10, 30), Rec("B", 3, 2, 30, 40),
                                        Rec("A", 4, 2, 50, 60), Rec("C", 5, 3, 52, 55), Rec("D", 6, 1, 120, 130)});
    const CallProfile flatProfile = ProfileOf(flat);
    const FlameLayout plain = LayoutMerged(flat.trace, flatProfile);
    const FlameLayout same = LayoutMerged(flat.trace, flatProfile, true);
    EXPECT_EQ(ByPath(same, flatProfile), ByPath(plain, flatProfile));
    EXPECT_EQ(same.BoxOfCall, plain.BoxOfCall);
    EXPECT_EQ(same.Rows, plain.Rows);
}

TEST(FlameInvertedTest, CalleesAndCallersOfOneProcedure) {
    const TraceLoad load = LoadRecords(kRun);
    const CallProfile profile = ProfileOf(load);
    const int a = 1;
    ASSERT_EQ(profile.Names[a], "A");

    // Callees: A's outermost calls (under Main and under C) as one box.
    const FlameLayout callees = LayoutCalleesOf(load.trace, profile, a);
    EXPECT_EQ(callees.Mode, FlameMode::Merged);
    ExpectNested(callees);
    const std::map<std::string, Placed> down = ByPath(callees, profile);
    EXPECT_EQ(down.at("A"), (Placed{0, 56 * kMs, 26 * kMs, 2}));
    EXPECT_EQ(down.at("A/A"), (Placed{0, 20 * kMs, 10 * kMs, 1}));
    EXPECT_EQ(down.at("A/A/B/A"), (Placed{0, 3 * kMs, 3 * kMs, 1}));
    EXPECT_EQ(down.at("A/B"), (Placed{20 * kMs, 10 * kMs, 10 * kMs, 1}));
    EXPECT_EQ(callees.BoxOfCall[0], -1);  // Main is outside
    EXPECT_EQ(callees.BoxOfCall[8], 0);   // A under C
    const std::map<std::string, Placed> downCollapsed = ByPath(LayoutCalleesOf(load.trace, profile, a, true), profile);
    EXPECT_EQ(downCollapsed.at("A"), (Placed{0, 56 * kMs, 36 * kMs, 2}));
    EXPECT_EQ(downCollapsed.at("A/B"), (Placed{0, 20 * kMs, 17 * kMs, 2}));

    // Callers: the same calls' totals, up through their callers.
    const FlameLayout callers = LayoutCallersOf(load.trace, profile, a);
    EXPECT_EQ(callers.Mode, FlameMode::Inverted);
    ExpectNested(callers);
    const std::map<std::string, Placed> up = ByPath(callers, profile);
    EXPECT_EQ(up.size(), 3u);
    EXPECT_EQ(up.at("A"), (Placed{0, 56 * kMs, 39 * kMs, 2}));  // own: the flat profile's
    EXPECT_EQ(up.at("A/Main"), (Placed{0, 50 * kMs, 0, 1}));
    EXPECT_EQ(up.at("A/C"), (Placed{50 * kMs, 6 * kMs, 0, 1}));
    EXPECT_EQ(callers.BoxOfCall, (std::vector<int>{-1, 0, -1, -1, -1, -1, -1, -1, 0}));

    // B: not nested in itself anywhere, called through A twice.
    const std::map<std::string, Placed> upB = ByPath(LayoutCallersOf(load.trace, profile, 2), profile);
    ASSERT_EQ(profile.Names[2], "B");
    EXPECT_EQ(upB.at("B"), (Placed{0, 30 * kMs, 27 * kMs, 3}));
    EXPECT_EQ(upB.at("B/A/A/Main"), (Placed{0, 10 * kMs, 0, 1}));  // the first call first of equal ones

    // A name that is none gives nothing.
    for (const int none : {-1, 99}) {
        EXPECT_TRUE(LayoutCalleesOf(load.trace, profile, none).Boxes.empty());
        const FlameLayout nothing = LayoutCallersOf(load.trace, profile, none);
        EXPECT_TRUE(nothing.Boxes.empty());
        EXPECT_EQ(nothing.Extent, 0);
        EXPECT_EQ(nothing.BoxOfCall, std::vector<int>(profile.Calls.size(), -1));
    }
}

// Deep recursion, direct and through another procedure: every stack is
// as long as the run is deep, and the boxes are still those of the merged
// paths read upwards.
TEST(FlameInvertedTest, DeepRecursionGivesTheMergedPathsReadUpwards) {
    std::vector<std::string> records;
    const std::string pattern = "AABABBBAAB";
    const int depth = 200;
    int order = 0;
    // Level i runs from i to 1000 - i and calls C just before its end.
    for (int i = 0; i < depth; ++i) {
        records.push_back(
            Rec(std::string(1, pattern[static_cast<std::size_t>(i) % pattern.size()]), ++order, i + 1, i, 1000 - i));
    }
    for (int i = depth - 1; i >= 0; --i) records.push_back(Rec("C", ++order, i + 2, 999.5 - i, 999.75 - i));
    const TraceLoad load = LoadRecords(records);
    const CallProfile profile = ProfileOf(load);
    for (const bool collapse : {false, true}) {
        SCOPED_TRACE(collapse ? "collapsed" : "kept");
        const FlameLayout merged = LayoutMerged(load.trace, profile, collapse);
        const FlameLayout inverted = LayoutInverted(load.trace, profile, collapse);
        ExpectNested(inverted);
        EXPECT_EQ(inverted.Extent, merged.Extent);
        // Each merged path's own time, added to every stack it ends.
        std::map<std::string, std::int64_t> expected;
        for (std::size_t b = 0; b < merged.Boxes.size(); ++b) {
            std::string stack;
            for (int p = static_cast<int>(b); p >= 0; p = merged.Boxes[static_cast<std::size_t>(p)].Parent) {
                stack += (stack.empty() ? "" : "/") +
                         profile.Names[static_cast<std::size_t>(merged.Boxes[static_cast<std::size_t>(p)].Name)];
                expected[stack] += merged.Boxes[b].Own;
            }
        }
        std::map<std::string, std::int64_t> widths;
        for (const auto& [path, box] : ByPath(inverted, profile)) widths[path] = box.width;
        EXPECT_EQ(widths, expected);
    }
}

// On generated runs: depth 0 is the flat profile's own times, and the
// callers' and callees' graphs of every procedure are as wide as its total.
TEST(FlameInvertedTest, GeneratedRunsGiveTheFlatNumbers) {
    int unclipped = 0;
    for (const std::uint32_t seed : {1u, 2u, 3u, 4u}) {
        bench::TraceShape shape;
        shape.calls = 2000;
        shape.seed = seed;
        shape.names = 15;
        TraceLoad load;
        load.trace = ParsePadText(bench::GeneratePadText(shape), "g.pad", ", ", test::DotLocale()).trace;
        BuildAndTime(load, NumberFormat("0.000", test::DotLocale()));
        const CallProfile profile = ProfileOf(load);
        for (const bool collapse : {false, true}) {
            const FlameLayout inverted = LayoutInverted(load.trace, profile, collapse);
            const FlameLayout merged = LayoutMerged(load.trace, profile, collapse);
            ExpectNested(inverted);
            ExpectNested(merged);
            EXPECT_EQ(inverted.Extent, merged.Extent);
        }
        const FlameLayout inverted = LayoutInverted(load.trace, profile);
        if (inverted.Clipped != 0) continue;
        ++unclipped;
        const FlatProfile flat = ComputeFlatProfile(profile);
        std::vector<int> seen(profile.Names.size(), 0);
        for (const FlameBox& box : inverted.Boxes) {
            if (box.Depth != 0) continue;
            const auto n = static_cast<std::size_t>(box.Name);
            ++seen[n];
            EXPECT_NEAR(static_cast<double>(box.Width) / kMs, flat.Entries[n].Own, 1e-3) << profile.Names[n];
            EXPECT_EQ(box.Own, box.Width);
            EXPECT_EQ(box.Calls, flat.Entries[n].Calls);
        }
        EXPECT_EQ(seen, std::vector<int>(profile.Names.size(), 1));
        for (std::size_t n = 0; n < profile.Names.size(); ++n) {
            SCOPED_TRACE(profile.Names[n]);
            for (const bool collapse : {false, true}) {
                const FlameLayout callees = LayoutCalleesOf(load.trace, profile, static_cast<int>(n), collapse);
                const FlameLayout callers = LayoutCallersOf(load.trace, profile, static_cast<int>(n), collapse);
                ExpectNested(callees);
                ExpectNested(callers);
                ASSERT_FALSE(callees.Boxes.empty());
                ASSERT_FALSE(callers.Boxes.empty());
                EXPECT_EQ(callees.Rows[0].size(), 1u);
                EXPECT_EQ(callers.Rows[0].size(), 1u);
                EXPECT_NEAR(static_cast<double>(callees.Boxes[0].Width) / kMs, flat.Entries[n].Total, 1e-3);
                EXPECT_EQ(callers.Boxes[0].Width, callees.Boxes[0].Width);
                EXPECT_NEAR(static_cast<double>(callers.Boxes[0].Own) / kMs, flat.Entries[n].Own, 1e-3);
            }
        }
    }
    EXPECT_GT(unclipped, 0);
}

}  // namespace
}  // namespace kivra
