#include "FlameLayout.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "FlatProfile.h"
#include "LoadedTrace.h"
#include "TraceExport.h"
#include "TraceGenerator.h"

namespace kivra {
namespace {
using test::LoadRecords;
using test::ProfileOf;
using test::Rec;

constexpr std::int64_t kMs = 1'000'000;  // nanoseconds

// Main 0..100 calls A 10..30, B 30..40 and A 50..60, the last calling C
// 52..55; D 120..130 at the top level.
const std::vector<std::string> kRun = {Rec("A", 2, 2, 10, 30), Rec("B", 3, 2, 30, 40),    Rec("C", 5, 3, 52, 55),
                                       Rec("A", 4, 2, 50, 60), Rec("Main", 1, 1, 0, 100), Rec("D", 6, 1, 120, 130)};

struct Shape {
    std::string name;
    std::int64_t begin, width, own;
    int depth, calls;
    friend bool operator==(const Shape&, const Shape&) = default;
};
void PrintTo(const Shape& s, std::ostream* os) {
    *os << s.name << "@" << s.begin << "+" << s.width << " own " << s.own << " d" << s.depth << " x" << s.calls;
}

std::vector<Shape> Shapes(const FlameLayout& layout, const CallProfile& profile) {
    std::vector<Shape> shapes;
    for (const FlameBox& box : layout.Boxes) {
        shapes.push_back(
            {profile.Names[static_cast<std::size_t>(box.Name)], box.Begin, box.Width, box.Own, box.Depth, box.Calls});
    }
    return shapes;
}

TEST(FlameLayoutTest, TimeOrderPutsEachCallAtItsTimes) {
    const TraceLoad load = LoadRecords(kRun);
    const CallProfile profile = ProfileOf(load);
    const FlameLayout layout = LayoutTimeOrder(load.trace, profile);
    EXPECT_EQ(Shapes(layout, profile), (std::vector<Shape>{{"Main", 0, 100 * kMs, 60 * kMs, 0, 1},
                                                           {"A", 10 * kMs, 20 * kMs, 20 * kMs, 1, 1},
                                                           {"B", 30 * kMs, 10 * kMs, 10 * kMs, 1, 1},
                                                           {"A", 50 * kMs, 10 * kMs, 7 * kMs, 1, 1},
                                                           {"C", 52 * kMs, 3 * kMs, 3 * kMs, 2, 1},
                                                           {"D", 120 * kMs, 10 * kMs, 10 * kMs, 0, 1}}));
    EXPECT_EQ(layout.Extent, 130 * kMs);
    EXPECT_EQ(layout.Clipped, 0);
    EXPECT_EQ(layout.BoxOfCall, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    ASSERT_EQ(layout.Rows.size(), 3u);
    EXPECT_EQ(layout.Rows[1], (std::vector<int>{1, 2, 3}));
}

TEST(FlameLayoutTest, MergedAddsUpEachPathLargestFirst) {
    const TraceLoad load = LoadRecords(kRun);
    const CallProfile profile = ProfileOf(load);
    const FlameLayout layout = LayoutMerged(load.trace, profile);
    EXPECT_EQ(Shapes(layout, profile), (std::vector<Shape>{{"Main", 0, 100 * kMs, 60 * kMs, 0, 1},
                                                           {"A", 0, 30 * kMs, 27 * kMs, 1, 2},
                                                           {"B", 30 * kMs, 10 * kMs, 10 * kMs, 1, 1},
                                                           {"C", 0, 3 * kMs, 3 * kMs, 2, 1},
                                                           {"D", 100 * kMs, 10 * kMs, 10 * kMs, 0, 1}}));
    EXPECT_EQ(layout.Extent, 110 * kMs);
    // Both calls of A are in A's box; the box stands for its first call.
    EXPECT_EQ(layout.BoxOfCall, (std::vector<int>{0, 1, 2, 1, 3, 4}));
    EXPECT_EQ(layout.Boxes[1].FirstCall, 1);
    // A smaller path called first still comes after a larger one.
    const TraceLoad later = LoadRecords({Rec("Small", 2, 2, 1, 2), Rec("Large", 3, 2, 3, 9), Rec("Top", 1, 1, 0, 10)});
    const FlameLayout swapped = LayoutMerged(later.trace, ProfileOf(later));
    EXPECT_EQ(swapped.Boxes[1].Begin, 6 * kMs);  // Small after Large's 6 ms
    EXPECT_EQ(swapped.Boxes[2].Begin, 0);
}

TEST(FlameLayoutTest, PointsFindTheirBoxes) {
    const TraceLoad load = LoadRecords(kRun);
    const FlameLayout layout = LayoutTimeOrder(load.trace, ProfileOf(load));
    EXPECT_EQ(BoxAt(layout, 0, 0), 0);
    EXPECT_EQ(BoxAt(layout, 0, 100 * kMs - 1), 0);
    EXPECT_EQ(BoxAt(layout, 0, 100 * kMs), std::nullopt);  // the gap before D
    EXPECT_EQ(BoxAt(layout, 0, 125 * kMs), 5);
    EXPECT_EQ(BoxAt(layout, 1, 30 * kMs), 2);  // where A ends, B begins
    EXPECT_EQ(BoxAt(layout, 1, 45 * kMs), std::nullopt);
    EXPECT_EQ(BoxAt(layout, 2, 53 * kMs), 4);
    EXPECT_EQ(BoxAt(layout, 3, 53 * kMs), std::nullopt);
    EXPECT_EQ(BoxAt(layout, -1, 0), std::nullopt);
    // Moving about: callers, callees and siblings under the same caller.
    EXPECT_EQ(FirstCalleeOf(layout, 0), 1);
    EXPECT_EQ(FirstCalleeOf(layout, 3), 4);
    EXPECT_EQ(FirstCalleeOf(layout, 2), std::nullopt);
    EXPECT_EQ(SiblingOf(layout, 1, true), 2);
    EXPECT_EQ(SiblingOf(layout, 2, false), 1);
    EXPECT_EQ(SiblingOf(layout, 3, true), std::nullopt);
    EXPECT_EQ(SiblingOf(layout, 0, true), 5);
    // A call of no time shares its place with the next one and is found
    // where nothing else is.
    const TraceLoad zero = LoadRecords({Rec("Z", 2, 2, 1, 1), Rec("N", 3, 2, 1, 4), Rec("Top", 1, 1, 0, 10)});
    const FlameLayout zeroLayout = LayoutTimeOrder(zero.trace, ProfileOf(zero));
    EXPECT_EQ(BoxAt(zeroLayout, 1, 1 * kMs), 2);
    EXPECT_EQ(BoxAt(zeroLayout, 1, 5 * kMs), std::nullopt);

    // Merged, B's path goes first as the larger, so its last callee Z, of no
    // time, ends up where A's callee C begins though Z's box was made after
    // C's: in the row Z comes first, and C is found at its left edge.
    const TraceLoad edge = LoadRecords({Rec("C", 3, 3, 0, 30), Rec("A", 2, 2, 0, 30), Rec("Y", 5, 3, 30, 100),
                                        Rec("Z", 6, 3, 100, 100), Rec("B", 4, 2, 30, 100), Rec("Main", 1, 1, 0, 100)});
    const CallProfile edgeProfile = ProfileOf(edge);
    const FlameLayout merged = LayoutMerged(edge.trace, edgeProfile);
    std::vector<std::string> row;
    for (const int box : merged.Rows[2])
        row.push_back(edgeProfile.Names[static_cast<std::size_t>(merged.Boxes[static_cast<std::size_t>(box)].Name)]);
    EXPECT_EQ(row, (std::vector<std::string>{"Y", "Z", "C"}));
    const std::optional<int> c = BoxAt(merged, 2, 70 * kMs);
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(edgeProfile.Names[static_cast<std::size_t>(merged.Boxes[static_cast<std::size_t>(*c)].Name)], "C");
    // The arrow keys step from Y to Z, its neighbour under B.
    EXPECT_EQ(SiblingOf(merged, merged.Rows[2][0], true), merged.Rows[2][1]);
}

TEST(FlameLayoutTest, OverlappingCallsAreClippedAsTheExportsClipThem) {
    // B overlaps A's end and C starts before B ends.
    const TraceLoad load =
        LoadRecords({Rec("B", 2, 2, 5, 14), Rec("C", 3, 2, 12, 16), Rec("A", 1, 1, 0, 10), Rec("D", 4, 1, 8, 20)});
    const CallProfile profile = ProfileOf(load);
    const Timeline timeline = NestedTimeline(load.trace, profile);
    const FlameLayout layout = LayoutTimeOrder(load.trace, profile);
    ASSERT_GT(timeline.Clipped, 0);
    EXPECT_EQ(layout.Clipped, timeline.Clipped);
    EXPECT_EQ(layout.Clipped, ChromeTraceJson(load.trace, profile, "t").Clipped);
    for (std::size_t c = 0; c < profile.Calls.size(); ++c) {
        EXPECT_EQ(layout.Boxes[c].Begin, timeline.Spans[c].Begin - timeline.Spans[0].Begin) << c;
        EXPECT_EQ(layout.Boxes[c].Width, timeline.Spans[c].End - timeline.Spans[c].Begin) << c;
    }
    EXPECT_EQ(LayoutMerged(load.trace, profile).Clipped, timeline.Clipped);
}

// On generated runs, the merged boxes carry the numbers of the folded
// export path by path, and of the flat profile procedure by procedure.
TEST(FlameLayoutTest, MergedWeightsAreTheFoldedAndFlatNumbers) {
    int unclipped = 0;
    for (const std::uint32_t seed : {1u, 2u, 3u}) {
        bench::TraceShape shape;
        shape.calls = 2000;
        shape.seed = seed;
        TraceLoad load;
        load.trace = ParsePadText(bench::GeneratePadText(shape), "g.pad", ", ", test::DotLocale()).trace;
        BuildAndTime(load, NumberFormat("0.000", test::DotLocale()));
        const CallProfile profile = ProfileOf(load);
        const FlameLayout layout = LayoutMerged(load.trace, profile);

        std::map<std::string, std::int64_t> folded;
        std::istringstream lines(FoldedStacks(load.trace, profile).Text);
        for (std::string line; std::getline(lines, line);) {
            const auto blank = line.rfind(' ');
            folded[line.substr(0, blank)] = std::stoll(line.substr(blank + 1));
        }
        std::vector<std::string> paths(layout.Boxes.size());
        std::map<std::string, std::int64_t> fromBoxes;
        for (std::size_t b = 0; b < layout.Boxes.size(); ++b) {
            const FlameBox& box = layout.Boxes[b];
            paths[b] = (box.Parent >= 0 ? paths[static_cast<std::size_t>(box.Parent)] + ";" : "") +
                       profile.Names[static_cast<std::size_t>(box.Name)];
            const std::int64_t micro = box.Own / 1000 + (box.Own % 1000 >= 500 ? 1 : 0);
            if (micro > 0) fromBoxes[paths[b]] = micro;
        }
        EXPECT_EQ(fromBoxes, folded) << "seed " << seed;

        // Unclipped runs: own and total per procedure as the flat profile has them.
        if (layout.Clipped != 0) continue;
        ++unclipped;
        const FlatProfile flat = ComputeFlatProfile(profile);
        std::vector<double> own(profile.Names.size()), total(profile.Names.size());
        for (std::size_t b = 0; b < layout.Boxes.size(); ++b) {
            const FlameBox& box = layout.Boxes[b];
            own[static_cast<std::size_t>(box.Name)] += static_cast<double>(box.Own) / kMs;
            bool nested = false;  // in a box of the same name: already in that one's total
            for (int p = box.Parent; p >= 0; p = layout.Boxes[static_cast<std::size_t>(p)].Parent) {
                nested = nested || layout.Boxes[static_cast<std::size_t>(p)].Name == box.Name;
            }
            if (!nested) total[static_cast<std::size_t>(box.Name)] += static_cast<double>(box.Width) / kMs;
        }
        for (std::size_t n = 0; n < profile.Names.size(); ++n) {
            EXPECT_NEAR(own[n], flat.Entries[n].Own, 1e-3) << profile.Names[n];
            EXPECT_NEAR(total[n], flat.Entries[n].Total, 1e-3) << profile.Names[n];
        }
    }
    EXPECT_GT(unclipped, 0);
}

}  // namespace
}  // namespace kivra
