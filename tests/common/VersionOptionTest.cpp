#include <sstream>

#include <gtest/gtest.h>

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

TEST(VersionOptionTest, TheVersionIsThreeNumbers) {
    std::istringstream version(kKivraVersion);
    int major = -1, minor = -1, patch = -1;
    char dot1 = 0, dot2 = 0;
    version >> major >> dot1 >> minor >> dot2 >> patch;
    EXPECT_TRUE(version.eof() && dot1 == '.' && dot2 == '.' && major >= 0 && minor >= 0 && patch >= 0) << kKivraVersion;
}

}  // namespace
}  // namespace kivra
