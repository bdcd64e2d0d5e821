#include "TreeSearch.h"

#include <gtest/gtest.h>

namespace kivra {
namespace {

const std::vector<SearchRow> kRows = {
    {"Main", "", "", ""},           {"LoadOrders", "file~a.csv", "", ""},
    {"ParseLine", "", "Kivra", ""}, {"loadorders", "", "", "42"},
    {"Render", "", "", ""},
};

std::vector<std::size_t> Find(FindQuery query) {
    const auto matcher = RowMatcher::Make(query);
    EXPECT_TRUE(matcher);
    return matcher ? matcher->AllMatches(kRows) : std::vector<std::size_t>{};
}

TEST(TreeSearchTest, PlainCaseRegexAndDataFields) {
    EXPECT_EQ(Find({"loadorders"}), (std::vector<std::size_t>{1, 3}));
    EXPECT_EQ(Find({"LoadOrders", true}), (std::vector<std::size_t>{1}));
    EXPECT_EQ(Find({"^(Main|Render)$", false, true}), (std::vector<std::size_t>{0, 4}));
    EXPECT_EQ(Find({"^main", true, true}), (std::vector<std::size_t>{}));
    EXPECT_EQ(Find({"kivra"}), (std::vector<std::size_t>{}));
    EXPECT_EQ(Find({"kivra", false, false, true}), (std::vector<std::size_t>{2}));
    EXPECT_EQ(Find({"4[0-9]", false, true, true}), (std::vector<std::size_t>{3}));
    EXPECT_EQ(Find({""}), (std::vector<std::size_t>{}));
    std::string why;
    EXPECT_FALSE(RowMatcher::Make({"(unclosed", false, true}, &why));
    EXPECT_FALSE(why.empty());
}

// Expressions that a depth-first matcher recurses on once per character, or
// backtracks on without end, over a data field of 200,000 characters: they
// end, and look at the field's first 1,000 characters.
TEST(TreeSearchTest, ExpressionsOnLongFieldsEndAndLookAtTheBeginning) {
    std::string field(200000, 'a');
    field[500] = 'c';
    field[150000] = 'x';
    const std::vector<SearchRow> rows = {{"Long", "", field, ""}};
    for (const char* text : {"(a|b)*c", "a.*c", "(a?)*c"}) {
        const auto matcher = RowMatcher::Make({text, false, true, true});
        ASSERT_TRUE(matcher) << text;
        EXPECT_EQ(matcher->AllMatches(rows), (std::vector<std::size_t>{0})) << text;
    }
    const auto late = RowMatcher::Make({"x", false, true, true});
    EXPECT_TRUE(late->AllMatches(rows).empty());  // beyond what an expression looks at
    const auto plain = RowMatcher::Make({"x", false, false, true});
    EXPECT_EQ(plain->AllMatches(rows), (std::vector<std::size_t>{0}));  // a plain search sees it all
}

// A big tree is searched in two halves at once: the same rows, in order,
// matches on both sides of the middle and at its edges.
TEST(TreeSearchTest, AnExpressionOverABigTreeFindsWhatOnePassFinds) {
    std::vector<std::string> texts;
    for (int i = 0; i < 70000; ++i) texts.push_back("row " + std::to_string(i));
    std::vector<SearchRow> rows;
    for (const std::string& text : texts)
        rows.push_back({text, std::string_view(), std::string_view(), std::string_view()});
    const auto matcher = RowMatcher::Make({"^row (0|34999|35000|[1-6]9999|69999)$", false, true, false});
    ASSERT_TRUE(matcher);
    std::vector<std::size_t> expected;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (matcher->Matches(rows[i])) expected.push_back(i);
    }
    EXPECT_EQ(expected, (std::vector<std::size_t>{0, 19999, 29999, 34999, 35000, 39999, 49999, 59999, 69999}));
    EXPECT_EQ(matcher->AllMatches(rows), expected);
}

TEST(TreeSearchTest, NextAndPreviousGoRoundTheEnds) {
    const std::vector<std::size_t> matches = {2, 5, 9};
    const std::size_t none = static_cast<std::size_t>(-1);
    EXPECT_EQ(NextMatch(matches, none, true), 2u);
    EXPECT_EQ(NextMatch(matches, 2, true), 5u);
    EXPECT_EQ(NextMatch(matches, 6, true), 9u);
    EXPECT_EQ(NextMatch(matches, 9, true), 2u);
    EXPECT_EQ(NextMatch(matches, 5, false), 2u);
    EXPECT_EQ(NextMatch(matches, 2, false), 9u);
    EXPECT_EQ(NextMatch(matches, none, false), 9u);
    EXPECT_FALSE(NextMatch({}, 0, true));
}

TEST(TreeSearchTest, HotPathFollowsTheLargestTotals) {
    //  0 A 10        5 E 30
    //    1 B 4         6 F 1
    //      2 C 4       7 G 29
    //    3 D 6           8 H 5
    //      4 X 1         9 I 5 (equal: the first)
    const std::vector<int> parents = {-1, 0, 1, 0, 3, -1, 5, 5, 7, 7};
    const std::vector<float> totals = {10, 4, 4, 6, 1, 30, 1, 29, 5, 5};
    EXPECT_EQ(HotPath(parents, totals, 1), (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(HotPath(parents, totals, 3), (std::vector<std::size_t>{3, 4}));
    // From a top-level row or none: the top-level row with the largest total.
    EXPECT_EQ(HotPath(parents, totals, 0), (std::vector<std::size_t>{5, 7, 8}));
    EXPECT_EQ(HotPath(parents, totals, -1), (std::vector<std::size_t>{5, 7, 8}));
    EXPECT_EQ(HotPath(parents, totals, 4), (std::vector<std::size_t>{4}));
    EXPECT_TRUE(HotPath({}, {}, -1).empty());
}

}  // namespace
}  // namespace kivra
