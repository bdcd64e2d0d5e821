// kivra export --html: the whole analysis as one page.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "../analyzer/PadTextBuilder.h"
#include "CommandFixture.h"
#include "ProfileCommands.h"

namespace kivra {
namespace {

using test::Rec;

class HtmlExportCommandTest : public test::CommandFixture {
protected:
    HtmlExportCommandTest() : CommandFixture(&AddProfileCommands, "Config.ini") {}

    // The call tree's rows as the page's script gets them.
    static nlohmann::json TreeRows(const std::string& page) {
        const std::string open = "id=\"k-data\">";
        const std::size_t from = page.find(open) + open.size();
        return nlohmann::json::parse(page.substr(from, page.find("</script>", from) - from))["rows"];
    }
    static bool Has(const std::string& page, const std::string& text) { return page.find(text) != std::string::npos; }
};

// Main calls Q twice; a pair costs 1 ms inside and 2 ms outside.
const std::vector<std::string> kRun = {Rec("Q", 2, 2, 1, 6), Rec("Q", 3, 2, 10, 15), Rec("Main", 1, 1, 0, 30)};

TEST_F(HtmlExportCommandTest, WritesTheTreeTheProceduresAndTheGraph) {
    std::string trace = test::PadText(kRun);
    trace.replace(trace.find("line 7"), 6, "Overhead: 1 ms inside, 2 ms outside per call");
    Write("run.pad", trace);
    std::string out;
    std::string err;
    ASSERT_EQ(Run({"export", Path("run.pad"), "--html", "-o", Path("run.html")}, out, err), 0) << err;
    EXPECT_EQ(out, "");
    const std::string page = Read("run.html");
    EXPECT_TRUE(Has(page, "<h1>run.pad</h1>"));
    EXPECT_TRUE(Has(page, "<div><dt>Run Date</dt><dd>2024-03-01</dd></div>"));
    EXPECT_TRUE(Has(page, "<div><dt>Resolution</dt><dd>1 ms</dd></div>"));
    EXPECT_TRUE(Has(page, "<div><dt>Calls</dt><dd>3</dd></div>"));
    EXPECT_TRUE(Has(page, "<div><dt>Procedures</dt><dd>2</dd></div>"));
    EXPECT_TRUE(Has(page, "<div><dt>Top-level total</dt><dd>30.000 ms</dd></div>"));
    EXPECT_TRUE(Has(page, "<div><dt>Overhead</dt><dd>1 ms inside, 2 ms outside per call</dd></div>"));
    EXPECT_TRUE(Has(page, "<th scope=\"col\">Total (ms)</th>"));
    EXPECT_EQ(TreeRows(page), nlohmann::json::parse(R"([[0,0,"30.000","20.000",1000,1],[1,1,"5.000","5.000",250,0],
                                                        [1,1,"5.000","5.000",250,0]])"));
    EXPECT_TRUE(Has(page, "<tr data-name=\"Main\">"));
    EXPECT_LT(page.find("<tr data-name=\"Main\">"), page.find("<tr data-name=\"Q\">"));  // the largest own time first
    EXPECT_TRUE(Has(page, "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" class=\"kivra-flame\""));
    EXPECT_TRUE(Has(page, "Flame graph of run.pad"));

    // Standard output without -o; the settings' format, or --format.
    ASSERT_EQ(Run({"export", Path("run.pad"), "--html", "--format", "0.0"}, out, err), 0) << err;
    EXPECT_TRUE(out.starts_with("<!DOCTYPE html>"));
    EXPECT_EQ(TreeRows(out)[1][2], "5.0");

    // The overhead taken out: the corrected numbers and headers, and a line that says so.
    ASSERT_EQ(Run({"export", Path("run.pad"), "--html", "--correct-overhead"}, out, err), 0) << err;
    EXPECT_TRUE(Has(out, "<th scope=\"col\">Total (ms, corrected)</th>"));
    EXPECT_TRUE(Has(out, "<dt>Top-level total (corrected)</dt><dd>23.000 ms</dd>"));
    EXPECT_EQ(TreeRows(out)[1][2], "4.000");
    EXPECT_EQ(Read("run.pad"), trace);
}

TEST_F(HtmlExportCommandTest, OverARangeShowsOnlyTheCallsInIt) {
    Write("run.pad", test::PadText(kRun));
    std::string out;
    std::string err;
    ASSERT_EQ(Run({"export", Path("run.pad"), "--html", "--range", "8:20"}, out, err), 0) << err;
    EXPECT_TRUE(Has(out, "<p class=\"k-note\">Range: 8.000 \xE2\x80\x93 20.000 ms (12.000 ms, 2 calls).</p>"));
    EXPECT_TRUE(Has(out, "<div><dt>Calls</dt><dd>2</dd></div>"));
    EXPECT_EQ(TreeRows(out), nlohmann::json::parse(R"([[0,0,"12.000","7.000",1000,1],[1,1,"5.000","5.000",714,0]])"));
    EXPECT_EQ(Run({"export", Path("run.pad"), "--html", "--range", "100:200"}, out, err), 1);
    EXPECT_NE(err.find("no call lies in the range"), std::string::npos) << err;
}

TEST_F(HtmlExportCommandTest, ComparesWithABaseline) {
    Write("old.pad", test::PadText({Rec("Q", 2, 2, 1, 11), Rec("Gone", 3, 2, 12, 13), Rec("Main", 1, 1, 0, 30)}));
    Write("new.pad", test::PadText(kRun));
    std::string out;
    std::string err;
    ASSERT_EQ(Run({"export", Path("new.pad"), "--html", "--baseline", Path("old.pad")}, out, err), 0) << err;
    EXPECT_TRUE(Has(out, "Compare with old.pad</h2>"));
    EXPECT_TRUE(Has(out, "Top-level total: baseline 30.000 ms, current 30.000 ms, change 0.000 ms (0.0%)"));
    EXPECT_TRUE(Has(out, "<tr data-name=\"Gone\" class=\"k-faster\">"));
    EXPECT_TRUE(Has(out, "<tr data-name=\"Main\" class=\"k-slower\">"));

    // A baseline that cannot be read ends the command before anything is written.
    EXPECT_EQ(
        Run({"export", Path("new.pad"), "--html", "--baseline", Path("none.pad"), "-o", Path("page.html")}, out, err),
        1);
    EXPECT_EQ(Read("page.html"), "");
    // Neither trace may be the output.
    EXPECT_EQ(
        Run({"export", Path("new.pad"), "--html", "--baseline", Path("old.pad"), "-o", Path("old.pad")}, out, err), 1);
    EXPECT_TRUE(Read("old.pad").starts_with("Kivra trace"));
}

TEST_F(HtmlExportCommandTest, NoDataLeavesTheDataFieldsOut) {
    Write("run.pad", test::PadHeader() + "Q|2|2|1|6|C:\\secret\\path|query-42|out\r\nMain|1|1|0|30|||\r\n");
    std::string out;
    std::string err;
    ASSERT_EQ(Run({"export", Path("run.pad"), "--html"}, out, err), 0) << err;
    EXPECT_EQ(TreeRows(out)[1].size(), 9u);
    EXPECT_TRUE(Has(out, "query-42"));
    ASSERT_EQ(Run({"export", Path("run.pad"), "--html", "--no-data"}, out, err), 0) << err;
    EXPECT_EQ(TreeRows(out)[1].size(), 6u);
    EXPECT_FALSE(Has(out, "secret"));
    EXPECT_FALSE(Has(out, "query-42"));
}

TEST_F(HtmlExportCommandTest, OptionsGoWithTheirFormats) {
    Write("run.pad", test::PadText(kRun));
    std::string out;
    std::string err;
    EXPECT_EQ(Run({"export", Path("run.pad"), "--svg", "--baseline", Path("run.pad")}, out, err), 2);
    EXPECT_NE(err.find("--baseline requires --html"), std::string::npos) << err;
    EXPECT_EQ(Run({"export", Path("run.pad"), "--chrome", "--format", "0.0"}, out, err), 2);
    EXPECT_NE(err.find("needs --svg or --html"), std::string::npos) << err;
    EXPECT_EQ(Run({"export", Path("run.pad"), "--html", "--svg"}, out, err), 2);
    EXPECT_EQ(Run({"export", Path("run.pad"), "--html", "--inverted"}, out, err), 2);
    ASSERT_EQ(Run({"export", Path("run.pad"), "--html", "--width", "800"}, out, err), 0) << err;
    EXPECT_TRUE(Has(out, "class=\"kivra-flame\" width=\"800\""));
}

}  // namespace
}  // namespace kivra
