#include "ProfileCommands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>

#include "../analyzer/LoadedTrace.h"
#include "CommandFixture.h"
#include "DiffRows.h"
#include "FullDisk.h"
#include "ProcedureTable.h"
#include "ProfileTables.h"
#include "TableHeaders.h"

namespace kivra {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using test::Rec;

FlatProfile SortedFlat(const std::vector<std::string>& records) {
    FlatProfile flat = ComputeFlatProfile(test::ProfileOf(test::LoadRecords(records)));
    SortFlatProfile(flat, FlatOrder::Own);
    return flat;
}

const std::vector<std::string> kRun1 = {Rec("Main", 1, 1, 0, 100), Rec("Load, data", 2, 2, 0, 60),
                                        Rec("Old", 3, 2, 60, 70)};
const std::vector<std::string> kRun2 = {Rec("Main", 1, 1, 0, 80), Rec("Load, data", 2, 2, 0, 30),
                                        Rec("New", 3, 2, 30, 31.5)};

TEST(ProfileTablesTest, FlatTableIsAlignedWithAHeaderAndASummary) {
    const FlatProfile flat = SortedFlat(kRun1);
    const NumberFormat format("0.00", test::DotLocale());
    EXPECT_EQ(FlatTable(flat, format, 0),
              "Procedure   Calls  Own (ms)  Total (ms)  Mean own (ms)  Max own (ms)  Own (%)\n"
              "----------  -----  --------  ----------  -------------  ------------  -------\n"
              "Load, data      1     60.00       60.00          60.00         60.00     60.0\n"
              "Main            1     30.00      100.00          30.00         30.00     30.0\n"
              "Old             1     10.00       10.00          10.00         10.00     10.0\n"
              "3 procedures, 3 calls, top-level total 100.00 ms\n");
    const std::string top = FlatTable(flat, format, 1);
    EXPECT_NE(top.find("Load, data"), std::string::npos);
    EXPECT_EQ(top.find("Main  "), std::string::npos);
    EXPECT_NE(top.find("3 procedures (1 shown), 3 calls"), std::string::npos);
}

TEST(ProfileTablesTest, FlatCsvAndJsonGivePlainNumbers) {
    const FlatProfile flat = SortedFlat({Rec("A, b", 1, 1, 0, 0.74), Rec("C\"d", 2, 1, 1, 1.26)});
    EXPECT_EQ(FlatCsv(flat, 0),
              "name,calls,own_ms,total_ms,mean_own_ms,max_own_ms,own_percent\n"
              "\"A, b\",1,0.74,0.74,0.74,0.74,74\n"
              "\"C\"\"d\",1,0.26,0.26,0.26,0.26,26\n");
    const Json json = Json::parse(FlatJson(flat, 1));
    EXPECT_EQ(json.at("top_level_total_ms"), 1.0);
    EXPECT_EQ(json.at("calls"), 2);
    EXPECT_EQ(json.at("procedure_count"), 2);
    ASSERT_EQ(json.at("procedures").size(), 1u);
    EXPECT_EQ(json.at("procedures")[0],
              Json::parse(R"({"name":"A, b","calls":1,"own_ms":0.74,"total_ms":0.74,"mean_own_ms":0.74,
                             "max_own_ms":0.74,"own_percent":74})"));
}

TEST(ProfileTablesTest, DiffTableMarksAddedAndRemovedAndSumsUp) {
    const TraceDiff diff = DiffFlatProfiles(SortedFlat(kRun1), SortedFlat(kRun2));
    const NumberFormat format("0.0", test::DotLocale());
    EXPECT_EQ(DiffTable(diff, format, 0),
              "Procedure   Calls old  Calls new  Own old (ms)  Own new (ms)  Total old (ms)  Total new (ms)  "
              "Change (ms)  Change (%)\n"
              "----------  ---------  ---------  ------------  ------------  --------------  --------------  "
              "-----------  ----------\n"
              "Load, data          1          1          60.0          30.0            60.0            30.0        "
              "-30.0       -50.0\n"
              "Main                1          1          30.0          48.5           100.0            80.0        "
              "+18.5       +61.7\n"
              "Old                 1          -          10.0             -            10.0               -        "
              "-10.0     removed\n"
              "New                 -          1             -           1.5               -             1.5         "
              "+1.5       added\n"
              "Top-level total: baseline 100.0 ms, current 80.0 ms, change -20.0 ms (-20.0%)\n");

    EXPECT_EQ(DiffCsv(diff, 2),
              "name,status,old_calls,new_calls,old_own_ms,new_own_ms,old_total_ms,new_total_ms,"
              "own_change_ms,own_change_percent\n"
              "\"Load, data\",both,1,1,60,30,60,30,-30,-50\n"
              "Main,both,1,1,30,48.5,100,80,18.5,61.66667\n");
    const Json json = Json::parse(DiffJson(diff, 0));
    EXPECT_EQ(json.at("old_top_level_total_ms"), 100.0);
    EXPECT_EQ(json.at("new_top_level_total_ms"), 80.0);
    EXPECT_EQ(json.at("top_level_change_ms"), -20.0);
    EXPECT_EQ(json.at("procedures")[2], Json::parse(R"({"name":"Old","status":"removed",
        "old":{"calls":1,"own_ms":10,"total_ms":10},"new":null,"own_change_ms":-10,"own_change_percent":null})"));
    EXPECT_EQ(json.at("procedures")[3].at("status"), "added");
    EXPECT_TRUE(json.at("procedures")[3].at("old").is_null());
}

// The cells of an aligned text table: columns are two blanks or more apart
// (a name holds one blank at most here).
std::vector<std::vector<std::string>> TableCells(const std::string& table) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> cells;
        std::size_t at = 0;
        while (at < line.size()) {
            while (at < line.size() && line[at] == ' ') ++at;
            std::size_t end = line.find("  ", at);
            if (end == std::string::npos) end = line.size();
            cells.push_back(line.substr(at, end - at));
            at = end;
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

// kivra flat and diff print the cells that the Procedures and Compare tabs
// show, with or without a negative section in the format.
TEST(ProfileTablesTest, TheCommandLinePrintsTheWindowsCells) {
    for (const char* pattern : {"0.0", "0.0;(0.0)", "#,##0.000;-#,##0.000", "0"}) {
        SCOPED_TRACE(pattern);
        const NumberFormat format(pattern, test::DotLocale());
        const NumberFormat percent = PercentFormat(format);

        const FlatProfile flat = SortedFlat(kRun1);
        const auto flatCells = TableCells(FlatTable(flat, format, 0));
        ProcedureTable procedures(flat);
        procedures.Sort(ProcedureColumn::Own, true);
        ASSERT_EQ(flatCells.size(), procedures.RowCount() + 3);  // header, rule, summary
        for (int c = 0; c < static_cast<int>(ProcedureColumn::Count); ++c) {
            EXPECT_EQ(flatCells[0][c], HeaderOnOneLine(kProcedureHeaders[c]));
            for (std::size_t row = 0; row < procedures.RowCount(); ++row) {
                EXPECT_EQ(flatCells[row + 2][c],
                          procedures.CellText(row, static_cast<ProcedureColumn>(c), format, percent));
            }
        }

        const TraceDiff diff = DiffFlatProfiles(SortedFlat(kRun1), SortedFlat(kRun2));
        const std::string table = DiffTable(diff, format, 0);
        const auto diffCells = TableCells(table);
        const DiffRows rows(diff);
        ASSERT_EQ(diffCells.size(), rows.RowCount() + 3);
        for (int c = 0; c < static_cast<int>(DiffColumn::Count); ++c) {
            EXPECT_EQ(diffCells[0][c], HeaderOnOneLine(kDiffHeaders[c]));
            for (std::size_t row = 0; row < rows.RowCount(); ++row) {
                EXPECT_EQ(diffCells[row + 2][c], rows.CellText(row, static_cast<DiffColumn>(c), format, percent));
            }
        }
        EXPECT_TRUE(table.ends_with(rows.SummaryText(format, percent) + "\n"));
        // The sign comes from the value whatever the negative section prints.
        EXPECT_EQ(rows.CellText(0, DiffColumn::Change, format, percent).front(), '-');
    }
}

class ProfileCommandsTest : public test::CommandFixture {
protected:
    ProfileCommandsTest() : CommandFixture(&AddProfileCommands, "Config.ini") {}
};

TEST_F(ProfileCommandsTest, FlatAndDiffPrintTheirTables) {
    Write("one.pad", test::PadText(kRun1));
    Write("two.pad", test::PadText(kRun2));
    std::string out;
    std::string err;
    ASSERT_EQ(Run({"flat", Path("one.pad"), "--sort", "name", "--format", "0.0"}, out, err), 0) << err;
    EXPECT_EQ(out.substr(out.find("Load, data")),
              "Load, data      1      60.0        60.0           60.0          60.0"
              "     60.0\n"
              "Main            1      30.0       100.0           30.0          30.0"
              "     30.0\n"
              "Old             1      10.0        10.0           10.0          10.0"
              "     10.0\n"
              "3 procedures, 3 calls, top-level total 100.0 ms\n");
    EXPECT_EQ(err, "");

    ASSERT_EQ(Run({"diff", Path("one.pad"), Path("two.pad"), "--json"}, out, err), 0) << err;
    EXPECT_EQ(Json::parse(out).at("procedures").size(), 4u);
    ASSERT_EQ(Run({"flat", Path("one.pad"), "--csv", "--top", "1"}, out, err), 0) << err;
    EXPECT_EQ(out,
              "name,calls,own_ms,total_ms,mean_own_ms,max_own_ms,own_percent\n"
              "\"Load, data\",1,60,60,60,60,60\n");

    EXPECT_EQ(Run({"flat", Path("one.pad"), "--json", "--csv"}, out, err), 2);
    EXPECT_EQ(Run({"flat", Path("one.pad"), "--sort", "speed"}, out, err), 2);
    EXPECT_EQ(Run({"flat", Path("one.pad"), "--top", "0"}, out, err), 2);
}

TEST_F(ProfileCommandsTest, UnreadableTracesEndWithStatusOne) {
    std::string out;
    std::string err;
    EXPECT_EQ(Run({"flat", Path("missing.pad")}, out, err), 1);
    EXPECT_NE(err.find("missing.pad"), std::string::npos);
    Write("bad.pad", test::PadText({"A|x|1|0|1|||"}));
    Write("one.pad", test::PadText(kRun1));
    EXPECT_EQ(Run({"diff", Path("one.pad"), Path("bad.pad")}, out, err), 1);
    EXPECT_NE(err.find("line 8"), std::string::npos) << err;
    EXPECT_EQ(out, "");
}

TEST_F(ProfileCommandsTest, ExportWritesTheFileAndNeverTheTrace) {
    const std::string trace = test::PadText({Rec("P", 1, 1, 0, 10), Rec("Q", 2, 2, 2, 12)});
    Write("run.pad", trace);
    std::string out;
    std::string err;
    ASSERT_EQ(Run({"export", Path("run.pad"), "--chrome", "-o", Path("run.json")}, out, err), 0) << err;
    EXPECT_EQ(out, "");
    EXPECT_EQ(err,
              "kivra: 1 call did not fit within its caller's time or overlapped the call before it, and was "
              "clipped so that calls nest.\n");
    const Json chrome = Json::parse(Read("run.json"));
    EXPECT_EQ(chrome.at("traceEvents")[0].at("args").at("name"), "run.pad");
    EXPECT_EQ(chrome.at("traceEvents")[2].at("dur"), 8000);

    // Q is clipped to P's end, as in the other formats, and said so.
    ASSERT_EQ(Run({"export", Path("run.pad"), "--folded"}, out, err), 0) << err;
    EXPECT_EQ(out, "P 2000\nP;Q 8000\n");
    EXPECT_NE(err.find("1 call did not fit"), std::string::npos) << err;

#ifndef _WIN32
    // A full disk leaves an earlier export as it was.
    Write("old.json", "old");
    EXPECT_EQ(test::WithFullDisk([&] {
                  return Run({"export", Path("run.pad"), "--speedscope", "-o", Path("old.json")}, out, err);
              }),
              1);
    EXPECT_EQ(Read("old.json"), "old");
#endif

    // Writing over the trace being read is refused, and the trace stays.
    EXPECT_EQ(Run({"export", Path("run.pad"), "--speedscope", "-o", Path("run.pad")}, out, err), 1);
    EXPECT_NE(err.find("Will not write over the trace"), std::string::npos) << err;
    EXPECT_EQ(Read("run.pad"), trace);

    EXPECT_EQ(Run({"export", Path("run.pad")}, out, err), 2);
    EXPECT_EQ(Run({"export", Path("run.pad"), "--chrome", "--folded"}, out, err), 2);
    EXPECT_EQ(Run({"export", Path("run.pad"), "--speedscope", "-o", Path("no/such/folder/x.json")}, out, err), 1);
    EXPECT_NE(err.find("Cannot write"), std::string::npos) << err;
}

// The timing object's cost taken out: as the trace states it, or as given.
TEST_F(ProfileCommandsTest, TheOverheadIsTakenOutWhereTheTraceStatesItOrItIsGiven) {
    // Main calls Q twice; a pair costs 1 ms inside and 2 ms outside.
    const std::string trace = test::PadText({Rec("Q", 2, 2, 1, 6), Rec("Q", 3, 2, 10, 15), Rec("Main", 1, 1, 0, 30)});
    std::string stated = trace;
    stated.replace(stated.find("line 7"), 6, "Overhead: 1 ms inside, 2 ms outside per call");
    Write("plain.pad", trace);
    Write("stated.pad", stated);
    std::string out;
    std::string err;
    // Main: 30 - 1 - 2 x 3 = 23, own 23 - 2 x 4 = 15; Q: 4 each.
    ASSERT_EQ(Run({"flat", Path("stated.pad"), "--correct-overhead", "--csv"}, out, err), 0) << err;
    EXPECT_NE(out.find("Main,1,15,23,"), std::string::npos) << out;
    EXPECT_NE(out.find("Q,2,8,8,"), std::string::npos) << out;
    ASSERT_EQ(Run({"flat", Path("plain.pad"), "--overhead", "1,2", "--csv"}, out, err), 0) << err;
    EXPECT_NE(out.find("Main,1,15,23,"), std::string::npos) << out;
    // Without the switch, the numbers as recorded.
    ASSERT_EQ(Run({"flat", Path("stated.pad"), "--csv"}, out, err), 0) << err;
    EXPECT_NE(out.find("Main,1,20,30,"), std::string::npos) << out;
    // Both sides of a diff.
    ASSERT_EQ(Run({"diff", Path("stated.pad"), Path("plain.pad"), "--correct-overhead"}, out, err), 1);
    EXPECT_NE(err.find("does not state the timing overhead"), std::string::npos) << err;
    ASSERT_EQ(Run({"diff", Path("stated.pad"), Path("plain.pad"), "--overhead", "1,2", "--json"}, out, err), 0);
    EXPECT_EQ(Json::parse(out).at("top_level_change_ms"), 0.0);
    // The folded stacks on the corrected timeline.
    ASSERT_EQ(Run({"export", Path("stated.pad"), "--folded", "--correct-overhead"}, out, err), 0) << err;
    EXPECT_EQ(out, "Main 15000\nMain;Q 8000\n");
    // A trace that states none, and numbers that are not two.
    EXPECT_EQ(Run({"flat", Path("plain.pad"), "--correct-overhead"}, out, err), 1);
    EXPECT_EQ(err,
              "kivra: " + Path("plain.pad") +
                  ": the trace does not state the timing overhead (header line 7); give it with --overhead A,B.\n");
    EXPECT_EQ(Run({"flat", Path("plain.pad"), "--overhead", "1"}, out, err), 2);
    EXPECT_EQ(Run({"export", Path("plain.pad"), "--folded", "--overhead", "-1,2"}, out, err), 2);
    // Calls shorter than the overhead allows are held at zero and counted.
    ASSERT_EQ(Run({"flat", Path("plain.pad"), "--overhead", "6,5"}, out, err), 0);
    EXPECT_NE(err.find("2 calls were shorter than the timing overhead allows"), std::string::npos) << err;
}

}  // namespace
}  // namespace kivra
