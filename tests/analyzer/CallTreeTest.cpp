#include "CallProfile.h"
#include "CallTree.h"

#include <gtest/gtest.h>

#include "OwnTimes.h"
#include "PadReader.h"
#include "PadTextBuilder.h"
#include "TraceLoad.h"

namespace kivra {
namespace {
using test::DotLocale;
using test::PadText;
using test::Rec;

TraceLoad Load(const std::vector<std::string>& records, const char* pattern = "0.00") {
    TraceLoad load;
    PadReadResult read = ParsePadText(PadText(records), "t.pad", ", ", DotLocale());
    EXPECT_FALSE(read.error) << read.error->Message();
    load.trace = std::move(read.trace);
    BuildAndTime(load, NumberFormat(pattern, DotLocale()));
    return load;
}

struct Shown {
    int number;
    int parent;
    int level;
    std::string label;
    std::string time;
};

void ExpectRows(const TraceLoad& load, const std::vector<Shown>& expected) {
    ASSERT_EQ(load.tree.Rows.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const TraceRow& row = load.tree.Rows[i];
        EXPECT_EQ(row.Number, expected[i].number) << "display row " << i;
        EXPECT_EQ(row.ParentRow, expected[i].parent) << "display row " << i;
        EXPECT_EQ(row.Level, expected[i].level) << "display row " << i;
        EXPECT_EQ(row.Label, expected[i].label) << "display row " << i;
        EXPECT_EQ(row.Time, expected[i].time) << "display row " << i;
    }
}

TEST(CallTreeTest, SortedOrdersAreTheKeysReadAsDecimalNumbersRoundedDown) {
    const TraceLoad load =
        Load({Rec("a", 12, 2, 0, 1), Rec("b", 12, 10, 0, 1), Rec("c", 5, -1, 0, 1), Rec("d", 3, 1, 0, 1)});
    EXPECT_EQ(SortedStartOrders(load.trace), (std::vector<long long>{3, 5, 12, 12}));
    // "-2.3" is -2.3, which rounds down to -3; "-2.0" and "-4.-1" keep their Order.
    const TraceLoad negative = Load({Rec("a", -2, 3, 0, 1), Rec("b", -2, 0, 0, 1), Rec("c", -4, -1, 0, 1)});
    EXPECT_EQ(SortedStartOrders(negative.trace), (std::vector<long long>{-4, -3, -2}));
    // At the ends of 32 bits, where reading "2147483647.999999999" in double
    // precision would round up to the next whole number; Orders far apart
    // are sorted without a table as wide as their range.
    const TraceLoad wide = Load({Rec("a", 2147483647, 999999999, 0, 1), Rec("b", -2147483648, 7, 0, 1),
                                 Rec("c", -2147483648, 0, 0, 1), Rec("d", 40000, 1, 0, 1)});
    EXPECT_EQ(SortedStartOrders(wide.trace), (std::vector<long long>{-2147483649LL, -2147483648LL, 40000, 2147483647}));
}

TEST(CallTreeTest, CallsHangUnderTheNearestEarlierCallOneLevelUp) {
    // File order B, C, A: A's two calls, timed as 10 less 3 gives 7.00, less 4 gives 3.00.
    const TraceLoad load = Load({Rec("B", 2, 2, 0, 3), Rec("C", 3, 2, 0, 4), Rec("A", 1, 1, 0, 10)});
    ExpectRows(load, {{1, 0, 0, "A", "3.00"}, {2, 1, 1, "B", "3.00"}, {3, 1, 1, "C", "4.00"}});
    EXPECT_EQ(load.tree.Rows[0].TotalText, "10.00");
    EXPECT_TRUE(load.tree.Rows[0].HasChildren);
    EXPECT_FALSE(load.tree.Rows[1].HasChildren);
    EXPECT_EQ(load.tree.MarkedCount, 0);
    EXPECT_TRUE(load.tree.StopMessage.empty());
    EXPECT_FALSE(load.timesUnreadable);
}

TEST(CallTreeTest, ALeafBeforeAShallowerRowHoldsItsTotalAsAPlainNumber) {
    const TraceLoad load = Load({Rec("A", 1, 1, 0, 10), Rec("B", 2, 2, 0, 3), Rec("C", 3, 1, 0, 5)});
    ExpectRows(load, {{1, 0, 0, "A", "7.00"}, {2, 1, 1, "B", "3"}, {3, 0, 0, "C", "5.00"}});
    EXPECT_TRUE(load.tree.Rows[1].TimeIsNumber);
    EXPECT_FALSE(load.tree.Rows[0].TimeIsNumber);
}

TEST(CallTreeTest, SingleCallsAndTopLevelTrees) {
    ExpectRows(Load({Rec("A", 1, 1, 0, 2.5)}), {{1, 0, 0, "A", "2.50"}});
    // A depth-1 call after another depth-1 call starts its own tree.
    ExpectRows(Load({Rec("A", 1, 1, 0, 2), Rec("B", 2, 1, 0, 3)}), {{1, 0, 0, "A", "2.00"}, {2, 0, 0, "B", "3.00"}});
    // The only top-level call is row 1: its total less every child's.
    ExpectRows(Load({Rec("A", 1, 1, 0, 20), Rec("B", 2, 2, 0, 5), Rec("C", 3, 3, 0, 1), Rec("D", 4, 2, 0, 4)}),
               {{1, 0, 0, "A", "11.00"}, {2, 1, 1, "B", "4.00"}, {3, 2, 2, "C", "1"}, {4, 1, 1, "D", "4.00"}});
}

TEST(CallTreeTest, GapsAndRepeatsInTheOrderAreMarked) {
    const TraceLoad gap = Load({Rec("A", 1, 1, 0, 1), Rec("B", 2, 1, 0, 1), Rec("D", 4, 1, 0, 1)});
    ASSERT_EQ(gap.tree.Rows.size(), 3u);
    EXPECT_EQ(gap.tree.Rows[2].Label, "D*");
    EXPECT_EQ(gap.tree.Rows[2].Record, 3);
    EXPECT_EQ(gap.tree.MarkedCount, 1);

    // Both sorted places of Order 2 show the first such record; the second
    // time it is marked, and the mark stays in its name.
    const TraceLoad repeat = Load({Rec("A", 1, 1, 0, 9), Rec("X", 2, 2, 0, 1), Rec("Y", 2, 2, 0, 2)});
    ExpectRows(repeat, {{1, 0, 0, "A", "7.00"}, {2, 1, 1, "X", "1.00"}, {3, 1, 1, "X*", "1.00"}});
    EXPECT_EQ(repeat.trace.Records[2].Name, "X*");
    EXPECT_EQ(repeat.tree.MarkedCount, 1);

    // Each row keeps the name as it was when the row was made.
    const std::string name = "modLongModuleName.LongProcedureName";
    const TraceLoad thrice =
        Load({Rec("A", 1, 1, 0, 9), Rec(name, 2, 2, 0, 1), Rec("Y", 2, 2, 0, 2), Rec("Z", 2, 2, 0, 3)});
    ExpectRows(thrice, {{1, 0, 0, "A", "6.00"},
                        {2, 1, 1, name, "1.00"},
                        {3, 1, 1, name + "*", "1.00"},
                        {4, 1, 1, name + "**", "1.00"}});
    EXPECT_EQ(thrice.trace.Records[2].Name, name + "**");
    EXPECT_EQ(thrice.tree.MarkedCount, 2);
}

TEST(CallTreeTest, TheTopLevelTestReadsTheCallsOwnDepthAfterAMark) {
    const TraceLoad load = Load({Rec("A", 1, 1, 0, 5), Rec("B", 3, 2, 0, 1), Rec("C", 4, 1, 0, 2)});
    ExpectRows(load, {{1, 0, 0, "A", "4.00"}, {2, 1, 1, "B*", "1"}, {3, 0, 0, "C*", "2.00"}});
    EXPECT_EQ(load.tree.MarkedCount, 2);
}

TEST(CallTreeTest, ACallWhoseParentNoRowShowsBecomesATopLevelRow) {
    // Order 2 is shown twice by Q, so P (Key 2.1) never gets a row; C, whose
    // parent is P, must not write into row 2 (Q's).
    const TraceLoad load =
        Load({Rec("A", 1, 1, 0, 10), Rec("Q", 2, 2, 0, 1), Rec("P", 2, 1, 0, 2), Rec("C", 3, 2, 0, 3)});
    ExpectRows(load, {{1, 0, 0, "A", "8.00"}, {2, 1, 1, "Q", "1.00"}, {3, 1, 1, "Q*", "1"}, {4, 0, 0, "C*", "3.00"}});
}

TEST(CallTreeTest, DisplayOrderIsThePreorderOfTheTree) {
    // D is created after C but hangs under B, so it shows before C.
    const TraceLoad load =
        Load({Rec("A", 1, 1, 0, 10), Rec("B", 2, 2, 0, 4), Rec("C", 3, 1, 0, 2), Rec("D", 4, 3, 0, 1)});
    ExpectRows(load, {{1, 0, 0, "A", "6.00"}, {2, 1, 1, "B", "3.00"}, {4, 2, 2, "D", "1.00"}, {3, 0, 0, "C", "2.00"}});
}

TEST(CallTreeTest, AMissingStartBeforeAnyRowStopsWithNoRows) {
    const TraceLoad load = Load({Rec("A", 1, 1, 0, 10), "|0|1|0|1|||"});
    EXPECT_TRUE(load.tree.Rows.empty());
    EXPECT_EQ(load.tree.StopMessage, "No Pushed in Name? <<< Missing Start");
    EXPECT_EQ(load.tree.StopRow, 0);

    // A first call whose caller cannot be found stops just as early.
    const TraceLoad orphan = Load({Rec("B", 1, 2, 0, 1)});
    EXPECT_TRUE(orphan.tree.Rows.empty());
    EXPECT_EQ(orphan.tree.StopMessage, "B <<< Push Stack trace exceeded 1000");
}

std::vector<std::string> CallerBack(int distance) {
    // A at depth 1, B its child, then top-level fillers, then C at depth 3
    // whose nearest depth-2 call (B, Order 2) lies `distance` orders back.
    std::vector<std::string> records = {Rec("A", 1, 1, 0, 1), Rec("B", 2, 2, 0, 1)};
    for (int order = 3; order < 2 + distance; ++order) records.push_back(Rec("F", order, 1, 0, 1));
    records.push_back(Rec("C", 2 + distance, 3, 0, 1));
    return records;
}

TEST(CallTreeTest, TheCallerIsFoundHoweverFarBackItStarted) {
    for (const int distance : {999, 1000, 5000}) {
        const TraceLoad load = Load(CallerBack(distance));
        ASSERT_EQ(load.tree.Rows.size(), static_cast<std::size_t>(distance) + 2) << distance;
        EXPECT_TRUE(load.tree.StopMessage.empty()) << distance;
        EXPECT_EQ(load.tree.Rows[2].Label, "C") << distance;
        EXPECT_EQ(load.tree.Rows[2].ParentRow, 2) << distance;
        EXPECT_EQ(load.tree.Rows[2].Level, 2) << distance;
    }
    // Without any earlier call one level up, the building still stops with
    // the text it always had: here C's depth 3 has no depth-2 call before it.
    std::vector<std::string> records = CallerBack(2000);
    records[1] = Rec("B", 2, 1, 0, 1);
    const TraceLoad none = Load(records);
    ASSERT_EQ(none.tree.Rows.size(), 2001u);
    EXPECT_EQ(none.tree.StopMessage, "C <<< Push Stack trace exceeded 1000");
    EXPECT_EQ(none.tree.StopRow, 2001);
    EXPECT_EQ(none.tree.Rows.back().Label, "C <<< Push Stack trace exceeded 1000");
}

TEST(CallTreeTest, ALoopOfFortyThousandCallsHangsUnderItsCaller) {
    // Outer calls Inner 40,000 times, then a second top-level call follows;
    // the lines come in completion order, as a timing object writes them.
    constexpr int kCallees = 40000;
    std::vector<std::string> records;
    for (int i = 0; i < kCallees; ++i) records.push_back(Rec("Inner", i + 2, 2, i, i + 0.5));
    records.push_back(Rec("Outer", 1, 1, 0, kCallees + 1));
    records.push_back(Rec("Next", kCallees + 2, 1, kCallees + 2, kCallees + 3));
    const TraceLoad load = Load(records, "0.0");
    ASSERT_EQ(load.tree.Rows.size(), static_cast<std::size_t>(kCallees) + 2);
    EXPECT_TRUE(load.tree.StopMessage.empty());
    EXPECT_EQ(load.tree.MarkedCount, 0);
    EXPECT_EQ(load.tree.Rows[0].Label, "Outer");
    for (std::size_t i = 1; i <= kCallees; ++i) {
        ASSERT_EQ(load.tree.Rows[i].ParentRow, 1) << i;
        ASSERT_EQ(load.tree.Rows[i].Level, 1) << i;
    }
    EXPECT_EQ(load.tree.Rows.back().Label, "Next");
    EXPECT_EQ(load.tree.Rows.back().Level, 0);
    EXPECT_EQ(load.tree.Rows.back().Number, kCallees + 2);
    // 40,001 ms less 40,000 callees of 0.5 ms each.
    EXPECT_EQ(load.tree.Rows[0].Time, "20001.0");
}

TEST(CallTreeTest, OrdersPastSixteenBitsAndNearTheTopOfThirtyTwo) {
    // A run that starts counting high: rows are numbered from 1, so every
    // row is marked, and the callers are still found by Order and Depth.
    const int top = 2147483647;
    const TraceLoad high = Load(
        {Rec("A", top - 3, 1, 0, 10), Rec("B", top - 2, 2, 1, 4), Rec("C", top - 1, 3, 2, 3), Rec("D", top, 2, 5, 6)});
    ASSERT_EQ(high.tree.Rows.size(), 4u);
    EXPECT_TRUE(high.tree.StopMessage.empty());
    EXPECT_EQ(high.tree.MarkedCount, 4);
    ExpectRows(high, {{1, 0, 0, "A*", "6.00"}, {2, 1, 1, "B*", "2.00"}, {3, 2, 2, "C*", "1"}, {4, 1, 1, "D*", "1.00"}});

    // Orders far apart, looked up without a table as wide as their range.
    const TraceLoad sparse = Load({Rec("C", 2000000000, 3, 2, 3), Rec("B", 1000000000, 2, 1, 4), Rec("A", 1, 1, 0, 10),
                                   Rec("E", 2000000001, 2, 5, 6), Rec("B2", 1000000000, 2, 0, 0)});
    ExpectRows(sparse, {{1, 0, 0, "A", "3.00"},
                        {2, 1, 1, "B*", "2.00"},
                        {4, 2, 2, "C*", "1"},
                        {3, 1, 1, "B**", "3.00"},
                        {5, 1, 1, "E*", "1.00"}});

    // Orders just past 32,767 in a run that counted them all.
    std::vector<std::string> records;
    for (int order = 1; order <= 33000; ++order)
        records.push_back(Rec(order == 1 ? "Main" : "P", order, order == 1 ? 1 : 2, 0, 0));
    const TraceLoad past = Load(records);
    ASSERT_EQ(past.tree.Rows.size(), 33000u);
    EXPECT_EQ(past.tree.MarkedCount, 0);
    EXPECT_EQ(past.tree.Rows.back().Number, 33000);
    EXPECT_EQ(past.tree.Rows.back().ParentRow, 1);
}

TEST(CallTreeTest, TheStopMessageGoesIntoTheLastRowCreated) {
    // Row 4 (D) is created last but shows before row 3; E has no caller.
    const TraceLoad load = Load({Rec("A", 1, 1, 0, 10), Rec("B", 2, 2, 0, 4), Rec("C", 3, 1, 0, 2),
                                 Rec("D", 4, 3, 0, 1), Rec("E", 5, 7, 0, 1)});
    ASSERT_EQ(load.tree.Rows.size(), 4u);
    EXPECT_EQ(load.tree.StopRow, 4);
    EXPECT_EQ(load.tree.StopMessage, "E <<< Push Stack trace exceeded 1000");
    EXPECT_EQ(load.tree.Rows[2].Label, "E <<< Push Stack trace exceeded 1000");
    EXPECT_EQ(load.tree.Rows[3].Label, "C");
    // The rows made so far are still timed.
    EXPECT_EQ(load.tree.Rows[0].Time, "6.00");
}

// A format whose texts do not read back ("0.0 ms") no longer stops the
// pass: it works on "0.000" texts and formats each own time once.
TEST(CallTreeTest, AFormatThatCannotBeReadBackNoLongerBreaksThePass) {
    const TraceLoad load = Load({Rec("A", 1, 1, 0, 10), Rec("B", 2, 2, 0, 3), Rec("C", 3, 1, 0, 5)}, "0.0 ms");
    EXPECT_FALSE(load.timesUnreadable);
    ExpectRows(load, {{1, 0, 0, "A", "7.0 ms"}, {2, 1, 1, "B", "3"}, {3, 0, 0, "C", "5.0 ms"}});
    EXPECT_EQ(load.tree.Rows[0].TotalText, "10.0 ms");
    EXPECT_NE(UnreadableTimeFormatMessage("0.0 ms").find("\"0.0 ms\""), std::string::npos);
}

TEST(CallTreeTest, OwnTimesAreRoundedOnceUnderACoarseFormat) {
    // 1.000 - 0.340 - 0.340 = 0.320, then "0.3"; the Part's texts alone
    // would give 1.0 - 0.3 - 0.3 = 0.4.
    const TraceLoad load = Load({Rec("A", 1, 1, 0, 1.0), Rec("B", 2, 2, 0, 0.34), Rec("C", 3, 2, 0, 0.34)}, "0.0");
    ExpectRows(load, {{1, 0, 0, "A", "0.3"}, {2, 1, 1, "B", "0.3"}, {3, 1, 1, "C", "0.3"}});
}

// The issue's run under coarse formats: every own time in the call tree is
// the Procedures number formatted once; "0.000" is the Part's pass exactly.
TEST(CallTreeTest, EachOwnTimeIsTheProceduresNumberFormattedOnce) {
    // cmdSearch_Click 10 with FillGrid 5.5 (which calls three of 0.5) and
    // OpenDatabase 1.5 under it; then a row after them one level up.
    const std::vector<std::string> records = {Rec("Row", 4, 3, 1.0, 1.5),
                                              Rec("Row", 5, 3, 2.0, 2.5),
                                              Rec("Row", 6, 3, 3.0, 3.5),
                                              Rec("FillGrid", 3, 2, 0.5, 6.0),
                                              Rec("OpenDatabase", 7, 2, 6.25, 7.75),
                                              Rec("cmdSearch_Click", 2, 1, 0.25, 10.25),
                                              Rec("Form_Load", 1, 0, 0, 0)};
    for (const char* pattern : {"0", "0.0", "0.0#", "0.00\" ms\"", "#,##0.0000", "0.000"}) {
        SCOPED_TRACE(pattern);
        const NumberFormat format(pattern, DotLocale());
        const TraceLoad load = Load({records.begin(), records.end() - 1}, pattern);
        const CallProfile profile = BuildCallProfile(load.trace, load.tree.Rows);
        ASSERT_EQ(profile.Calls.size(), load.tree.Rows.size());
        for (std::size_t i = 0; i < profile.Calls.size(); ++i) {
            const TraceRow& row = load.tree.Rows[i];
            const std::string expected =
                row.TimeIsNumber ? format.Plain(profile.Calls[i].Own) : format.Format(profile.Calls[i].Own);
            EXPECT_EQ(row.Time, expected) << row.Label;
        }
        EXPECT_FALSE(load.timesUnreadable);
    }
    // "0.000" gives the Part's texts: the pass on the format's own texts.
    TraceLoad exact = Load({records.begin(), records.end() - 1}, "0.000");
    std::vector<TraceRow> again = exact.tree.Rows;
    ComputeOwnTimes(again, NumberFormat("0.000", DotLocale()));
    for (std::size_t i = 0; i < again.size(); ++i) EXPECT_EQ(again[i].Time, exact.tree.Rows[i].Time);
}

}  // namespace
}  // namespace kivra
