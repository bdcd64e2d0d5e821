#include "ShortText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kivra {
namespace {

TEST(ShortTextTest, KeepsShortAndLongTextsThroughCopiesMovesAndReassignment) {
    const std::string longText = "12,345,678.000000000000 ms";
    for (const std::string& text :
         {std::string(), std::string("0.473"), std::string(15, '7'), std::string(16, '8'), longText}) {
        ShortText a(text);
        EXPECT_EQ(a, text);
        EXPECT_EQ(a.size(), text.size());
        ShortText copy(a);
        ShortText moved(std::move(a));
        EXPECT_EQ(copy, text);
        EXPECT_EQ(moved, text);
        EXPECT_TRUE(a.empty());  // NOLINT: a moved-from text is empty
        a = copy;
        EXPECT_EQ(a, text);
        // Every size change in both directions.
        for (const std::string& next : {std::string("1.5"), longText, std::string(), longText + longText, text}) {
            a = next;
            EXPECT_EQ(a, next);
        }
        a.clear();
        EXPECT_EQ(a, "");
    }
}

TEST(ShortTextTest, AssigningFromItselfOrAPartOfItselfKeepsTheText) {
    for (const std::string& text : {std::string("29.75"), std::string("1,234,567.890000000000")}) {
        ShortText a(text);
        const ShortText& same = a;
        a = same;
        EXPECT_EQ(a, text);
        a = a.view().substr(1);
        EXPECT_EQ(a, text.substr(1));
        a = a.view().substr(0, 2);
        EXPECT_EQ(a, text.substr(1, 2));
    }
}

TEST(ShortTextTest, TextsInAGrowingVectorStayIntact) {
    std::vector<ShortText> texts;
    for (int i = 0; i < 200; ++i) texts.emplace_back(std::string(static_cast<std::size_t>(i % 40), 'a' + i % 26));
    for (int i = 0; i < 200; ++i) EXPECT_EQ(texts[i], std::string(static_cast<std::size_t>(i % 40), 'a' + i % 26));
}

}  // namespace
}  // namespace kivra
