// kivra export --svg: the flame graph as one SVG picture.
#include <gtest/gtest.h>

#include <string>

#include "../analyzer/PadTextBuilder.h"
#include "CommandFixture.h"
#include "ProfileCommands.h"

namespace kivra {
namespace {

using test::Rec;

class SvgExportCommandTest : public test::CommandFixture {
protected:
    SvgExportCommandTest() : CommandFixture(&AddProfileCommands, "Config.ini") {}

    // The tooltip of the first box of that name.
    static std::string TitleOf(const std::string& svg, const std::string& name) {
        const std::size_t at = svg.find("<g><title>" + name + "\n");
        if (at == std::string::npos) return {};
        return svg.substr(at + 10, svg.find("</title>", at) - at - 10);
    }
};

// Main calls Q twice; a pair costs 1 ms inside and 2 ms outside.
const std::vector<std::string> kRun = {Rec("Q", 2, 2, 1, 6), Rec("Q", 3, 2, 10, 15), Rec("Main", 1, 1, 0, 30)};

TEST_F(SvgExportCommandTest, WritesTheMergedOrTheInvertedGraph) {
    std::string trace = test::PadText(kRun);
    trace.replace(trace.find("line 7"), 6, "Overhead: 1 ms inside, 2 ms outside per call");
    Write("run.pad", trace);
    std::string out;
    std::string err;
    ASSERT_EQ(Run({"export", Path("run.pad"), "--svg", "-o", Path("flame.svg")}, out, err), 0) << err;
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
    const std::string merged = Read("flame.svg");
    EXPECT_TRUE(merged.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n<svg "));
    EXPECT_NE(merged.find(" width=\"1200\" "), std::string::npos);
    EXPECT_NE(merged.find(">Flame graph of run.pad</text>"), std::string::npos);
    EXPECT_NE(merged.find(">Merged by call path. Total: 30.000 ms</text>"), std::string::npos);
    EXPECT_EQ(TitleOf(merged, "Q"), "Q\nTotal: 10.000 ms\nOwn: 10.000 ms\nShare of the run: 33.3%\nCalls: 2");
    EXPECT_TRUE(merged.ends_with("</svg>\n"));

    // Standard output without -o; the inverted graph puts Main's own time
    // first, then Q's with Main below it.
    ASSERT_EQ(Run({"export", Path("run.pad"), "--svg", "--inverted", "--width", "800"}, out, err), 0) << err;
    EXPECT_NE(out.find(" width=\"800\" "), std::string::npos);
    EXPECT_NE(out.find(">Inverted: each procedure with its callers. Total: 30.000 ms</text>"), std::string::npos);
    EXPECT_LT(out.find("<g><title>Main\nTotal: 20.000 ms\nOwn: 20.000 ms"),
              out.find("<g><title>Q\nTotal: 10.000 ms\nOwn: 10.000 ms"));
    EXPECT_NE(out.find("<g><title>Main\nTotal: 10.000 ms\nOwn: 0.000 ms\nShare of the run: 33.3%\nCalls: 2"),
              std::string::npos);

    // With the overhead taken out: Main 30 - 1 - 2 x 3 = 23, Q 4 each.
    ASSERT_EQ(Run({"export", Path("run.pad"), "--svg", "--correct-overhead"}, out, err), 0) << err;
    EXPECT_NE(out.find(">Merged by call path. Total: 23.000 ms</text>"), std::string::npos);
    EXPECT_EQ(TitleOf(out, "Q"), "Q\nTotal: 8.000 ms\nOwn: 8.000 ms\nShare of the run: 34.8%\nCalls: 2");

    // Calls clipped to nest are said, as by the other formats.
    Write("overlap.pad", test::PadText({Rec("P", 1, 1, 0, 10), Rec("Q", 2, 2, 2, 12)}));
    ASSERT_EQ(Run({"export", Path("overlap.pad"), "--svg", "-o", Path("overlap.svg")}, out, err), 0) << err;
    EXPECT_NE(err.find("1 call did not fit"), std::string::npos) << err;
    EXPECT_EQ(TitleOf(Read("overlap.svg"), "Q"),
              "Q\nTotal: 8.000 ms\nOwn: 8.000 ms\nShare of the run: 80.0%\nCalls: 1");
    // Never over the trace.
    EXPECT_EQ(Run({"export", Path("run.pad"), "--svg", "-o", Path("run.pad")}, out, err), 1);
    EXPECT_EQ(Read("run.pad"), trace);
}

TEST_F(SvgExportCommandTest, WidthAndInvertedGoOnlyWithSvg) {
    Write("run.pad", test::PadText(kRun));
    std::string out;
    std::string err;
    EXPECT_EQ(Run({"export", Path("run.pad"), "--folded", "--width", "800"}, out, err), 2);
    EXPECT_NE(err.find("--width: needs --svg or --html"), std::string::npos) << err;
    EXPECT_EQ(Run({"export", Path("run.pad"), "--chrome", "--inverted"}, out, err), 2);
    EXPECT_NE(err.find("--inverted requires --svg"), std::string::npos) << err;
    EXPECT_EQ(Run({"export", Path("run.pad"), "--inverted"}, out, err), 2);
    EXPECT_EQ(Run({"export", Path("run.pad"), "--svg", "--folded"}, out, err), 2);
    EXPECT_EQ(Run({"export", Path("run.pad"), "--svg", "--width", "599"}, out, err), 2);
    EXPECT_EQ(Run({"export", Path("run.pad"), "--svg", "--width", "wide"}, out, err), 2);
    EXPECT_EQ(out, "");
}

}  // namespace
}  // namespace kivra
