#include "TraceReport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kivra {
namespace {

TableSnapshot Table(std::vector<int> widths) {
    TableSnapshot table;
    const char* headers[] = {"Code Trace", "Total (ms)", "Time (ms)", "Data In", "Data Log", "Data Out"};
    for (std::size_t c = 0; c < 6; ++c) table.columns.push_back({headers[c], widths[c]});
    table.columns.push_back({"Order", 50});
    table.columns.push_back({"Depth", 50});
    return table;
}

ReportRow Row(int level, bool hasChildren, bool expanded, bool shown, std::string label) {
    return {level, hasChildren, expanded, shown, {std::move(label), "10.000", "3.000", "in", "log", "out", "1", "1"}};
}

std::vector<std::string> Lines(const std::string& report) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t end; (end = report.find("\r\n", from)) != std::string::npos; from = end + 2) {
        lines.push_back(report.substr(from, end - from));
    }
    EXPECT_EQ(from, report.size()) << "every line ends in CR LF";
    return lines;
}

TEST(TraceReportTest, ColumnWidthsRoundHalfToEven) {
    EXPECT_EQ(ReportColumnChars(4, false), 0u);
    EXPECT_EQ(ReportColumnChars(5, false), 0u);
    EXPECT_EQ(ReportColumnChars(15, false), 2u);
    EXPECT_EQ(ReportColumnChars(125, false), 12u);
    EXPECT_EQ(ReportColumnChars(135, false), 14u);
    EXPECT_EQ(ReportColumnChars(0, false), 0u);
    EXPECT_EQ(ReportColumnChars(-20, false), 0u);
    EXPECT_EQ(ReportColumnChars(300, true), 55u);
    EXPECT_EQ(ReportColumnChars(5, true), 26u);   // 25.5
    EXPECT_EQ(ReportColumnChars(-5, true), 24u);  // 24.5
}

TEST(TraceReportTest, PadFillsOrCutsToExactlyNCharacters) {
    EXPECT_EQ(Pad("abc", 5), "abc  ");
    EXPECT_EQ(Pad("abcdef", 3), "abc");
    EXPECT_EQ(Pad("", 0), "");
    EXPECT_EQ(Pad("a", 150).size(), 150u);  // no 100-blank cap
    EXPECT_EQ(Pad("Caf\xc3\xa9", 5), "Caf\xc3\xa9 ");
    EXPECT_EQ(Pad("\xc3\xa9\xc3\xa9\xc3\xa9", 2), "\xc3\xa9\xc3\xa9");
}

TEST(TraceReportTest, WorkedShape) {
    TableSnapshot table = Table({300, 100, 100, 150, 200, 150});
    table.rows = {Row(0, true, true, true, "A"), Row(1, false, true, true, "B"), Row(1, false, true, true, "C")};
    const std::vector<std::string> lines = Lines(ReportText(table));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], Pad("Code Trace", 55) + Pad("Total (ms)", 10) + Pad("Time (ms)", 10) + Pad("Data In", 15) +
                            Pad("Data Log", 20) + Pad("Data Out", 15));
    EXPECT_EQ(lines[1], std::string(127, '-'));
    for (std::size_t i = 2; i < lines.size(); ++i) EXPECT_EQ(lines[i].size(), 125u);
    EXPECT_EQ(lines[2],
              Pad("- A", 55) + Pad("10.000", 10) + Pad("3.000", 10) + Pad("in", 15) + Pad("log", 20) + Pad("out", 15));
    EXPECT_TRUE(lines[3].starts_with("       B "));
}

TEST(TraceReportTest, EmptyTableGivesTheHeaderAndTheRule) {
    const std::string report = ReportText(Table({300, 100, 100, 150, 150, 150}));
    const std::size_t header = 55 + 10 + 10 + 15 + 15 + 15;
    EXPECT_EQ(report.size(), header + 2 + header + 2 + 2);
    EXPECT_EQ(Lines(report).size(), 2u);
}

TEST(TraceReportTest, CollapsedBranchesShowOnlyTheirTopRow) {
    TableSnapshot table = Table({300, 100, 100, 150, 150, 150});
    table.rows = {Row(0, true, false, true, "A"), Row(1, false, true, false, "B")};
    std::vector<std::string> lines = Lines(ReportText(table));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[2].starts_with("+ A "));

    table.rows = {Row(0, true, true, true, "A"), Row(1, false, true, true, "B")};
    lines = Lines(ReportText(table));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(lines[2].starts_with("- A "));
    EXPECT_TRUE(lines[3].starts_with("       B "));  // no children: two blanks
}

TEST(TraceReportTest, ChosenRowsGiveTheirReportLinesWithoutTheHeader) {
    TableSnapshot table = Table({300, 100, 100, 150, 150, 150});
    table.rows = {Row(0, true, false, true, "A"), Row(1, false, true, false, "B"), Row(0, false, true, true, "C")};
    table.rows[1].cells[0] = "Bé";  // counted in characters, not bytes
    const std::vector<std::string> lines = Lines(ReportLines(table, {0, 1, 2, 7}));
    ASSERT_EQ(lines.size(), 3u);  // row 7 is not there
    EXPECT_TRUE(lines[0].starts_with("+ A "));
    EXPECT_TRUE(lines[1].starts_with("       Bé "));  // inside the collapsed branch, yet copied
    EXPECT_EQ(lines[2], Lines(ReportText(table))[3]);
    EXPECT_EQ(ReportLines(table, {}), "");
}

TEST(TraceReportTest, DeepRowsAreCutAndHiddenColumnsVanish) {
    TableSnapshot table = Table({0, 0, 100, 150, 150, 150});  // column 1 is 25 characters
    table.rows = {Row(3, false, true, true, "Module.AVeryLongProcedureName")};
    const std::vector<std::string> lines = Lines(ReportText(table));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2].substr(0, 25), std::string(15, ' ') + "  Module.A");
    EXPECT_EQ(lines[2].substr(25, 10), Pad("3.000", 10));  // "Total (ms)" contributes nothing
    EXPECT_EQ(lines[0].find("Total"), std::string::npos);
}

}  // namespace
}  // namespace kivra
