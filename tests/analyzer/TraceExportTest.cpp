#include "TraceExport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "FlameLayout.h"
#include "JsonText.h"
#include "LoadedTrace.h"
#include "TraceGenerator.h"

namespace kivra {
namespace {
using Json = nlohmann::json;
using test::LoadRecords;
using test::ProfileOf;
using test::Rec;
using test::RecData;

struct Exported {
    TraceLoad load;
    CallProfile profile;
};

Exported Export(const std::vector<std::string>& records) {
    Exported e{LoadRecords(records), {}};
    e.profile = ProfileOf(e.load);
    return e;
}

// P 0..10 with Q 2..12 overlapping its end; R 20..25 with data.
const std::vector<std::string> kOverlap = {Rec("Q", 2, 2, 2, 12), Rec("P", 1, 1, 0, 10),
                                           RecData("R", 3, 1, 20, 25.5, "a~b", "", "x\"y")};

TEST(JsonTextTest, StringsAndScaledNumbers) {
    std::string out;
    AppendJsonString(out, "a\"b\\c\r\n\t\x01 \xC3\xA9");
    EXPECT_EQ(out, "\"a\\\"b\\\\c\\r\\n\\t\\u0001 \xC3\xA9\"");
    out.clear();
    AppendJsonString(out, "caf\xE9");  // not UTF-8: taken as Windows-1252
    EXPECT_EQ(out, "\"caf\xC3\xA9\"");

    auto scaled = [](std::int64_t value, int decimals) {
        std::string text;
        AppendScaled(text, value, decimals);
        return text;
    };
    EXPECT_EQ(scaled(1059880000, 6), "1059.88");
    EXPECT_EQ(scaled(1059880000, 3), "1059880");
    EXPECT_EQ(scaled(5, 3), "0.005");
    EXPECT_EQ(scaled(-1500, 3), "-1.5");
    EXPECT_EQ(scaled(0, 6), "0");
    EXPECT_EQ(ToNanoseconds(1059.88), 1059880000);
    EXPECT_EQ(ToNanoseconds(-0.25), -250000);
    EXPECT_EQ(ToNanoseconds(1e300), 4000000000000000000);
    EXPECT_EQ(ToNanoseconds(-1e300), -4000000000000000000);
}

// Times at both ends of what a trace may hold: every span between two points
// of the run is still a number of nanoseconds, never a negative duration.
TEST(TraceExportTest, RunsFromFarPastToFarFutureKeepTheirSpans) {
    const Exported e = Export({Rec("A", 1, 1, -9e15, 9e15), Rec("B", 2, 1, 9e15, 9.5e15)});
    const Json chrome = Json::parse(ChromeTraceJson(e.load.trace, e.profile, "far.pad").Text);
    EXPECT_EQ(chrome.at("traceEvents")[1].at("dur"), 8'000'000'000'000'000);
    EXPECT_EQ(chrome.at("traceEvents")[2].at("dur"), 0);
    for (const FlameLayout& layout :
         {LayoutTimeOrder(e.load.trace, e.profile), LayoutMerged(e.load.trace, e.profile)}) {
        EXPECT_EQ(layout.Extent, 8'000'000'000'000'000'000);
        EXPECT_EQ(layout.Boxes[0].Width, layout.Extent);
    }
    EXPECT_EQ(FoldedStacks(e.load.trace, e.profile).Text, "A 8000000000000000\n");
}

TEST(TraceExportTest, ChromeEventsFieldByFieldWithAClippedOverlap) {
    const Exported e = Export(kOverlap);
    const ExportText chrome = ChromeTraceJson(e.load.trace, e.profile, "run.pad");
    EXPECT_EQ(chrome.Clipped, 1);
    const Json json = Json::parse(chrome.Text);
    const Json& events = json.at("traceEvents");
    ASSERT_EQ(events.size(), 4u);

    EXPECT_EQ(events[0], Json::parse(R"({"name":"thread_name","ph":"M","pid":1,"tid":1,"args":{"name":"run.pad"}})"));
    EXPECT_EQ(events[1], Json::parse(R"({"name":"P","cat":"kivra","ph":"X","ts":0,"dur":10000,"pid":1,"tid":1})"));
    // Q ran past P's end: clipped to it.
    EXPECT_EQ(events[2], Json::parse(R"({"name":"Q","cat":"kivra","ph":"X","ts":2000,"dur":8000,"pid":1,"tid":1})"));
    // Only the data fields that are not empty, "~" replaced.
    EXPECT_EQ(events[3], Json::parse(R"({"name":"R","cat":"kivra","ph":"X","ts":20000,"dur":5500,"pid":1,"tid":1,
                                        "args":{"Data In":"a, b","Data Out":"x\"y"}})"));
}

TEST(TraceExportTest, TimelineClipsEveryWayACallCanFailToNest) {
    // B starts before its caller A; C overlaps B, the call before it; D
    // stops before it starts; E lies wholly after A's end. F, a top-level
    // call, overlaps A.
    const Exported e = Export({Rec("A", 1, 1, 10, 20), Rec("B", 2, 2, 8, 14), Rec("C", 3, 2, 13, 15),
                               Rec("D", 4, 2, 16, 15.5), Rec("E", 5, 2, 30, 40), Rec("F", 6, 1, 19, 22)});
    const Timeline timeline = NestedTimeline(e.load.trace, e.profile);
    EXPECT_EQ(timeline.Clipped, 5);
    auto span = [&](std::size_t c) {
        return std::pair{timeline.Spans[c].Begin / 1000000, timeline.Spans[c].End / 1000000};
    };
    EXPECT_EQ(span(0), (std::pair<std::int64_t, std::int64_t>{10, 20}));
    EXPECT_EQ(span(1), (std::pair<std::int64_t, std::int64_t>{10, 14}));
    EXPECT_EQ(span(2), (std::pair<std::int64_t, std::int64_t>{14, 15}));
    EXPECT_EQ(span(3), (std::pair<std::int64_t, std::int64_t>{16, 16}));
    EXPECT_EQ(span(4), (std::pair<std::int64_t, std::int64_t>{20, 20}));
    EXPECT_EQ(span(5), (std::pair<std::int64_t, std::int64_t>{20, 22}));
    EXPECT_EQ(ClippedCallsMessage(1).substr(0, 7), "1 call ");
    EXPECT_EQ(ClippedCallsMessage(5).substr(0, 8), "5 calls ");
}

// Replays speedscope's events as a stack: every "C" closes the frame that
// the latest open "O" opened, "at" never goes back, nothing stays open.
void ExpectBalanced(const Json& profile) {
    std::vector<int> stack;
    double at = -1e300;
    for (const Json& event : profile.at("events")) {
        const double now = event.at("at").get<double>();
        EXPECT_GE(now, at) << event.dump();
        at = now;
        if (event.at("type") == "O") {
            stack.push_back(event.at("frame").get<int>());
        } else {
            ASSERT_EQ(event.at("type"), "C");
            ASSERT_FALSE(stack.empty()) << event.dump();
            EXPECT_EQ(stack.back(), event.at("frame").get<int>());
            stack.pop_back();
        }
    }
    EXPECT_TRUE(stack.empty());
    EXPECT_LE(profile.at("startValue").get<double>(), profile.at("events").front().at("at").get<double>());
    EXPECT_GE(profile.at("endValue").get<double>(), at);
}

TEST(TraceExportTest, SpeedscopeSharesFramesAndBalancesEvents) {
    // Main > Work > Work, then Work again at the top, with Q overlapping.
    const Exported e = Export({Rec("Main", 1, 1, 0, 10), Rec("Work", 2, 2, 1, 6), Rec("Work", 3, 3, 2, 3),
                               Rec("Q", 4, 2, 7, 11), Rec("Work", 5, 1, 12, 13.25)});
    const ExportText speedscope = SpeedscopeJson(e.load.trace, e.profile, "run.pad");
    EXPECT_EQ(speedscope.Clipped, 1);
    const Json json = Json::parse(speedscope.Text);
    EXPECT_EQ(json.at("$schema"), "https://www.speedscope.app/file-format-schema.json");
    EXPECT_EQ(json.at("shared").at("frames"), Json::parse(R"([{"name":"Main"},{"name":"Work"},{"name":"Q"}])"));
    ASSERT_EQ(json.at("profiles").size(), 1u);
    const Json& profile = json.at("profiles")[0];
    EXPECT_EQ(profile.at("type"), "evented");
    EXPECT_EQ(profile.at("unit"), "milliseconds");
    EXPECT_EQ(profile.at("name"), "run.pad");
    EXPECT_EQ(profile.at("startValue"), 0);
    EXPECT_EQ(profile.at("endValue"), 13.25);
    const Json expected = Json::parse(R"([
        {"type":"O","frame":0,"at":0}, {"type":"O","frame":1,"at":1}, {"type":"O","frame":1,"at":2},
        {"type":"C","frame":1,"at":3}, {"type":"C","frame":1,"at":6}, {"type":"O","frame":2,"at":7},
        {"type":"C","frame":2,"at":10}, {"type":"C","frame":0,"at":10}, {"type":"O","frame":1,"at":12},
        {"type":"C","frame":1,"at":13.25}])");
    EXPECT_EQ(profile.at("events"), expected);
    ExpectBalanced(profile);

    const Exported none = Export({});
    const Json empty = Json::parse(SpeedscopeJson(none.load.trace, none.profile, "empty.pad").Text);
    EXPECT_TRUE(empty.at("profiles")[0].at("events").empty());
}

TEST(TraceExportTest, FoldedStacksSumOwnTimesPerPath) {
    // Two calls of Main;Work add up; Y runs past X's end and is clipped to
    // it, so X has no own time left, and Z's rounds to zero: both are left
    // out. A ";" in a name would split the path, so it becomes ":".
    const Exported e = Export({Rec("Main", 1, 1, 0, 100), Rec("Work", 2, 2, 0, 10), Rec("Work", 3, 2, 10, 30.0004),
                               Rec("X;1", 4, 2, 40, 50), Rec("Y", 5, 3, 40, 55), Rec("Z", 6, 2, 60, 60.0004)});
    const ExportText folded = FoldedStacks(e.load.trace, e.profile);
    EXPECT_EQ(folded.Text,
              "Main 59999\n"
              "Main;Work 30000\n"
              "Main;X:1;Y 10000\n");
    EXPECT_EQ(folded.Clipped, 1);
}

TEST(TraceExportTest, FoldedRoundTripMatchesTheTotalOwnTime) {
    bench::TraceShape shape;
    shape.calls = 3000;
    shape.seed = 7;
    const std::string text = bench::GeneratePadText(shape);
    TraceLoad load;
    PadReadResult read = ParsePadText(text, "gen.pad", ", ", test::DotLocale());
    ASSERT_FALSE(read.error) << read.error->Message();
    load.trace = std::move(read.trace);
    BuildAndTime(load, NumberFormat("0.000", test::DotLocale()));
    ASSERT_EQ(load.tree.Rows.size(), shape.calls);
    const CallProfile profile = ProfileOf(load);

    std::istringstream folded(FoldedStacks(load.trace, profile).Text);
    std::string line;
    std::size_t lines = 0;
    long long sum = 0;
    while (std::getline(folded, line)) {
        ++lines;
        const std::size_t blank = line.rfind(' ');
        ASSERT_NE(blank, std::string::npos) << line;
        sum += std::stoll(line.substr(blank + 1));
    }
    ASSERT_GT(lines, 100u);
    EXPECT_NEAR(static_cast<double>(sum), profile.OwnSum * 1000.0, static_cast<double>(lines));
    EXPECT_NEAR(profile.OwnSum, profile.TopLevelTotal, 0.01);

    // The same trace exports for the viewers without clipping: the
    // generator's calls nest.
    EXPECT_EQ(ChromeTraceJson(load.trace, profile, "gen.pad").Clipped, 0);
    ExpectBalanced(Json::parse(SpeedscopeJson(load.trace, profile, "gen.pad").Text).at("profiles")[0]);
}

// Own time per call path in nanoseconds, read back from an export: "A;B" -> ns.
using StackTimes = std::map<std::string, long long>;

long long Nanoseconds(const Json& milliseconds, double scale) {
    return std::llround(milliseconds.get<double>() * scale);
}

StackTimes FromFolded(const std::string& text) {
    StackTimes times;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t blank = line.rfind(' ');
        times[line.substr(0, blank)] += std::stoll(line.substr(blank + 1)) * 1000;
    }
    return times;
}

// Walks opening and closing calls in time order, as a viewer does: each
// stretch of time goes to the stack that is open during it.
struct StackWalk {
    std::vector<std::string> paths;
    long long last = 0;
    StackTimes times;
    void Advance(long long now) {
        if (!paths.empty()) times[paths.back()] += now - last;
        last = now;
    }
    void Open(const std::string& name, long long at) {
        Advance(at);
        paths.push_back(paths.empty() ? name : paths.back() + ";" + name);
    }
    void Close(long long at) {
        Advance(at);
        paths.pop_back();
    }
};

StackTimes FromSpeedscope(const std::string& text) {
    const Json file = Json::parse(text);
    const Json& frames = file.at("shared").at("frames");
    StackWalk walk;
    for (const Json& event : file.at("profiles")[0].at("events")) {
        const long long at = Nanoseconds(event.at("at"), 1e6);
        if (event.at("type") == "O") {
            walk.Open(frames[event.at("frame").get<std::size_t>()].at("name").get<std::string>(), at);
        } else {
            walk.Close(at);
        }
    }
    return walk.times;
}

StackTimes FromChrome(const std::string& text) {
    // Complete events nest by time: sort by begin, longer first, and close
    // what has ended before the next one begins.
    struct Event {
        std::string name;
        long long begin, end;
    };
    std::vector<Event> events;
    const Json file = Json::parse(text);
    for (const Json& event : file.at("traceEvents")) {
        if (event.at("ph") != "X") continue;
        const long long begin = Nanoseconds(event.at("ts"), 1e3);
        events.push_back({event.at("name").get<std::string>(), begin, begin + Nanoseconds(event.at("dur"), 1e3)});
    }
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.end > b.end;
    });
    StackWalk walk;
    std::vector<long long> ends;
    for (const Event& event : events) {
        while (!ends.empty() && ends.back() <= event.begin) {
            walk.Close(ends.back());
            ends.pop_back();
        }
        walk.Open(event.name, event.begin);
        ends.push_back(event.end);
    }
    while (!ends.empty()) {
        walk.Close(ends.back());
        ends.pop_back();
    }
    return walk.times;
}

// Folded stacks hold whole microseconds: the others' times rounded so.
StackTimes InWholeMicroseconds(const StackTimes& times) {
    StackTimes rounded;
    for (const auto& [path, ns] : times) {
        const long long us = ns / 1000 + (ns % 1000 >= 500 ? 1 : 0);
        if (us > 0) rounded[path] = us * 1000;
    }
    return rounded;
}

TEST(TraceExportTest, AllThreeFormatsDescribeTheSameClippedTree) {
    // Generated traces with each call's times shifted at random, so that
    // calls overlap their callers' ends and the calls before them.
    int tracesWithClipping = 0;
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        bench::TraceShape shape;
        shape.calls = 400;
        shape.seed = seed;
        shape.maxDepth = 6;
        std::vector<bench::GeneratedCall> calls = bench::GenerateCalls(shape);
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> shift(-0.8, 0.8);
        for (bench::GeneratedCall& call : calls) {
            if (random() % 3 == 0) call.start += shift(random);
            if (random() % 3 == 0) call.stop += shift(random);
        }
        TraceLoad load;
        PadReadResult read = ParsePadText(bench::PadText(calls), "gen.pad", ", ", test::DotLocale());
        ASSERT_FALSE(read.error) << read.error->Message();
        load.trace = std::move(read.trace);
        BuildAndTime(load, NumberFormat("0.000", test::DotLocale()));
        const CallProfile profile = ProfileOf(load);

        const ExportText folded = FoldedStacks(load.trace, profile);
        const ExportText speedscope = SpeedscopeJson(load.trace, profile, "gen.pad");
        const ExportText chrome = ChromeTraceJson(load.trace, profile, "gen.pad");
        EXPECT_EQ(folded.Clipped, speedscope.Clipped) << "seed " << seed;
        EXPECT_EQ(folded.Clipped, chrome.Clipped) << "seed " << seed;
        if (folded.Clipped > 0) ++tracesWithClipping;
        const StackTimes fromFolded = FromFolded(folded.Text);
        EXPECT_EQ(fromFolded, InWholeMicroseconds(FromSpeedscope(speedscope.Text))) << "seed " << seed;
        EXPECT_EQ(fromFolded, InWholeMicroseconds(FromChrome(chrome.Text))) << "seed " << seed;
    }
    EXPECT_EQ(tracesWithClipping, 12);
}

TEST(TraceExportTest, OverlappingCalleesAreNotCountedTwice) {
    // B 1..5 and C 4..8 inside A 0..10: C is clipped to begin at 5.
    const Exported e = Export({Rec("A", 1, 1, 0, 10), Rec("B", 2, 2, 1, 5), Rec("C", 3, 2, 4, 8)});
    const ExportText folded = FoldedStacks(e.load.trace, e.profile);
    EXPECT_EQ(folded.Text, "A 3000\nA;B 4000\nA;C 3000\n");
    EXPECT_EQ(folded.Clipped, 1);
    // A callee running past its caller's end puts no more under the caller
    // than the caller took.
    const Exported past = Export({Rec("A", 1, 1, 0, 10), Rec("B", 2, 2, 6, 14)});
    EXPECT_EQ(FoldedStacks(past.load.trace, past.profile).Text, "A 6000\nA;B 4000\n");
}

TEST(TraceExportTest, ChromeWithoutDataHasNoArgs) {
    const Exported e = Export(kOverlap);
    const Json with = Json::parse(ChromeTraceJson(e.load.trace, e.profile, "run.pad").Text);
    const Json without = Json::parse(ChromeTraceJson(e.load.trace, e.profile, "run.pad", false).Text);
    ASSERT_EQ(with.at("traceEvents").size(), without.at("traceEvents").size());
    int withArgs = 0;
    for (std::size_t i = 1; i < with.at("traceEvents").size(); ++i) {
        withArgs += with.at("traceEvents")[i].contains("args") ? 1 : 0;
        EXPECT_FALSE(without.at("traceEvents")[i].contains("args"));
        EXPECT_EQ(with.at("traceEvents")[i].at("dur"), without.at("traceEvents")[i].at("dur"));
    }
    EXPECT_EQ(withArgs, 1);
}

}  // namespace
}  // namespace kivra
