#include "ProcedureHeader.h"

#include <gtest/gtest.h>

namespace kivra {
namespace {

TEST(GetParametersTest, KeepsOnlyTheNames) {
    EXPECT_EQ(GetParameters("Function Area(ByVal W As Long, Optional H As Long = 1) As Long"), "W, H");
    EXPECT_EQ(GetParameters("Sub S(ByRef A As String, Optional ByVal B As Integer = 3)"), "A, B");
    EXPECT_EQ(GetParameters("Sub S(Optional ByRef C As Variant)"), "C");
    EXPECT_EQ(GetParameters("Sub S(X As Long)"), "X");
}

TEST(GetParametersTest, TypelessParametersKeepTheirBlanksAndDefaults) {
    EXPECT_EQ(GetParameters("Sub S(A, B)"), "A,  B");
    EXPECT_EQ(GetParameters("Sub S(Optional X = 5)"), "X = 5");
    EXPECT_EQ(GetParameters("Sub Swap (ByVal Var1, ByVal Var2)"), "Var1, Var2");
}

TEST(GetParametersTest, ArrayParameterCutsTheListAtItsParenthesis) {
    // The piece "Items(" has no " As ", so the blank after its comma stays.
    EXPECT_EQ(GetParameters("Sub Report(ByVal N As Long, Items() As Long)"), "N,  Items(");
}

TEST(GetParametersTest, NoListGivesNothing) {
    EXPECT_EQ(GetParameters("Sub S()"), "");
    EXPECT_EQ(GetParameters("Sub S(ByVal A As Long, _"), "");
    EXPECT_EQ(GetParameters("Sub S"), "");
}

TEST(GetNameTest, SecondPieceBeforeItsParenthesis) {
    EXPECT_EQ(GetName("Function Area(ByVal W As Long) As Long"), "Area");
    EXPECT_EQ(GetName("Sub Form_Load()"), "Form_Load");
    // After the cut of a two-word header.
    EXPECT_EQ(GetName("nction Sum(ByVal A As Long, _"), "Sum");
}

TEST(GetNameTest, LastWordBeforeTheParenthesisWhenTheSecondPieceHasNone) {
    EXPECT_EQ(GetName("c Property Get Total() As Long"), "Total");
    EXPECT_EQ(GetName("Sub Swap (Var1, Var2)"), "Swap");
    EXPECT_EQ(GetName("Sub Swap  (Var1)"), "Swap");
    EXPECT_EQ(GetName("    Sub Indented()"), "Indented");
    EXPECT_EQ(GetName("Sub  Doubled()"), "Doubled");
    EXPECT_EQ(GetName("Get(x)"), "Get");
}

TEST(GetNameTest, NoParenthesisNoName) {
    EXPECT_FALSE(GetName("Sub Main"));
    EXPECT_FALSE(GetName("Sub"));
    EXPECT_FALSE(GetName("   (x)"));
}

TEST(LineWordsTest, SplitsAtEverySingleBlankAfterTrimming) {
    const auto w = LineWords::Of("   End  Sub x  ");
    EXPECT_EQ(w.count, 3);
    EXPECT_EQ(w.word[0], "End");
    EXPECT_EQ(w.word[1], "");
    EXPECT_EQ(w.word[2], "Sub");
    EXPECT_EQ(w.firstTwo, "End ");

    const auto tab = LineWords::Of("\tEnd Sub");
    EXPECT_EQ(tab.word[0], "\tEnd");
    EXPECT_EQ(LineWords::Of("   ").count, 0);
    EXPECT_EQ(LineWords::Of("End").count, 1);
}

class InKeysTest : public ::testing::Test {
protected:
    KeywordSection section_{{ParseKeyword("Function,x"), ParseKeyword("Sub,x"), ParseKeyword("Property Get,x"),
                             ParseKeyword("Malformed"), ParseKeyword("Declare,x")}};
    TagOptions options_;
};

TEST_F(InKeysTest, PositionOfTheFirstMatchIgnoringCase) {
    EXPECT_EQ(InKeys(section_, "function", "F()", options_), 1);
    EXPECT_EQ(InKeys(section_, "PROPERTY GET", "P", options_), 3);
    EXPECT_EQ(InKeys(section_, "Malformed", "M", options_), 0);
    EXPECT_EQ(InKeys(section_, "Func", "F", options_), 0);
}

TEST_F(InKeysTest, KindFiltersAndTheEventException) {
    options_.chkSubs = false;
    EXPECT_EQ(InKeys(section_, "Sub", "Plain()", options_), 0);
    EXPECT_EQ(InKeys(section_, "Sub", "Form_Load()", options_), 2);
    options_.chkFormEvents = false;
    EXPECT_EQ(InKeys(section_, "Sub", "Form_Load()", options_), 0);

    options_ = TagOptions{};
    options_.chkFunctions = false;
    EXPECT_EQ(InKeys(section_, "Function", "Get_Value()", options_), 0);  // no exception for functions
    options_.chkProperties = false;
    EXPECT_EQ(InKeys(section_, "Property Get", "X", options_), 0);
    options_.chkSubs = false;
    EXPECT_EQ(InKeys(section_, "Declare", "X", options_), 5);  // a phrase of no kind is never filtered
}

}  // namespace
}  // namespace kivra
