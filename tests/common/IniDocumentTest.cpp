#include "IniDocument.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kivra {
namespace {

using ::testing::ElementsAre;
using ::testing::Optional;

TEST(IniDocumentTest, NamesIgnoreCaseAndSurroundingBlanks) {
    const auto doc = IniDocument::Parse("[ Tag Start ]\nSub Key  =  a value with = inside  \r\n[Other]\rk=2");
    EXPECT_THAT(doc.Get("tag start", "SUB KEY"), Optional(std::string("a value with = inside")));
    EXPECT_THAT(doc.Get("OTHER", "k"), Optional(std::string("2")));
    EXPECT_EQ(doc.Get("Tag Start", "k"), std::nullopt);
    EXPECT_EQ(doc.Get("Missing", "k"), std::nullopt);
    EXPECT_THAT(doc.Sections(), ElementsAre("Tag Start", "Other"));
}

TEST(IniDocumentTest, CommentsAndUnknownLinesAreNotKeys) {
    const auto doc = IniDocument::Parse("k0=outside\r\n[S]\r\n;k1=commented\r\nno equals sign\r\nk2=\"q\"\r\n");
    EXPECT_THAT(doc.Keys("S"), Optional(ElementsAre("k2")));
    EXPECT_THAT(doc.Get("S", "k2"), Optional(std::string("\"q\"")));  // never unquoted
    EXPECT_EQ(doc.Get("", "k0"), std::nullopt);
}

TEST(IniDocumentTest, FirstOfRepeatedSectionsAndKeysWins) {
    const auto doc = IniDocument::Parse("[S]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\nj=4\r\n");
    EXPECT_THAT(doc.Get("S", "k"), Optional(std::string("1")));
    EXPECT_EQ(doc.Get("S", "j"), std::nullopt);
    EXPECT_THAT(doc.Sections(), ElementsAre("S"));
}

TEST(IniDocumentTest, NewKeyGoesAtTheEndOfItsSectionBeforeBlankLines) {
    auto doc = IniDocument::Parse("[A]\r\nx=1\r\n; note\r\n\r\n\r\n[B]\r\ny=2\r\n");
    ASSERT_TRUE(doc.Set("a", "z", "3"));
    ASSERT_TRUE(doc.Set("B", "Y", "20"));
    ASSERT_TRUE(doc.Set("C", "w", "4"));
    EXPECT_EQ(doc.Serialize(), "[A]\r\nx=1\r\n; note\r\nz=3\r\n\r\n\r\n[B]\r\ny=20\r\n\r\n[C]\r\nw=4\r\n");
}

TEST(IniDocumentTest, RefusesWhatCannotStandOnOneLine) {
    auto doc = IniDocument::Parse("");
    EXPECT_FALSE(doc.Set("", "k", "v"));
    EXPECT_FALSE(doc.Set("S]", "k", "v"));
    EXPECT_FALSE(doc.Set("S", "", "v"));
    EXPECT_FALSE(doc.Set("S", "a=b", "v"));
    EXPECT_FALSE(doc.Set("S", ";k", "v"));
    EXPECT_FALSE(doc.Set("S", "k", "two\nlines"));
    EXPECT_EQ(doc.Serialize(), "");
}

TEST(IniDocumentTest, RemoveKeyAndSection) {
    auto doc = IniDocument::Parse("[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
    EXPECT_TRUE(doc.RemoveKey("A", "X"));
    EXPECT_FALSE(doc.RemoveKey("A", "x"));
    EXPECT_TRUE(doc.RemoveSection("b"));
    EXPECT_FALSE(doc.RemoveSection("B"));
    EXPECT_EQ(doc.Serialize(), "[A]\r\ny=2\r\n");
}

}  // namespace
}  // namespace kivra
