// kivra peek: a procedure's callers and callees on the command line.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "../analyzer/LoadedTrace.h"
#include "CallerCallee.h"
#include "CommandFixture.h"
#include "ProfileCommands.h"

namespace kivra {
namespace {

using Json = nlohmann::json;
using test::Rec;

// Main 0..100 calls Load 10..60 (which calls itself 20..40 and Parse 45..55)
// and Parse 70..75; Report 110..120 at the top level calls Load 112..118.
const std::vector<std::string> kRun = {
    Rec("Main", 1, 1, 0, 100),  Rec("Load", 2, 2, 10, 60),     Rec("Load", 3, 3, 20, 40),  Rec("Parse", 4, 3, 45, 55),
    Rec("Parse", 5, 2, 70, 75), Rec("Report", 6, 1, 110, 120), Rec("Load", 7, 2, 112, 118)};

class PeekCommandTest : public test::CommandFixture {
protected:
    PeekCommandTest() : CommandFixture(&AddProfileCommands, "Config.ini") { Write("run.pad", test::PadText(kRun)); }
};

TEST_F(PeekCommandTest, PrintsTheNumbersAndBothListsAsTables) {
    std::string out;
    std::string err;
    ASSERT_EQ(Run({"peek", Path("run.pad"), "Load", "--format", "0.0"}, out, err), 0) << err;
    EXPECT_EQ(out,
              "Load: 3 calls, own 46.0 ms, total 56.0 ms\n"
              "\n"
              "Caller  Calls  Total (ms)\n"
              "------  -----  ----------\n"
              "Main        1        50.0\n"
              "Load        1        20.0\n"
              "Report      1         6.0\n"
              "\n"
              "Callee  Calls  Total (ms)\n"
              "------  -----  ----------\n"
              "Load        1        20.0\n"
              "Parse       1        10.0\n");
    EXPECT_EQ(err, "");

    // Several procedures in the flat profile's order, each once; one without callees.
    ASSERT_EQ(Run({"peek", Path("run.pad"), "parse", "Main", "^PAR", "--regex"}, out, err), 0) << err;
    EXPECT_TRUE(out.starts_with("Main: 1 call, own 45.000 ms, total 100.000 ms\n")) << out;
    EXPECT_NE(out.find("\nParse: 2 calls, own 15.000 ms, total 15.000 ms\n\n"
                       "Caller  Calls  Total (ms)\n"
                       "------  -----  ----------\n"
                       "Load        1      10.000\n"
                       "Main        1       5.000\n"
                       "\n"
                       "No callees\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("Parse:"), out.rfind("Parse:"));
}

// The JSON carries the core's numbers, rounded as the other commands round them.
TEST_F(PeekCommandTest, JsonHasTheCoresNumbers) {
    const CallProfile profile = test::ProfileOf(test::LoadRecords(kRun));
    const CallerCalleeIndex index(profile);
    for (const bool collapse : {false, true}) {
        std::vector<std::string> args{"peek", Path("run.pad"), ".", "--regex", "--json"};
        if (collapse) args.push_back("--collapse-recursion");
        std::string out;
        std::string err;
        ASSERT_EQ(Run(args, out, err), 0) << err;
        const Json procedures = Json::parse(out).at("procedures");
        ASSERT_EQ(procedures.size(), profile.Names.size());
        for (const Json& procedure : procedures) {
            const std::vector<int> found = FindProcedures(profile, procedure.at("name"), false).value();
            ASSERT_EQ(found.size(), 1u);
            const CallerCallee expected = index.Query(found[0], collapse);
            EXPECT_EQ(procedure.at("calls"), expected.Calls);
            EXPECT_DOUBLE_EQ(procedure.at("own_ms").get<double>(), expected.Own);
            EXPECT_DOUBLE_EQ(procedure.at("total_ms").get<double>(), expected.Total);
            auto same = [&](const Json& edges, const std::vector<CallEdge>& core) {
                ASSERT_EQ(edges.size(), core.size());
                for (std::size_t e = 0; e < core.size(); ++e) {
                    EXPECT_EQ(edges[e].at("name"), EdgeNameText(profile, core[e].Name));
                    EXPECT_EQ(edges[e].at("calls"), core[e].Calls);
                    EXPECT_DOUBLE_EQ(edges[e].at("total_ms").get<double>(), core[e].Total);
                }
            };
            same(procedure.at("callers"), expected.Callers);
            same(procedure.at("callees"), expected.Callees);
        }
        // Largest own time first.
        EXPECT_EQ(procedures[0].at("name"), "Load");
    }
    std::string out;
    std::string err;
    ASSERT_EQ(Run({"peek", Path("run.pad"), "Report", "--json"}, out, err), 0) << err;
    EXPECT_EQ(Json::parse(out).at("procedures")[0].at("callers"),
              Json::parse(R"json([{"name": "(top level)", "calls": 1, "total_ms": 10}])json"));
}

TEST_F(PeekCommandTest, NamesThatMatchNothingAndBadExpressionsFail) {
    std::string out;
    std::string err;
    // One name of two missing: nothing printed, the missing one named.
    EXPECT_EQ(Run({"peek", Path("run.pad"), "Main", "Lod"}, out, err), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "kivra: " + Path("run.pad") + ": no procedure named \"Lod\".\n");
    EXPECT_EQ(Run({"peek", Path("run.pad"), "^x", "--regex"}, out, err), 1);
    EXPECT_EQ(err, "kivra: " + Path("run.pad") + ": no procedure name matches \"^x\".\n");

    // A bad expression is a usage error, found before the trace is read.
    EXPECT_EQ(Run({"peek", Path("missing.pad"), "Main(", "--regex"}, out, err), 2);
    EXPECT_NE(err.find("\"Main(\" is not a regular expression"), std::string::npos) << err;
    EXPECT_EQ(out, "");

    EXPECT_EQ(Run({"peek", Path("missing.pad"), "Main"}, out, err), 1);
    EXPECT_NE(err.find("missing.pad"), std::string::npos) << err;
    EXPECT_EQ(Run({"peek", Path("run.pad")}, out, err), 2);
}

TEST_F(PeekCommandTest, TheOverheadIsTakenOut) {
    // Main calls Q twice; a pair costs 1 ms inside and 2 ms outside: each Q
    // is 4 ms corrected.
    Write("q.pad", test::PadText({Rec("Q", 2, 2, 1, 6), Rec("Q", 3, 2, 10, 15), Rec("Main", 1, 1, 0, 30)}));
    std::string out;
    std::string err;
    ASSERT_EQ(Run({"peek", Path("q.pad"), "Main", "--overhead", "1,2", "--json"}, out, err), 0) << err;
    const Json main = Json::parse(out).at("procedures")[0];
    EXPECT_EQ(main.at("total_ms"), 23.0);
    EXPECT_EQ(main.at("callees"), Json::parse(R"([{"name": "Q", "calls": 2, "total_ms": 8}])"));
    EXPECT_EQ(Run({"peek", Path("q.pad"), "Main", "--correct-overhead"}, out, err), 1);
    EXPECT_NE(err.find("does not state the timing overhead"), std::string::npos) << err;
}

}  // namespace
}  // namespace kivra
