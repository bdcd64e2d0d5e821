#include <sstream>

#include <gtest/gtest.h>

#include <CLI/CLI.hpp>

#include "CommandLine.h"
#include "KivraVersion.h"
#include "VersionOption.h"

namespace kivra {
namespace {

TEST(VersionOptionTest, OnlyVersionAloneIsAnswered) {
    std::ostringstream out;
    const char* asked[] = {"analyzer", "--version"};
    EXPECT_TRUE(AnswerVersionOption(2, asked, "analyzer (Kivra)", out));
    EXPECT_EQ(out.str(), std::string("analyzer (Kivra) ") + kKivraVersion + "\n");

    // A trace path, nothing, or --version among other arguments start the window.
    out.str({});
    const char* trace[] = {"analyzer", "run.pad"};
    const char* none[] = {"analyzer"};
    const char* more[] = {"analyzer", "--version", "run.pad"};
    const char* longer[] = {"analyzer", "--versions"};
    EXPECT_FALSE(AnswerVersionOption(2, trace, "analyzer", out));
    EXPECT_FALSE(AnswerVersionOption(1, none, "analyzer", out));
    EXPECT_FALSE(AnswerVersionOption(3, more, "analyzer", out));
    EXPECT_FALSE(AnswerVersionOption(2, longer, "analyzer", out));
    EXPECT_EQ(out.str(), "");
}

// kivra --version answers and succeeds, though a command is required otherwise.
TEST(VersionOptionTest, TheCommandLinesVersionSucceeds) {
    CLI::App app{"test"};
    app.require_subcommand(1);
    app.add_subcommand("flat", "a command");
    app.set_version_flag("--version", VersionLine("kivra"));
    const char* argv[] = {"kivra", "--version"};
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(RunCommandLine(app, 2, argv), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), std::string("kivra ") + kKivraVersion + "\n");
    const char* nothing[] = {"kivra"};
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(RunCommandLine(app, 1, nothing), 2);
    ::testing::internal::GetCapturedStdout();
}

TEST(VersionOptionTest, TheVersionIsThreeNumbers) {
    std::istringstream version(kKivraVersion);
    int major = -1, minor = -1, patch = -1;
    char dot1 = 0, dot2 = 0;
    version >> major >> dot1 >> minor >> dot2 >> patch;
    EXPECT_TRUE(version.eof() && dot1 == '.' && dot2 == '.' && major >= 0 && minor >= 0 && patch >= 0) << kKivraVersion;
}

}  // namespace
}  // namespace kivra
