#include "TraceExport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

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
    EXPECT_EQ(ToNanoseconds(1e300), 9000000000000000000);
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
    // Two calls of Main;Work add up; X's own time is negative (its child
    // runs longer) and Z's rounds to zero: both are left out. A ";" in a
    // name would split the path, so it becomes ":".
    const Exported e = Export({Rec("Main", 1, 1, 0, 100), Rec("Work", 2, 2, 0, 10), Rec("Work", 3, 2, 10, 30.0004),
                               Rec("X;1", 4, 2, 40, 50), Rec("Y", 5, 3, 40, 55), Rec("Z", 6, 2, 60, 60.0004)});
    EXPECT_EQ(FoldedStacks(e.profile), "Main 59999\n"
                                       "Main;Work 30000\n"
                                       "Main;X:1;Y 15000\n");
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

    std::istringstream folded(FoldedStacks(profile));
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

}  // namespace
}  // namespace kivra
