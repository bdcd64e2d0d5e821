#include "FlatProfile.h"

#include <gtest/gtest.h>

#include "LoadedTrace.h"
#include "TraceDiff.h"

namespace kivra {
namespace {
using test::LoadRecords;
using test::ProfileOf;
using test::Rec;

FlatProfile Flat(const std::vector<std::string>& records) {
    return ComputeFlatProfile(ProfileOf(LoadRecords(records)));
}

const FlatEntry& Entry(const FlatProfile& profile, const std::string& name) {
    for (const FlatEntry& entry : profile.Entries) {
        if (entry.Name == name) return entry;
    }
    ADD_FAILURE() << "no entry " << name;
    static const FlatEntry none;
    return none;
}

// A > B > A > C, then B under the first A again:
//   A 0..100, B 10..60, A 20..50, C 25..35, B 70..80.
const std::vector<std::string> kRecursive = {Rec("C", 4, 4, 25, 35), Rec("A", 3, 3, 20, 50), Rec("B", 2, 2, 10, 60),
                                             Rec("B", 5, 2, 70, 80), Rec("A", 1, 1, 0, 100)};

TEST(CallProfileTest, OwnTimesAreUnroundedAndCallersComeFirst) {
    const TraceLoad load =
        LoadRecords({Rec("A", 1, 1, 0, 10.004), Rec("B", 2, 2, 1, 3.001), Rec("C", 3, 1, 20, 25)}, "0.00");
    const CallProfile profile = ProfileOf(load);
    ASSERT_EQ(profile.Calls.size(), 3u);
    EXPECT_EQ(profile.Names, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(profile.Calls[0].Parent, -1);
    EXPECT_EQ(profile.Calls[1].Parent, 0);
    EXPECT_EQ(profile.Calls[2].Parent, -1);
    // Single-precision subtraction of the totals, not of the "0.00" texts.
    EXPECT_FLOAT_EQ(profile.Calls[0].Own, 10.004f - 2.001f);
    EXPECT_FLOAT_EQ(profile.Calls[1].Own, 2.001f);
    EXPECT_NEAR(profile.TopLevelTotal, 15.004, 1e-5);
    EXPECT_NEAR(profile.OwnSum, 15.004, 1e-5);
}

TEST(FlatProfileTest, RecursionIsCountedOnceInTheTotal) {
    const FlatProfile flat = Flat(kRecursive);
    ASSERT_EQ(flat.Entries.size(), 3u);
    EXPECT_EQ(flat.CallCount, 5);
    EXPECT_DOUBLE_EQ(flat.TopLevelTotal, 100.0);

    const FlatEntry& a = Entry(flat, "A");
    EXPECT_EQ(a.Calls, 2);
    EXPECT_DOUBLE_EQ(a.Own, 60.0);     // 100 - 50 - 10, and 30 - 10
    EXPECT_DOUBLE_EQ(a.Total, 100.0);  // the inner A lies within the outer one
    EXPECT_DOUBLE_EQ(a.MeanOwn, 30.0);
    EXPECT_DOUBLE_EQ(a.MaxOwn, 40.0);
    EXPECT_DOUBLE_EQ(a.OwnPercent, 60.0);

    // The second B is not nested in the first: both totals count.
    const FlatEntry& b = Entry(flat, "B");
    EXPECT_EQ(b.Calls, 2);
    EXPECT_DOUBLE_EQ(b.Own, 30.0);
    EXPECT_DOUBLE_EQ(b.Total, 60.0);
    EXPECT_DOUBLE_EQ(b.MaxOwn, 20.0);

    const FlatEntry& c = Entry(flat, "C");
    EXPECT_EQ(c.Calls, 1);
    EXPECT_DOUBLE_EQ(c.Total, 10.0);
    EXPECT_DOUBLE_EQ(c.OwnPercent, 10.0);
}

TEST(FlatProfileTest, DirectRecursionAndNegativeOwnTimes) {
    // F > F > F: the total is the outer call's; the middle call's children
    // take longer than it does, so its own time is negative.
    const FlatProfile flat = Flat({Rec("F", 1, 1, 0, 100), Rec("F", 2, 2, 10, 20), Rec("F", 3, 3, 10, 40)});
    ASSERT_EQ(flat.Entries.size(), 1u);
    const FlatEntry& f = flat.Entries[0];
    EXPECT_EQ(f.Calls, 3);
    EXPECT_DOUBLE_EQ(f.Total, 100.0);
    EXPECT_DOUBLE_EQ(f.Own, 90.0 + -20.0 + 30.0);
    EXPECT_DOUBLE_EQ(f.MaxOwn, 90.0);
}

TEST(FlatProfileTest, MarksTheTreeAddsAreStrippedButNamesEndingInAStarStay) {
    // Order 3 is missing: the record with Order 4 shows as row 3 and gets
    // a mark. Two records with Order 5: rows 4 and 5 both show the first,
    // marked for row 4. "P*" has its star in the file.
    const TraceLoad load = LoadRecords({Rec("A", 1, 1, 0, 10), Rec("P*", 2, 1, 10, 11), Rec("C", 4, 1, 11, 12),
                                        Rec("D", 5, 1, 12, 14), Rec("E", 5, 1, 14, 17)});
    ASSERT_EQ(load.tree.MarkedCount, 2);
    EXPECT_EQ(load.trace.Records[3].Name, "C*");
    EXPECT_EQ(load.trace.Records[4].Name, "D*");
    const FlatProfile flat = ComputeFlatProfile(ProfileOf(load));
    ASSERT_EQ(flat.Entries.size(), 4u);
    EXPECT_EQ(Entry(flat, "P*").Calls, 1);
    EXPECT_EQ(Entry(flat, "C").Calls, 1);
    EXPECT_EQ(Entry(flat, "D").Calls, 2);
    EXPECT_DOUBLE_EQ(Entry(flat, "D").Total, 4.0);
    EXPECT_EQ(Entry(flat, "A").Calls, 1);

    // Both rows after a gap show the first record with Order 4, marked twice.
    const TraceLoad twice = LoadRecords({Rec("A", 1, 1, 0, 10), Rec("X", 4, 1, 10, 11), Rec("Y", 4, 1, 11, 12)});
    EXPECT_EQ(twice.trace.Records[2].Name, "X**");
    const FlatProfile twiceFlat = ComputeFlatProfile(ProfileOf(twice));
    ASSERT_EQ(twiceFlat.Entries.size(), 2u);
    EXPECT_EQ(Entry(twiceFlat, "X").Calls, 2);
}

// The profile commands build the tree without its texts; their profile is
// the one the window's load gives, marks, recursion and stops included.
TEST(FlatProfileTest, ALoadWithoutRowTextsGivesTheSameProfile) {
    const std::vector<std::vector<std::string>> traces = {
        kRecursive,
        {Rec("A", 1, 1, 0, 10), Rec("P*", 2, 1, 10, 11), Rec("C", 4, 1, 11, 12), Rec("D", 5, 1, 12, 14),
         Rec("E", 5, 1, 14, 17)},
        {Rec("A", 1, 1, 0, 10), Rec("B", 2, 2, 1, 2), Rec("C", 3, 3, 2, 2.5), Rec("Lost", 4, 5, 3, 4)},
    };
    for (const std::vector<std::string>& records : traces) {
        const TraceLoad formatted = LoadRecords(records);
        TraceLoad bare;
        bare.trace = ParsePadText(test::PadText(records), "t.pad", ", ", test::DotLocale()).trace;
        BuildAndTime(bare, NumberFormat("0.000", test::DotLocale()), {}, RowTexts::Omitted);
        ASSERT_EQ(bare.tree.Rows.size(), formatted.tree.Rows.size());
        EXPECT_EQ(bare.tree.StopMessage, formatted.tree.StopMessage);
        EXPECT_TRUE(bare.tree.Rows.empty() || bare.tree.Rows.front().TotalText.view().empty());
        const FlatProfile a = ComputeFlatProfile(ProfileOf(bare));
        const FlatProfile b = ComputeFlatProfile(ProfileOf(formatted));
        ASSERT_EQ(a.Entries.size(), b.Entries.size());
        for (std::size_t e = 0; e < a.Entries.size(); ++e) {
            EXPECT_EQ(a.Entries[e].Name, b.Entries[e].Name);
            EXPECT_EQ(a.Entries[e].Calls, b.Entries[e].Calls);
            EXPECT_EQ(a.Entries[e].Own, b.Entries[e].Own);
            EXPECT_EQ(a.Entries[e].Total, b.Entries[e].Total);
        }
    }
}

TEST(FlatProfileTest, SortOrdersBreakTiesByName) {
    FlatProfile flat = Flat({Rec("B", 1, 1, 0, 5), Rec("a", 2, 1, 5, 10), Rec("c", 3, 1, 10, 11),
                             Rec("c", 4, 1, 11, 12), Rec("d", 5, 1, 12, 20)});
    auto names = [&] {
        std::vector<std::string> out;
        for (const FlatEntry& entry : flat.Entries) out.push_back(entry.Name);
        return out;
    };
    SortFlatProfile(flat, FlatOrder::Own);
    EXPECT_EQ(names(), (std::vector<std::string>{"d", "a", "B", "c"}));
    SortFlatProfile(flat, FlatOrder::Calls);
    EXPECT_EQ(names(), (std::vector<std::string>{"c", "a", "B", "d"}));
    SortFlatProfile(flat, FlatOrder::Total);
    EXPECT_EQ(names(), (std::vector<std::string>{"d", "a", "B", "c"}));
    SortFlatProfile(flat, FlatOrder::Name);
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "B", "c", "d"}));
}

TEST(FlatProfileTest, EmptyOrStoppedTraces) {
    const FlatProfile empty = Flat({});
    EXPECT_TRUE(empty.Entries.empty());
    EXPECT_EQ(empty.CallCount, 0);

    // A zero top-level total gives no percentages rather than a division by zero.
    const FlatProfile zero = Flat({Rec("z", 1, 1, 5, 5)});
    ASSERT_EQ(zero.Entries.size(), 1u);
    EXPECT_DOUBLE_EQ(zero.Entries[0].OwnPercent, 0.0);

    // The building stops at a missing caller; the rows made so far count.
    const TraceLoad stopped = LoadRecords({Rec("A", 1, 1, 0, 10), Rec("B", 2, 2, 1, 2), Rec("X", 3, 4, 3, 4)});
    ASSERT_FALSE(stopped.tree.StopMessage.empty());
    const FlatProfile partial = ComputeFlatProfile(ProfileOf(stopped));
    EXPECT_EQ(partial.CallCount, 2);
    EXPECT_EQ(Entry(partial, "A").Calls, 1);
    EXPECT_EQ(Entry(partial, "B").Calls, 1);
}

TEST(TraceDiffTest, SideBySideWithAddedAndRemovedProcedures) {
    const FlatProfile before = Flat(
        {Rec("Main", 1, 1, 0, 100), Rec("Load", 2, 2, 0, 60), Rec("Old", 3, 2, 60, 70), Rec("Same", 4, 2, 70, 75)});
    const FlatProfile after = Flat({Rec("Main", 1, 1, 0, 80), Rec("Load", 2, 2, 0, 30), Rec("Load", 3, 2, 30, 45),
                                    Rec("New", 4, 2, 45, 47), Rec("Same", 5, 2, 47, 52)});
    const TraceDiff diff = DiffFlatProfiles(before, after);

    EXPECT_DOUBLE_EQ(diff.OldTopLevelTotal, 100.0);
    EXPECT_DOUBLE_EQ(diff.NewTopLevelTotal, 80.0);
    EXPECT_DOUBLE_EQ(diff.TopLevelChange, -20.0);
    ASSERT_TRUE(diff.TopLevelChangePercent);
    EXPECT_DOUBLE_EQ(*diff.TopLevelChangePercent, -20.0);

    ASSERT_EQ(diff.Entries.size(), 5u);
    // Largest absolute change in own time first: Load -15, Old -10, Main +3,
    // New +2, Same 0.
    std::vector<std::string> order;
    for (const DiffEntry& entry : diff.Entries) order.push_back(entry.Name);
    EXPECT_EQ(order, (std::vector<std::string>{"Load", "Old", "Main", "New", "Same"}));

    const DiffEntry& load = diff.Entries[0];
    EXPECT_EQ(load.Status, DiffStatus::Both);
    EXPECT_EQ(load.OldCalls, 1);
    EXPECT_EQ(load.NewCalls, 2);
    EXPECT_DOUBLE_EQ(load.OldOwn, 60.0);
    EXPECT_DOUBLE_EQ(load.NewOwn, 45.0);
    EXPECT_DOUBLE_EQ(load.OldTotal, 60.0);
    EXPECT_DOUBLE_EQ(load.NewTotal, 45.0);
    EXPECT_DOUBLE_EQ(load.OwnChange, -15.0);
    ASSERT_TRUE(load.OwnChangePercent);
    EXPECT_DOUBLE_EQ(*load.OwnChangePercent, -25.0);

    const DiffEntry& old = diff.Entries[1];
    EXPECT_EQ(old.Status, DiffStatus::Removed);
    EXPECT_EQ(old.OldCalls, 1);
    EXPECT_EQ(old.NewCalls, 0);
    EXPECT_DOUBLE_EQ(old.OwnChange, -10.0);
    EXPECT_FALSE(old.OwnChangePercent);

    const DiffEntry& main = diff.Entries[2];  // own 100-60-10-5 = 25, then 80-30-15-2-5 = 28
    EXPECT_DOUBLE_EQ(main.OldOwn, 25.0);
    EXPECT_DOUBLE_EQ(main.NewOwn, 28.0);
    EXPECT_DOUBLE_EQ(*main.OwnChangePercent, 12.0);

    const DiffEntry& added = diff.Entries[3];
    EXPECT_EQ(added.Status, DiffStatus::Added);
    EXPECT_EQ(added.OldCalls, 0);
    EXPECT_EQ(added.NewCalls, 1);
    EXPECT_DOUBLE_EQ(added.NewOwn, 2.0);
    EXPECT_DOUBLE_EQ(added.OwnChange, 2.0);
    EXPECT_FALSE(added.OwnChangePercent);

    EXPECT_EQ(diff.Entries[4].Status, DiffStatus::Both);
    EXPECT_DOUBLE_EQ(diff.Entries[4].OwnChange, 0.0);
}

TEST(TraceDiffTest, ChangePercentAgainstZeroAndNegativeValues) {
    EXPECT_FALSE(ChangePercent(0.0, 5.0));
    EXPECT_DOUBLE_EQ(*ChangePercent(4.0, 5.0), 25.0);
    // From a negative own time to zero is an increase.
    EXPECT_DOUBLE_EQ(*ChangePercent(-4.0, 0.0), 100.0);
    const TraceDiff empty = DiffFlatProfiles({}, {});
    EXPECT_TRUE(empty.Entries.empty());
    EXPECT_FALSE(empty.TopLevelChangePercent);
}

}  // namespace
}  // namespace kivra
