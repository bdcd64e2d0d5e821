#include "TagPrefix.h"

#include <gtest/gtest.h>

namespace kivra {
namespace {

std::vector<std::string> Check(std::string_view prefix, bool expected) {
    RecordingReporter reporter;
    EXPECT_EQ(CheckPrefix(prefix, reporter), expected) << prefix;
    std::vector<std::string> texts;
    for (const auto& m : reporter.messages) {
        EXPECT_EQ(m.icon, MessageIcon::Question);
        EXPECT_EQ(m.title, "Kivra Code Auto Tag");
        texts.push_back(m.text);
    }
    return texts;
}

TEST(CheckPrefixTest, AcceptsExactlyOneDotAtTheEnd) {
    EXPECT_TRUE(Check("Kivra.", true).empty());
    EXPECT_TRUE(Check(".", true).empty());
    EXPECT_TRUE(Check("Zähler.", true).empty());  // positions count characters, not bytes
}

TEST(CheckPrefixTest, RefusesWithItsMessages) {
    const std::vector<std::string> missing{"Tag Prefix is missing"};
    const std::vector<std::string> noDot{"Tag Prefix does not end in '.' "};
    EXPECT_EQ(Check("", false), missing);
    EXPECT_EQ(Check("Kivra", false), noDot);
    EXPECT_EQ(Check("Kivra.Timer", false), noDot);
    EXPECT_EQ(Check("App.Kivra.", false), noDot);  // a second "." before the end
    EXPECT_EQ(Check("Zähler.x", false), noDot);
}

TEST(CheckPrefixTest, RefusesAPrefixThatUntagCouldNotFindAgain) {
    const std::vector<std::string> lead{"Tag Prefix begins with a blank, a tab or an apostrophe"};
    EXPECT_EQ(Check("'K.", false), lead);
    EXPECT_EQ(Check(" K.", false), lead);
    EXPECT_EQ(Check("\tK.", false), lead);
    EXPECT_EQ(Check(" K", false), (std::vector<std::string>{"Tag Prefix does not end in '.' ", lead[0]}));
    EXPECT_TRUE(Check("K .", true).empty());  // inside the prefix a blank does no harm
    // An inserted line that a line break would split.
    const std::vector<std::string> lineBreak{"Tag Prefix holds a line break"};
    EXPECT_EQ(Check("Ki\r\nvra.", false), lineBreak);
    EXPECT_EQ(Check("Ki\nvra.", false), lineBreak);
    EXPECT_EQ(Check("Ki\rvra.", false), lineBreak);
}

}  // namespace
}  // namespace kivra
