// kivra diff with several runs on a side: OLD... --vs NEW..., or folders.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "../analyzer/PadTextBuilder.h"
#include "CommandFixture.h"
#include "ProfileCommands.h"

namespace kivra {
namespace {

using Json = nlohmann::json;

class RunsDiffCommandTest : public test::CommandFixture {
protected:
    RunsDiffCommandTest() : CommandFixture(&AddProfileCommands, "Config.ini") {}

    // A run: Main calls Slow, then Steady, then takes 5 ms of its own.
    void WriteRun(const std::string& name, double slow, double steady) {
        char records[256];
        std::snprintf(records, sizeof records,
                      "Slow|2|2|0|%.3f|||\r\nSteady|3|2|%.3f|%.3f|||\r\nMain|1|1|0|%.3f|||\r\n", slow, slow,
                      slow + steady, slow + steady + 5);
        Write(name, test::PadHeader() + records);
    }
    // Eight runs a side, as a noisy machine gives them: Slow 10 % slower
    // with 3 % noise, Steady unchanged with 10 % noise.
    void WriteRuns() {
        std::filesystem::create_directories(Path("old"));
        std::filesystem::create_directories(Path("new"));
        const double small[2][8] = {{0.97, 1.02, 0.99, 1.03, 1.00, 0.98, 1.01, 1.04},
                                    {1.01, 0.96, 1.03, 0.99, 1.02, 1.00, 0.97, 1.02}};
        const double large[2][8] = {{0.88, 1.09, 1.02, 0.93, 1.12, 0.97, 1.05, 0.90},
                                    {1.04, 0.91, 1.10, 0.95, 0.89, 1.07, 1.00, 1.13}};
        for (int run = 0; run < 8; ++run) {
            WriteRun("old/run" + std::to_string(run) + ".pad", 100.0 * small[0][run], 50.0 * large[0][run]);
            WriteRun("new/run" + std::to_string(run) + ".pad", 110.0 * small[1][run], 50.0 * large[1][run]);
        }
        Write("old/notes.txt", "not a trace");
    }
    static const Json& Named(const Json& diff, const std::string& name) {
        for (const Json& entry : diff.at("procedures"))
            if (entry.at("name") == name) return entry;
        static const Json none;
        return none;
    }
};

TEST_F(RunsDiffCommandTest, TellsAChangeFromTheNoise) {
    WriteRuns();
    std::string out;
    std::string err;
    ASSERT_EQ(Run({"diff", Path("old"), "--vs", Path("new"), "--json"}, out, err), 0) << err;
    const Json diff = Json::parse(out);
    EXPECT_EQ(diff.at("old_runs"), 8);  // the .txt file is not a run
    EXPECT_EQ(diff.at("new_runs"), 8);
    EXPECT_TRUE(diff.at("note").is_null());
    const Json& slow = Named(diff, "Slow");
    EXPECT_EQ(slow.at("verdict"), "slower");
    EXPECT_LT(slow.at("p_value").get<double>(), 0.05);
    EXPECT_NEAR(slow.at("own_change_percent").get<double>(), 10.0, 2.0);
    EXPECT_LT(slow.at("own_change_interval").at("low_ms").get<double>(), 10.0);
    EXPECT_GT(slow.at("own_change_interval").at("high_ms").get<double>(), 5.0);
    const Json& steady = Named(diff, "Steady");
    EXPECT_EQ(steady.at("verdict"), "~");
    EXPECT_GE(steady.at("p_value").get<double>(), 0.05);
    EXPECT_EQ(diff.at("procedures").at(0).at("name"), "Slow");  // significant changes first
    EXPECT_EQ(diff.at("top_level").at("verdict"), "slower");

    // Two folders without --vs are the two sides too; the table says the verdict and the spreads.
    ASSERT_EQ(Run({"diff", Path("old"), Path("new")}, out, err), 0) << err;
    EXPECT_NE(out.find("Verdict"), std::string::npos);
    EXPECT_NE(out.find(" \xC2\xB1 "), std::string::npos);
    EXPECT_NE(out.find("slower"), std::string::npos);
    EXPECT_NE(out.find("Top-level total: baseline "), std::string::npos);
    EXPECT_EQ(out.find("Note:"), std::string::npos);

    // CSV: a header and a line per procedure.
    ASSERT_EQ(Run({"diff", Path("old"), "--vs", Path("new"), "--csv", "--top", "2"}, out, err), 0) << err;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3);
    EXPECT_TRUE(out.starts_with("name,old_runs,new_runs,"));
    EXPECT_NE(out.find(",slower\n"), std::string::npos);
}

TEST_F(RunsDiffCommandTest, FewRunsGiveNoVerdictAndSaySo) {
    WriteRuns();
    std::string out;
    std::string err;
    ASSERT_EQ(Run({"diff", Path("old/run0.pad"), Path("old/run1.pad"), "--vs", Path("new/run0.pad"),
                   Path("new/run1.pad"), "--json"},
                  out, err),
              0)
        << err;
    const Json diff = Json::parse(out);
    for (const Json& entry : diff.at("procedures")) EXPECT_EQ(entry.at("verdict"), "~") << entry.at("name");
    EXPECT_NE(diff.at("note").get<std::string>().find("need at least 5 runs"), std::string::npos);
}

TEST_F(RunsDiffCommandTest, TwoSingleTracesKeepTheOneRunComparison) {
    WriteRuns();
    std::string single;
    std::string versus;
    std::string err;
    for (const char* format : {"--json", "--csv", "--top"}) {
        std::vector<std::string> a{"diff", Path("old/run0.pad"), Path("new/run0.pad"), format};
        std::vector<std::string> b{"diff", Path("old/run0.pad"), "--vs", Path("new/run0.pad"), format};
        if (std::string(format) == "--top") {
            a.push_back("5");
            b.push_back("5");
        }
        ASSERT_EQ(Run(a, single, err), 0) << err;
        ASSERT_EQ(Run(b, versus, err), 0) << err;
        EXPECT_EQ(single, versus) << format;
        EXPECT_EQ(single.find("verdict"), std::string::npos);
    }
}

TEST_F(RunsDiffCommandTest, SaysWhatIsWrongWithTheSides) {
    WriteRuns();
    std::filesystem::create_directories(Path("empty"));
    std::string out;
    std::string err;
    EXPECT_EQ(Run({"diff", Path("old"), "--vs", Path("empty")}, out, err), 1);
    EXPECT_NE(err.find("the folder holds no .pad trace"), std::string::npos) << err;
    EXPECT_EQ(Run({"diff", Path("old/run0.pad"), Path("old/run1.pad"), Path("new/run0.pad")}, out, err), 2);
    EXPECT_NE(err.find("--vs"), std::string::npos) << err;
    EXPECT_EQ(Run({"diff", Path("old"), "--vs", Path("new/missing.pad")}, out, err), 1);
    EXPECT_EQ(out, "");
}

}  // namespace
}  // namespace kivra
