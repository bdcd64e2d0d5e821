#include "HtmlReport.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "TextEncoding.h"

namespace kivra {
namespace {

std::string Html(std::string_view text) {
    std::string out;
    AppendHtmlText(out, text);
    return out;
}
std::string Script(std::string_view text) {
    std::string out;
    AppendScriptString(out, text);
    return out;
}

TEST(HtmlReportText, EscapesMarkupAndKeepsTheTextValid) {
    EXPECT_EQ(Html("A<b>&\"c'd"), "A&lt;b&gt;&amp;&quot;c'd");
    EXPECT_EQ(Html("tab\there\nline"), "tab\there\nline");
    // A control character and bytes that are not UTF-8 become U+FFFD.
    EXPECT_EQ(Html(std::string("a\x01"
                               "b\xff"
                               "c",
                               5)),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD"
              "c");
    EXPECT_EQ(Html("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");

    // A script string: JSON that nothing in it can end the element with.
    const std::string tricky = "]]></script><!--\"\\\x01\xE2\x80\xA8";
    const std::string json = Script(tricky);
    EXPECT_EQ(json.find('<'), std::string::npos);
    EXPECT_EQ(json.find('>'), std::string::npos);
    EXPECT_EQ(nlohmann::json::parse(json).get<std::string>(), "]]></script><!--\"\\\x01\xE2\x80\xA8");
    EXPECT_TRUE(IsValidUtf8(Script("\xff\xfe")));
}

HtmlTreeRow At(int level) {
    HtmlTreeRow row;
    row.Level = level;
    return row;
}

TEST(HtmlReportText, OpensTheTreeAsDeepAsKeepsItSmall) {
    std::vector<HtmlTreeRow> rows;
    EXPECT_EQ(HtmlOpenLevel(rows), 0);
    for (int level = 0; level < 4; ++level) rows.push_back(At(level));
    EXPECT_EQ(HtmlOpenLevel(rows), 3);  // small: every row shows

    // One top-level call, 100 under it, then more than the limit under those.
    rows.assign(1, At(0));
    for (int i = 0; i < 100; ++i) {
        rows.push_back(At(1));
        for (std::size_t j = 0; j < kHtmlRowsOpenAtStart / 100 + 1; ++j) rows.push_back(At(2));
    }
    EXPECT_EQ(HtmlOpenLevel(rows), 1);
    // Too many top-level calls: still the top level.
    rows.assign(kHtmlRowsOpenAtStart + 1, At(0));
    EXPECT_EQ(HtmlOpenLevel(rows), 0);
}

class HtmlReportPageTest : public ::testing::Test {
protected:
    HtmlReportPageTest() {
        input_.FileName = "run<1>.pad";
        input_.Facts = {{"Run Date", "12/7/2026"}, {"Calls", "4"}};
        input_.TreeHeaders = {"Code Trace", "Total (ms)", "Time (ms)", "Data In", "Data Log", "Data Out"};
        // Main { A { B }, A }: the second A is the hotter.
        input_.Rows = {{0, "Main", "30.000", "10.000", "", "", "", 30.0, 10.0},
                       {1, "A", "5.000", "2.000", "x<y", "", "", 5.0, 2.0},
                       {2, "B", "3.000", "3.000", "", "log", "", 3.0, 3.0},
                       {1, "A", "15.000", "15", "", "", "", 15.0, 15.0}};
        FlatEntry b{"B", 1, 3.0, 3.0, 3.0, 3.0, 10.0};
        FlatEntry a{"A", 2, 17.0, 20.0, 8.5, 15.0, 56.7};
        input_.Procedures.Entries = {a, b};
        input_.FlameGraphSvg = "<?xml version=\"1.0\"?>\n<svg class=\"kivra-flame\"></svg>\n";
    }

    // The tree's data as the page's script reads it.
    static nlohmann::json TreeData(const std::string& page) {
        const std::string open = "<script type=\"application/json\" id=\"k-data\">";
        const std::size_t from = page.find(open) + open.size();
        return nlohmann::json::parse(page.substr(from, page.find("</script>", from) - from));
    }

    HtmlReportInput input_;
};

TEST_F(HtmlReportPageTest, HoldsEveryViewAndFetchesNothing) {
    const std::string page = HtmlReport(input_);
    EXPECT_TRUE(page.starts_with("<!DOCTYPE html>\n<html lang=\"en\">"));
    EXPECT_TRUE(page.ends_with("</html>\n"));
    EXPECT_TRUE(IsValidUtf8(page));
    EXPECT_NE(page.find("<title>run&lt;1&gt;.pad"), std::string::npos);
    for (const char* view : {"call-tree", "procedures", "flame-graph"})
        EXPECT_NE(page.find(std::string("data-view=\"") + view + "\""), std::string::npos) << view;
    EXPECT_EQ(page.find("data-view=\"compare\""), std::string::npos);  // no baseline
    // The picture inline, without its XML declaration.
    EXPECT_NE(page.find("<div class=\"k-flame\" data-view=\"flame-graph\">\n<svg class=\"kivra-flame\">"),
              std::string::npos);
    EXPECT_EQ(page.find("<?xml"), std::string::npos);
    // Nothing outside the page: no source, no address.
    for (const char* fetch : {"src=", "http:", "https:", "@import", "url("})
        EXPECT_EQ(page.find(fetch), std::string::npos) << fetch;
    // The procedures in the order given, each with its name and numbers to sort by.
    const std::size_t a = page.find(
        "<tr data-name=\"A\"><th scope=\"row\">A</th><td data-v=\"2\">2</td>"
        "<td data-v=\"17\">17.000</td>");
    const std::size_t b = page.find("<tr data-name=\"B\">");
    EXPECT_NE(a, std::string::npos);
    EXPECT_LT(a, b);
    EXPECT_NE(page.find("aria-sort=\"descending\" class=\"k-num\"><button type=\"button\" data-col=\"2\">Own (ms)"),
              std::string::npos);
    EXPECT_EQ(page, HtmlReport(input_));  // the same bytes each time
}

TEST_F(HtmlReportPageTest, CarriesTheTreeForTheScript) {
    const nlohmann::json data = TreeData(HtmlReport(input_));
    EXPECT_EQ(data["labels"], nlohmann::json({"Main", "A", "B"}));  // each once, in the order met
    EXPECT_EQ(data["hot"], 0);
    const nlohmann::json& rows = data["rows"];
    ASSERT_EQ(rows.size(), 4u);
    // [level, label, total, own, bar in thousandths of the largest own time, hot child's distance, data...]
    EXPECT_EQ(rows[0], nlohmann::json::parse(R"([0,0,"30.000","10.000",667,3])"));
    EXPECT_EQ(rows[1], nlohmann::json::parse(R"([1,1,"5.000","2.000",133,1,"x<y"])"));
    EXPECT_EQ(rows[2], nlohmann::json::parse(R"([2,2,"3.000","3.000",200,0,"","log"])"));
    EXPECT_EQ(rows[3], nlohmann::json::parse(R"([1,1,"15.000","15",1000,0])"));
}

TEST_F(HtmlReportPageTest, BarsOfARunWithoutOwnTimeStandAgainstTheDefaultScale) {
    for (HtmlTreeRow& row : input_.Rows) row.OwnValue = 0.0;
    input_.Rows[0].OwnValue = -4.0;
    const nlohmann::json rows = TreeData(HtmlReport(input_))["rows"];
    for (const nlohmann::json& row : rows) EXPECT_EQ(row[4], 0);
}

TEST_F(HtmlReportPageTest, TintsTheComparisonAsTheWindowDoes) {
    TraceDiff diff;
    DiffEntry slower{"A", DiffStatus::Both, 2, 2, 10.0, 17.0, 12.0, 20.0, 7.0, 70.0};
    DiffEntry added{"B", DiffStatus::Added, 0, 1, 0.0, 3.0, 0.0, 3.0, 3.0, std::nullopt};
    DiffEntry faster{"C", DiffStatus::Removed, 1, 0, 4.0, 0.0, 4.0, 0.0, -4.0, -100.0};
    DiffEntry same{"D", DiffStatus::Both, 1, 1, 1.0, 1.0, 1.0, 1.0, 0.0, 0.0};
    diff.Entries = {slower, added, faster, same};
    diff.OldTopLevelTotal = 25.0;
    diff.NewTopLevelTotal = 30.0;
    diff.TopLevelChange = 5.0;
    diff.TopLevelChangePercent = 20.0;
    input_.Comparison = &diff;
    input_.BaselineName = "before.pad";
    const std::string page = HtmlReport(input_);
    EXPECT_NE(page.find("<h2 id=\"compare-h\">Compare with before.pad</h2>"), std::string::npos);
    EXPECT_NE(page.find("<a href=\"#compare\">Compare</a>"), std::string::npos);
    EXPECT_NE(page.find("<tr data-name=\"A\" class=\"k-slower\">"), std::string::npos);
    EXPECT_NE(page.find("<tr data-name=\"B\" class=\"k-slower\">"), std::string::npos);
    EXPECT_NE(page.find("<tr data-name=\"C\" class=\"k-faster\">"), std::string::npos);
    EXPECT_NE(page.find("<tr data-name=\"D\"><th"), std::string::npos);
    // The cells' texts are kivra diff's; "added" sorts as the largest change.
    EXPECT_NE(page.find("<td data-v=\"7\">+7.000</td><td data-v=\"70\">+70.0</td>"), std::string::npos);
    EXPECT_NE(page.find("<td data-v=\"1e+300\">added</td>"), std::string::npos);
}

}  // namespace
}  // namespace kivra
