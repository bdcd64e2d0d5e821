// A stretch of the run: the clipping rule on hand-made trees, and kivra's
// --range against a count made another way on generated runs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "CommandFixture.h"
#include "FlatProfile.h"
#include "LoadedTrace.h"
#include "ProfileCommands.h"
#include "TimeRange.h"
#include "TraceCommands.h"
#include "TraceGenerator.h"

namespace kivra {
namespace {

using test::Rec;

struct Counted {
    int calls = 0;
    double own = 0.0;
    double total = 0.0;
    bool operator==(const Counted&) const = default;
};

std::map<std::string, Counted> FlatOver(const std::vector<std::string>& records, double from, double to) {
    const TraceLoad load = test::LoadRecords(records);
    const CallProfile profile = test::ProfileOf(load);
    const RangedRun run = RestrictToRange(profile, NestedTimeline(load.trace, profile), {from, to});
    std::map<std::string, Counted> out;
    for (const FlatEntry& entry : ComputeFlatProfile(run.Profile).Entries) {
        if (entry.Calls > 0) out[entry.Name] = {entry.Calls, entry.Own, entry.Total};
    }
    return out;
}

// Main 0-100 calls A 10-30 (which calls A 12-20) and B 30-40 (which calls C
// at 35, of no time); D 120-130 at the top level.
const std::vector<std::string> kRun = {Rec("A", 3, 3, 12, 20), Rec("A", 2, 2, 10, 30),    Rec("C", 5, 3, 35, 35),
                                       Rec("B", 4, 2, 30, 40), Rec("Main", 1, 1, 0, 100), Rec("D", 6, 1, 120, 130)};

TEST(TimeRangeTest, CallsAcrossAnEdgeAreClippedToIt) {
    // 15-35: Main from 15 to 35; A from 15 to 30 (its inner call 15-20); B
    // 30-35; C, of no time, at 35, inside (the end counts).
    EXPECT_EQ(FlatOver(kRun, 15, 35),
              (std::map<std::string, Counted>{
                  {"Main", {1, 0.0, 20.0}}, {"A", {2, 15.0, 15.0}}, {"B", {1, 5.0, 5.0}}, {"C", {1, 0.0, 0.0}}}));
    // Just past C and up to D: B and Main overlap it; C lies outside, and D,
    // beginning at its end, does not overlap it.
    EXPECT_EQ(FlatOver(kRun, 36, 120),
              (std::map<std::string, Counted>{{"Main", {1, 60.0, 64.0}}, {"B", {1, 4.0, 4.0}}}));
    // A range of no time holds only the calls of no time at that instant.
    EXPECT_EQ(FlatOver(kRun, 35, 35), (std::map<std::string, Counted>{{"C", {1, 0.0, 0.0}}}));
    // The whole run is the run.
    EXPECT_EQ(FlatOver(kRun, -1000, 1000), (std::map<std::string, Counted>{{"Main", {1, 70.0, 100.0}},
                                                                           {"A", {2, 20.0, 20.0}},
                                                                           {"B", {1, 10.0, 10.0}},
                                                                           {"C", {1, 0.0, 0.0}},
                                                                           {"D", {1, 10.0, 10.0}}}));
    // Nothing at all between the runs' calls.
    EXPECT_TRUE(FlatOver(kRun, 101, 119).empty());
}

TEST(TimeRangeTest, KeptCallsHangUnderTheirCountedCallers) {
    const TraceLoad load = test::LoadRecords(kRun);
    const CallProfile profile = test::ProfileOf(load);
    const RangedRun run = RestrictToRange(profile, NestedTimeline(load.trace, profile), {15, 25});
    // Main, A, A: each under the one before, with the whole run's names and calls.
    ASSERT_EQ(run.Profile.Calls.size(), 3u);
    EXPECT_EQ(run.Profile.Names, profile.Names);
    EXPECT_EQ(run.Profile.Calls[1].Parent, 0);
    EXPECT_EQ(run.Profile.Calls[2].Parent, 1);
    EXPECT_EQ(run.Profile.Calls[2].Level, 2);
    EXPECT_EQ(run.WholeCall, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(run.Spans.Spans[0].Begin, 15'000'000);
    EXPECT_EQ(run.Spans.Spans[0].End, 25'000'000);
    EXPECT_FLOAT_EQ(run.Profile.TopLevelTotal, 10.0);
}

TEST(TimeRangeTest, RangesAreReadAndSaid) {
    std::string why;
    const auto range = ParseTimeRange("1204:1530.5", why);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->Start, 1204.0);
    EXPECT_EQ(range->End, 1530.5);
    EXPECT_EQ(TimeRangeText(*range), "1,204.000 \u2013 1,530.500 ms");
    EXPECT_TRUE(ParseTimeRange("-5:5", why));
    for (const char* bad : {"", "12", "a:b", "5:3", "1:2:3", "1,5:3", ":4", "nan:4"}) {
        EXPECT_FALSE(ParseTimeRange(bad, why)) << bad;
        EXPECT_FALSE(why.empty()) << bad;
    }
}

// The per-procedure numbers counted another way: each call's overlap with
// the range less its direct callees' overlaps, a name's total over its
// calls not inside another call of the same name.
std::map<std::string, Counted> BruteForce(const CallProfile& profile, const Timeline& timeline, double fromMs,
                                          double toMs) {
    const auto from = static_cast<std::int64_t>(std::llround(fromMs * 1e6));
    const auto to = static_cast<std::int64_t>(std::llround(toMs * 1e6));
    std::vector<double> overlap(profile.Calls.size(), 0.0);
    std::vector<char> counts(profile.Calls.size(), 0);
    for (std::size_t c = 0; c < profile.Calls.size(); ++c) {
        const CallSpan& s = timeline.Spans[c];
        const std::int64_t begin = std::max(s.Begin, from);
        const std::int64_t end = std::min(s.End, to);
        counts[c] = s.Begin == s.End ? (s.Begin >= from && s.Begin <= to) : begin < end;
        if (counts[c]) overlap[c] = static_cast<double>(end - begin) / 1e6;
    }
    std::map<std::string, Counted> out;
    for (std::size_t c = 0; c < profile.Calls.size(); ++c) {
        if (!counts[c]) continue;
        double callees = 0.0;
        for (std::size_t d = 0; d < profile.Calls.size(); ++d) {
            if (profile.Calls[d].Parent == static_cast<int>(c)) callees += overlap[d];
        }
        const std::string& name = profile.Names[static_cast<std::size_t>(profile.Calls[c].Name)];
        Counted& entry = out[name];
        ++entry.calls;
        entry.own += std::max(0.0, overlap[c] - callees);
        bool nested = false;
        for (int up = profile.Calls[c].Parent; up >= 0; up = profile.Calls[static_cast<std::size_t>(up)].Parent) {
            nested = nested ||
                     profile.Names[static_cast<std::size_t>(profile.Calls[static_cast<std::size_t>(up)].Name)] == name;
        }
        if (!nested) entry.total += overlap[c];
    }
    return out;
}

class RangeCommandTest : public test::CommandFixture {
protected:
    RangeCommandTest() : CommandFixture(&AddProfileCommands, "Config.ini") {}
};

TEST_F(RangeCommandTest, FlatOverARangeAgreesWithACountMadeAnotherWay) {
    std::mt19937 random(5);
    for (const std::uint32_t seed : {3u, 9u}) {
        bench::TraceShape shape;
        shape.calls = 600;
        shape.seed = seed;
        const std::string text = bench::GeneratePadText(shape);
        Write("run.pad", text);
        PadReadResult read = ParsePadText(text, "run.pad", ", ", test::DotLocale());
        ASSERT_FALSE(read.error);
        TraceLoad load;
        load.trace = std::move(read.trace);
        BuildAndTime(load, NumberFormat("0.000", test::DotLocale()));
        const CallProfile profile = test::ProfileOf(load);
        const Timeline timeline = NestedTimeline(load.trace, profile);
        const double first = static_cast<double>(timeline.Spans.front().Begin) / 1e6;
        double last = first;
        for (const CallSpan& span : timeline.Spans) last = std::max(last, static_cast<double>(span.End) / 1e6);
        for (int round = 0; round < 4; ++round) {
            std::uniform_real_distribution<double> at(first, last);
            double a = std::round(at(random) * 1000.0) / 1000.0;
            double b = std::round(at(random) * 1000.0) / 1000.0;
            if (b < a) std::swap(a, b);
            const std::string range = std::to_string(a) + ":" + std::to_string(b);
            SCOPED_TRACE(range);
            const std::map<std::string, Counted> expected = BruteForce(profile, timeline, a, b);
            std::string out;
            std::string err;
            const int status = Run({"flat", Path("run.pad"), "--json", "--range", range}, out, err);
            if (expected.empty()) {
                EXPECT_EQ(status, 1);
                EXPECT_THAT(err, ::testing::HasSubstr("no call lies in the range"));
                continue;
            }
            ASSERT_EQ(status, 0) << err;
            const nlohmann::json json = nlohmann::json::parse(out);
            ASSERT_EQ(json.at("procedures").size(), expected.size());
            for (const auto& entry : json.at("procedures")) {
                const Counted& want = expected.at(entry.at("name").get<std::string>());
                EXPECT_EQ(entry.at("calls").get<int>(), want.calls);
                EXPECT_NEAR(entry.at("own_ms").get<double>(), want.own, 1e-3 + 1e-5 * want.own);
                EXPECT_NEAR(entry.at("total_ms").get<double>(), want.total, 1e-3 + 1e-5 * want.total);
            }
        }
    }
    // The folded export lays out the calls over the range only.
    Write("small.pad", test::PadText(kRun));
    std::string folded;
    std::string problems;
    ASSERT_EQ(Run({"export", Path("small.pad"), "--folded", "--range", "15:35"}, folded, problems), 0) << problems;
    EXPECT_EQ(folded, "Main;A 10000\nMain;A;A 5000\nMain;B 5000\n");

    // A range in no run at all is said, and bad ranges are usage errors.
    std::string out;
    std::string err;
    EXPECT_EQ(Run({"flat", Path("run.pad"), "--range", "-9e9:-8e9"}, out, err), 1);
    EXPECT_EQ(Run({"flat", Path("run.pad"), "--range", "5:3"}, out, err), 2);
    EXPECT_EQ(Run({"peek", Path("run.pad"), "x", "--range", "nope"}, out, err), 2);
}

class RangeReportTest : public test::CommandFixture {
protected:
    RangeReportTest() : CommandFixture(&AddTraceCommands, "Config.ini") {}
};

// The report over a range: the rows whose calls count, with their clipped times.
TEST_F(RangeReportTest, TheReportShowsTheRowsInTheRange) {
    Write("run.pad", test::PadText(kRun));
    std::string out;
    std::string err;
    ASSERT_EQ(Run({"report", Path("run.pad"), "--range", "15:35", "--widths", "200,100,100,0,0,0"}, out, err), 0)
        << err;
    std::vector<std::string> lines;
    std::istringstream text(out);
    for (std::string line; std::getline(text, line);) {
        while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 7u) << out;  // header, rule, Main, A, A, B, C
    EXPECT_THAT(lines[2], ::testing::MatchesRegex(".*Main +20\\.000 +0\\.000"));
    EXPECT_THAT(lines[3], ::testing::MatchesRegex(".*A +15\\.000 +10\\.000"));
    EXPECT_THAT(lines[5], ::testing::MatchesRegex(".*B +5\\.000 +5\\.000"));
    EXPECT_EQ(out.find(" D "), std::string::npos);
    EXPECT_EQ(Run({"report", Path("run.pad"), "--range", "101:119"}, out, err), 1);
    EXPECT_THAT(err, ::testing::HasSubstr("no call lies in the range 101.000 \u2013 119.000 ms"));
}

}  // namespace
}  // namespace kivra
