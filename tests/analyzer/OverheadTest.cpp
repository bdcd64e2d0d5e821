#include "Overhead.h"

#include <gtest/gtest.h>

#include "FlatProfile.h"
#include "JsonText.h"
#include "LoadedTrace.h"

namespace kivra {
namespace {
using test::LoadRecords;
using test::ProfileOf;
using test::Rec;

struct Corrected {
    TraceLoad load;
    CallProfile profile;
    int clamped = 0;
};

Corrected Correct(const std::vector<std::string>& records, TimingOverhead overhead) {
    Corrected result;
    result.load = LoadRecords(records);
    result.profile = ProfileOf(result.load);
    result.clamped = CorrectForOverhead(result.profile, overhead);
    return result;
}

TEST(OverheadTest, TheHeaderLineAndTheOptionAreRead) {
    const auto line = ReadOverheadLine("Overhead: 0.004000 ms inside, 0.021500 ms outside per call");
    ASSERT_TRUE(line);
    EXPECT_DOUBLE_EQ(line->inside, 0.004);
    EXPECT_DOUBLE_EQ(line->outside, 0.0215);
    EXPECT_TRUE(ReadOverheadLine("Overhead: 0 ms inside, 1 ms outside per call  "));
    for (const char* wrong :
         {"", "line 7", "Overhead: 0,004 ms inside, 0,02 ms outside per call",
          "Overhead: -0.1 ms inside, 0.2 ms outside per call", "Overhead: 0.1 ms inside, 0.2 ms outside",
          "Overhead: 0.1 ms inside, inf ms outside per call"}) {
        EXPECT_FALSE(ReadOverheadLine(wrong)) << wrong;
    }
    const auto pair = ReadOverheadPair("0.01,0.02");
    ASSERT_TRUE(pair);
    EXPECT_DOUBLE_EQ(pair->outside, 0.02);
    for (const char* wrong : {"0.01", "0.01,", ",0.02", "0.01;0.02", "a,b", "-1,2", "1,2,3"}) {
        EXPECT_FALSE(ReadOverheadPair(wrong)) << wrong;
    }
    // The reader keeps line 7 as it is.
    TraceLoad load;
    load.trace = ParsePadText(
                     "h\r\nRun Date: x\r\n3\r\nResolution: 1 ms\r\n5\r\n6\r\nOverhead: 1 ms inside, 2 ms "
                     "outside per call\r\nA|1|1|0|10|||\r\n",
                     "t.pad", ", ", test::DotLocale())
                     .trace;
    EXPECT_EQ(load.trace.OverheadLine, "Overhead: 1 ms inside, 2 ms outside per call");
}

// A > B > C, then B again under A: every total less a, less a + b per call
// below it; own times from the corrected totals.
TEST(OverheadTest, NestedCallsLoseTheirPairsAndTheirCalleesPairs) {
    const Corrected run = Correct(
        {Rec("C", 3, 3, 20, 30), Rec("B", 2, 2, 10, 60), Rec("B", 4, 2, 70, 80), Rec("A", 1, 1, 0, 100)}, {1.0, 2.0});
    ASSERT_EQ(run.profile.Calls.size(), 4u);
    const std::vector<std::pair<float, float>> expected = {{90, 35}, {46, 37}, {9, 9}, {9, 9}};
    for (std::size_t c = 0; c < expected.size(); ++c) {
        EXPECT_FLOAT_EQ(run.profile.Calls[c].Total, expected[c].first) << c;
        EXPECT_FLOAT_EQ(run.profile.Calls[c].Own, expected[c].second) << c;
    }
    EXPECT_EQ(run.clamped, 0);
    EXPECT_DOUBLE_EQ(run.profile.TopLevelTotal, 90.0);
    EXPECT_DOUBLE_EQ(run.profile.OwnSum, 90.0);

    // No overhead: every number as it was.
    const Corrected none = Correct({Rec("C", 3, 3, 20, 30), Rec("B", 2, 2, 10, 60), Rec("A", 1, 1, 0, 100)}, {});
    const CallProfile raw = ProfileOf(none.load);
    for (std::size_t c = 0; c < raw.Calls.size(); ++c) {
        EXPECT_EQ(none.profile.Calls[c].Total, raw.Calls[c].Total);
        EXPECT_EQ(none.profile.Calls[c].Own, raw.Calls[c].Own);
    }
}

TEST(OverheadTest, RecursionIsCorrectedPerCallAndCountedOnceInTheTotal) {
    const Corrected run = Correct({Rec("F", 3, 3, 10, 20), Rec("F", 2, 2, 5, 40), Rec("F", 1, 1, 0, 50)}, {1.0, 1.0});
    ASSERT_EQ(run.profile.Calls.size(), 3u);
    EXPECT_FLOAT_EQ(run.profile.Calls[0].Total, 45);
    EXPECT_FLOAT_EQ(run.profile.Calls[1].Total, 32);
    EXPECT_FLOAT_EQ(run.profile.Calls[2].Total, 9);
    EXPECT_FLOAT_EQ(run.profile.Calls[0].Own, 13);
    EXPECT_FLOAT_EQ(run.profile.Calls[1].Own, 23);
    const FlatProfile flat = ComputeFlatProfile(run.profile);
    ASSERT_EQ(flat.Entries.size(), 1u);
    EXPECT_EQ(flat.Entries[0].Calls, 3);
    EXPECT_DOUBLE_EQ(flat.Entries[0].Total, 45.0);
    EXPECT_DOUBLE_EQ(flat.Entries[0].Own, 45.0);
}

// Callees shorter than a pair, and a caller whose callees' pairs outweigh
// its total: held at zero and counted, never below.
TEST(OverheadTest, CallsShorterThanTheOverheadAreHeldAtZeroAndCounted) {
    std::vector<std::string> records;
    for (int i = 0; i < 5; ++i) records.push_back(Rec("Tiny", 2 + i, 2, 1 + i, 1.5 + i));
    records.push_back(Rec("Loop", 1, 1, 0, 10));
    const Corrected run = Correct(records, {1.0, 1.0});
    EXPECT_EQ(run.clamped, 6);
    for (const ProfileCall& call : run.profile.Calls) {
        EXPECT_EQ(call.Total, 0.0f);
        EXPECT_EQ(call.Own, 0.0f);
    }
    // A caller held at zero over callees that are not: its own time is
    // held too.
    const Corrected partly = Correct({Rec("Long", 2, 2, 0, 9), Rec("Short", 1, 1, 0, 9.5)}, {1.0, 0.0});
    EXPECT_FLOAT_EQ(partly.profile.Calls[0].Total, 7.5f);
    EXPECT_FLOAT_EQ(partly.profile.Calls[1].Total, 8.0f);
    EXPECT_FLOAT_EQ(partly.profile.Calls[0].Own, 0.0f);
    EXPECT_EQ(partly.clamped, 1);
    EXPECT_EQ(ClampedCallsMessage(1),
              "1 call was shorter than the timing overhead allows; its corrected time is held at 0.");
}

// The corrected timeline: each call as long as its corrected total, inside
// its caller, in order, the gaps shortened by the overhead that lay there.
TEST(OverheadTest, TheCorrectedTimelineNestsCallsOfTheirCorrectedLength) {
    const Corrected run = Correct({Rec("C", 3, 3, 20, 30), Rec("B", 2, 2, 10, 60), Rec("B", 4, 2, 70, 80),
                                   Rec("A", 1, 1, 0, 100), Rec("Z", 5, 1, 110, 120)},
                                  {1.0, 2.0});
    const Timeline timeline = CorrectedTimeline(run.load.trace, run.profile, {1.0, 2.0});
    ASSERT_EQ(timeline.Spans.size(), run.profile.Calls.size());
    EXPECT_EQ(timeline.Clipped, 0);
    for (std::size_t c = 0; c < timeline.Spans.size(); ++c) {
        const CallSpan& span = timeline.Spans[c];
        EXPECT_EQ(span.End - span.Begin, ToNanoseconds(run.profile.Calls[c].Total)) << c;
        const int parent = run.profile.Calls[c].Parent;
        if (parent >= 0) {
            EXPECT_GE(span.Begin, timeline.Spans[static_cast<std::size_t>(parent)].Begin);
            EXPECT_LE(span.End, timeline.Spans[static_cast<std::size_t>(parent)].End);
        }
    }
    // A starts where it did; B after half a pair less of A's opening 10 ms;
    // B's second call after the gap of 10 ms less the 2 ms outside; Z, at the
    // top level, after the 10 ms gap less 2.
    EXPECT_EQ(timeline.Spans[0].Begin, 0);
    EXPECT_EQ(timeline.Spans[1].Begin, ToNanoseconds(8.5));
    EXPECT_EQ(timeline.Spans[3].Begin, timeline.Spans[1].End + ToNanoseconds(8.0));
    EXPECT_EQ(timeline.Spans[4].Begin, timeline.Spans[0].End + ToNanoseconds(8.0));
}

TEST(OverheadTest, TheSummarySaysWhatTheOverheadDoesToTheRun) {
    EXPECT_EQ(OverheadSummary({0.002, 0.010}, 40001),
              "Timing overhead: 0.012 ms per call; 40,001 calls put about 400 ms into their callers' own times");
    EXPECT_EQ(OverheadSummary({0.0, 0.0001}, 1),
              "Timing overhead: 0.000 ms per call; 1 call puts less than 1 ms into their callers' own times");
}

}  // namespace
}  // namespace kivra
