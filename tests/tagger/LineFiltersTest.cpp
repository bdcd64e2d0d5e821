#include "LineFilters.h"

#include <gtest/gtest.h>

#include "BasicModules.h"
#include "TagRun.h"

namespace kivra {
namespace {

using test::JoinCrLf;

const std::string kTaggedArea = test::TaggedAreaFunction();

const std::string kArea = test::AreaFunction();

std::string Out(std::string_view text, std::string_view prefix = "Kivra.") {
    return CommentText(text, prefix, CommentDirection::Out).text;
}
std::string BackIn(std::string_view text, std::string_view prefix = "Kivra.") {
    return CommentText(text, prefix, CommentDirection::BackIn).text;
}

TEST(LineFiltersTest, ExampleUntagCommentOutAndBackIn) {
    EXPECT_EQ(UntagText(kTaggedArea, "Kivra.").text, kArea + "\r\n");
    const std::string commented = Out(kTaggedArea);
    EXPECT_EQ(commented, JoinCrLf({
                             "Private Function Area(ByVal W As Long, Optional H As Long = 1) As Long",
                             "'Kivra.Start \"Area\", W, H",
                             "    If W = 0 Then",
                             "'Kivra.St0p",
                             "        Exit Function",
                             "    End If",
                             "    Area = W * H",
                             "'Kivra.St0p Area",
                             "End Function",
                         }) + "\r\n");
    EXPECT_EQ(BackIn(commented), kTaggedArea + "\r\n\r\n");
    // Commented-out calls are tag lines too.
    EXPECT_EQ(UntagText(commented, "Kivra.").text, kArea + "\r\n\r\n");
}

TEST(LineFiltersTest, OutTwiceNeedsBackInTwice) {
    EXPECT_EQ(Out(Out("Kivra.St0p")), "''Kivra.St0p\r\n\r\n");
    EXPECT_EQ(BackIn("''Kivra.St0p"), "'Kivra.St0p\r\n");
    EXPECT_EQ(BackIn("  \t'Kivra.St0p"), "  \tKivra.St0p\r\n");  // indentation stays
}

TEST(LineFiltersTest, BackInNeverTouchesCode) {
    // The in-line exit marker: its apostrophe is not the first character.
    EXPECT_EQ(BackIn("Kivra.St0p '<<<<<<"), "Kivra.St0p '<<<<<<\r\n");
    EXPECT_EQ(BackIn(Out("Kivra.St0p '<<<<<<")), "Kivra.St0p '<<<<<<\r\n\r\n");
    EXPECT_EQ(BackIn("Kivra.Start \"A\"   ' timing"), "Kivra.Start \"A\"   ' timing\r\n");
    EXPECT_EQ(BackIn("x = 1 ' set Kivra.Start"), "x = 1 ' set Kivra.Start\r\n");
    EXPECT_EQ(BackIn("' a note"), "' a note\r\n");
}

TEST(LineFiltersTest, OnlyLinesBeginningWithThePrefixAreTagLines) {
    const std::string userCode = JoinCrLf({
        "Set x = MyKivra.Foo",
        "Call Log(Kivra.Name)",
        "    x = 1 ' Kivra.Start is set up elsewhere",
        "Debug.Print \"Kivra.\"",
    });
    EXPECT_EQ(UntagText(userCode, "Kivra.").text, userCode + "\r\n");
    EXPECT_EQ(Out(userCode), userCode + "\r\n");
    EXPECT_TRUE(IsTagLine(" \t' 'Kivra.St0p", "Kivra."));
    EXPECT_FALSE(IsTagLine("kivra.St0p", "Kivra."));  // letter case counts
    EXPECT_FALSE(IsTagLine("Kivra.St0p", ""));
}

TEST(LineFiltersTest, ADifferentPrefixFindsNothing) {
    EXPECT_EQ(UntagText(kTaggedArea, "KIVRA.").text, kTaggedArea + "\r\n");
    EXPECT_EQ(Out(kTaggedArea, "Timer."), kTaggedArea + "\r\n");
    EXPECT_EQ(UntagText("", "Kivra.").text, "");
}

class RoundTripTest : public ::testing::TestWithParam<std::string> {};

TEST_P(RoundTripTest, UntagAfterTagGivesBackTheText) {
    const std::string& original = GetParam();
    const std::string tagged = TagText(original, "Kivra.", TagOptions{}, ShippedKeywordSections()).text;
    EXPECT_NE(tagged, original + "\r\n");
    EXPECT_EQ(UntagText(tagged, "Kivra.").text, original + "\r\n\r\n");
    EXPECT_EQ(UntagText(BackIn(Out(tagged)), "Kivra.").text, original + "\r\n\r\n\r\n\r\n");
}

INSTANTIATE_TEST_SUITE_P(RealLookingModules, RoundTripTest,
                         ::testing::Values(test::AccountClass(), test::OrdersForm(), test::MathModule(),
                                           test::GeneratedModule(2000)));

}  // namespace
}  // namespace kivra
