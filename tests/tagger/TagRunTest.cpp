#include "TagRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BasicModules.h"

namespace kivra {
namespace {

using test::JoinCrLf;

const std::string kArea = test::AreaFunction();

class TagRunTest : public ::testing::Test {
protected:
    std::string Tag(std::string_view text) { return TagText(text, "Kivra.", options_, keywords_).text; }

    TagOptions options_;
    KeywordSections keywords_ = ShippedKeywordSections();
};

TEST_F(TagRunTest, WorkedExample) {
    options_.chkSubs = options_.chkProperties = options_.chkFormEvents = false;
    EXPECT_EQ(Tag(kArea), JoinCrLf({
                              "Private Function Area(ByVal W As Long, Optional H As Long = 1) As Long",
                              "Kivra.Start \"Area\", W, H",
                              "    If W = 0 Then",
                              "Kivra.St0p",
                              "        Exit Function",
                              "    End If",
                              "    Area = W * H",
                              "Kivra.St0p Area",
                              "End Function",
                          }) + "\r\n");
}

TEST_F(TagRunTest, WorkedExampleWithoutParameters) {
    options_.chkParameters = false;
    const auto lines = JoinCrLf({
        "Private Function Area(ByVal W As Long, Optional H As Long = 1) As Long",
        "Kivra.Start \"Area\"",
    });
    EXPECT_THAT(Tag(kArea), ::testing::StartsWith(lines + "\r\n    If W = 0 Then\r\n"));
}

TEST_F(TagRunTest, WorkedExampleCommentedOutHeader) {
    EXPECT_THAT(Tag("'" + kArea), ::testing::StartsWith("'Private Function Area(ByVal W As Long, Optional H As Long "
                                                        "= 1) As Long\r\n'Kivra.Start \"Area\", W, H\r\n"));
}

TEST_F(TagRunTest, EveryRunEndsWithALineBreak) {
    EXPECT_EQ(Tag(""), "");
    EXPECT_EQ(Tag("x = 1"), "x = 1\r\n");
    EXPECT_EQ(Tag("x = 1\r\n"), "x = 1\r\n\r\n");
    // A bare LF ends a line as CR LF does; a bare CR is part of its line.
    EXPECT_EQ(Tag("x\ny\rz"), "x\r\ny\rz\r\n");
    EXPECT_EQ(Tag("x\n"), "x\r\n\r\n");
}

TEST_F(TagRunTest, TaggingTwiceAddsASecondSetOfCalls) {
    EXPECT_EQ(Tag("Sub A()\r\nEnd Sub"), "Sub A()\r\nKivra.Start \"A\"\r\nKivra.St0p\r\nEnd Sub\r\n");
    EXPECT_EQ(Tag(Tag("Sub A()\r\nEnd Sub")),
              "Sub A()\r\nKivra.Start \"A\"\r\nKivra.Start \"A\"\r\nKivra.St0p\r\nKivra.St0p\r\nEnd Sub\r\n\r\n");
}

TEST_F(TagRunTest, HeadersGetTheirOwnName) {
    EXPECT_EQ(Tag(test::AccountClass()), JoinCrLf({
                                             "VERSION 1.0 CLASS",
                                             "BEGIN",
                                             "  MultiUse = -1  'True",
                                             "END",
                                             "Attribute VB_Name = \"Account\"",
                                             "Option Explicit",
                                             "",
                                             "Private mTotal As Long",
                                             "Private mOwner As Object",
                                             "",
                                             "Public Property Get Total() As Long",
                                             "Kivra.Start \"Total\"",
                                             "    Total = mTotal",
                                             "Kivra.St0p",
                                             "End Property",
                                             "",
                                             "Public Property Let Total(ByVal Value As Long)",
                                             "Kivra.Start \"Total\", Value",
                                             "    If Value < 0 Then Exit Property",
                                             "Kivra.St0p '<<<<<<",
                                             "    mTotal = Value",
                                             "Kivra.St0p",
                                             "End Property",
                                             "",
                                             "Public Property Set Owner(ByVal NewOwner As Object)",
                                             "Kivra.Start \"Owner\", NewOwner",
                                             "    Set mOwner = NewOwner",
                                             "Kivra.St0p",
                                             "End Property",
                                             "",
                                             "Private Function Clamp(ByVal X As Long, Optional ByVal Lo As "
                                             "Long = 0) As Long",
                                             "Kivra.Start \"Clamp\", X, Lo",
                                             "    If X < Lo Then",
                                             "        Clamp = Lo",
                                             "Kivra.St0p",
                                             "        Exit Function",
                                             "    End If",
                                             "    Clamp = X",
                                             "Kivra.St0p Clamp",
                                             "End Function",
                                         }) + "\r\n");
    EXPECT_EQ(
        Tag("Sub First()\r\n    Sub Indented()\r\nSub  Doubled()\r\nSub Swap (A, B)"),
        JoinCrLf({"Sub First()", "Kivra.Start \"First\"", "    Sub Indented()", "Kivra.Start \"Indented\"",
                  "Sub  Doubled()", "Kivra.Start \"Doubled\"", "Sub Swap (A, B)", "Kivra.Start \"Swap\", A,  B"}) +
            "\r\n");
    // Without a parenthesis no name can be taken: the current one stays.
    EXPECT_EQ(Tag("Sub Main"), "Sub Main\r\nKivra.Start \"\"\r\n");
}

TEST_F(TagRunTest, ContinuedHeaderAndArrayParameter) {
    EXPECT_EQ(Tag(test::MathModule()), JoinCrLf({
                                           "Attribute VB_Name = \"modMath\"",
                                           "Option Explicit",
                                           "",
                                           "Public Function Sum(ByVal A As Long, _",
                                           "Kivra.Start \"Sum\"",
                                           "                    ByVal B As Long) As Long",
                                           "    Sum = A + B",
                                           "Kivra.St0p Sum",
                                           "End Function",
                                           "",
                                           "Sub Swap (Var1, Var2)",
                                           "Kivra.Start \"Swap\", Var1,  Var2",
                                           "    Dim T",
                                           "    T = Var1: Var1 = Var2: Var2 = T",
                                           "Kivra.St0p",
                                           "End Sub",
                                           "",
                                           "Public Sub Report(Items() As Long, Optional Title = \"Total\")",
                                           "Kivra.Start \"Report\", Items(",
                                           "    Debug.Print Title; _",
                                           "        Sum(Items(0), Items(1))",
                                           "Kivra.St0p",
                                           "End Sub",
                                       }) + "\r\n");
}

TEST_F(TagRunTest, KindFilters) {
    const std::string text =
        "Sub S()\r\n    Exit Sub\r\nEnd Sub\r\nFunction F()\r\n    Exit Function\r\nEnd Function"
        "\r\nProperty Get P()\r\n    Exit Property\r\nEnd Property";
    options_.chkSubs = false;
    EXPECT_EQ(Tag(text),
              "Sub S()\r\n    Exit Sub\r\nEnd Sub\r\nFunction F()\r\nKivra.Start \"F\"\r\nKivra.St0p\r\n"
              "    Exit Function\r\nKivra.St0p F\r\nEnd Function\r\nProperty Get P()\r\nKivra.Start \"P\"\r\n"
              "Kivra.St0p\r\n    Exit Property\r\nKivra.St0p\r\nEnd Property\r\n");
    options_ = TagOptions{};
    options_.chkFunctions = options_.chkProperties = false;
    // Exits and ends of the filtered kinds are not tagged either.
    EXPECT_EQ(Tag(text),
              "Sub S()\r\nKivra.Start \"S\"\r\nKivra.St0p\r\n    Exit Sub\r\nKivra.St0p\r\nEnd Sub\r\n"
              "Function F()\r\n    Exit Function\r\nEnd Function\r\nProperty Get P()\r\n"
              "    Exit Property\r\nEnd Property\r\n");
}

TEST_F(TagRunTest, EventProcedureWithoutEventsGetsNothing) {
    options_.chkFormEvents = false;
    EXPECT_EQ(Tag("Private Sub Form_Load()\r\n    Exit Sub\r\nEnd Sub\r\nSub Plain()\r\nEnd Sub"),
              "Private Sub Form_Load()\r\n    Exit Sub\r\nEnd Sub\r\nSub Plain()\r\nKivra.Start \"Plain\"\r\n"
              "Kivra.St0p\r\nEnd Sub\r\n");
}

TEST_F(TagRunTest, EventSubTaggedWithoutSubsAndThePlainSubAfterIt) {
    options_.chkSubs = false;
    EXPECT_EQ(Tag("Private Sub cmdOk_Click()\r\n    Exit Sub\r\nEnd Sub\r\nSub Plain()\r\n    Exit Sub\r\nEnd Sub"),
              "Private Sub cmdOk_Click()\r\nKivra.Start \"cmdOk_Click\"\r\nKivra.St0p\r\n    Exit Sub\r\n"
              "Kivra.St0p\r\nEnd Sub\r\n"
              // No Start for the plain Sub, but its exit and end are judged
              // with the event procedure's name, which is still current.
              "Sub Plain()\r\nKivra.St0p\r\n    Exit Sub\r\nKivra.St0p\r\nEnd Sub\r\n");
}

TEST_F(TagRunTest, InLineExitMarker) {
    EXPECT_EQ(Tag("    If AB then exit sub"), "    If AB then exit sub\r\nKivra.St0p '<<<<<<\r\n");
    EXPECT_EQ(Tag("'    If AB then exit sub"), "'    If AB then exit sub\r\n'Kivra.St0p '<<<<<<\r\n");
    // In any letter case, as the editor writes it too.
    EXPECT_EQ(Tag("    If AB Then Exit Sub"), "    If AB Then Exit Sub\r\nKivra.St0p '<<<<<<\r\n");
    EXPECT_EQ(Tag("\tIf IsDone THEN EXIT Function"), "\tIf IsDone THEN EXIT Function\r\nKivra.St0p '<<<<<<\r\n");
    EXPECT_EQ(Tag("    If AB ThenExit Sub"), "    If AB ThenExit Sub\r\n");
    // Wherever the line begins.
    EXPECT_EQ(Tag("    If A then exit sub"), "    If A then exit sub\r\nKivra.St0p '<<<<<<\r\n");
    EXPECT_EQ(Tag("If bIs Then Exit Sub"), "If bIs Then Exit Sub\r\nKivra.St0p '<<<<<<\r\n");
    EXPECT_EQ(Tag("  If \xC3\xA4\xC3\xA4 then exit sub"),
              "  If \xC3\xA4\xC3\xA4 then exit sub\r\nKivra.St0p '<<<<<<\r\n");
}

// The lines found in real modules, and what looks like them but is not a
// return from the procedure.
TEST_F(TagRunTest, InLineExitsAreTheOnesThatLeaveTheProcedure) {
    const std::string marker = "\r\nKivra.St0p '<<<<<<\r\n";
    for (const char* line : {
             "If bIs Then Exit Sub",
             "        If Deposit(Index, dbIndex) = True Then BankOptions = True: Exit Function",
             "    If X > 0 Then Y = 1 Else Exit Property",
             "    If A Then If B Then Exit Sub",
             "    Count = 0: If Count = 0 Then Exit Function ' nothing to do",
             "    If Name = \"x\" Then MsgBox \"it's done\": Exit Sub",
         }) {
        EXPECT_EQ(Tag(line), line + marker) << line;
    }
    for (const char* line : {
             "    If DictVal = 256 Then Exit Do",
             "    If Not FillList Then Exit For",
             "    If Done Then",                           // a block If
             "    If Done Then ' Exit Sub later",          // the rest is a comment
             "    If Done Then MsgBox \"Then Exit Sub\"",  // in a string
             "    Exit Sub",                               // not in an If (the exit rule's own line)
             "    Call ExitSubroutine: If X Then ExitSub",
             "    Debug.Print \"If A Then Exit Sub\"",
         }) {
        const std::string tagged = Tag(line);
        EXPECT_EQ(tagged.find("'<<<<<<"), std::string::npos) << line;
    }
    // A commented-out line gets the commented marker.
    EXPECT_EQ(Tag("'    If A Then Exit Sub"), "'    If A Then Exit Sub\r\n'Kivra.St0p '<<<<<<\r\n");
}

TEST_F(TagRunTest, QuirksKept) {
    // Tab-indented statements are not recognised.
    EXPECT_EQ(Tag("Sub A()\r\n\tExit Sub\r\n\tEnd Sub"), "Sub A()\r\nKivra.Start \"A\"\r\n\tExit Sub\r\n\tEnd Sub\r\n");
    // A comment beginning with a header phrase is taken for a header.
    EXPECT_EQ(Tag("' Sub routines (below)"), "' Sub routines (below)\r\n'Kivra.Start \"routines\", below\r\n");
    // A lone keyword is not a header: the lookup needs the word after it.
    EXPECT_EQ(Tag("Sub"), "Sub\r\n");
}

TEST_F(TagRunTest, ValueWithoutCommaNeverMatches) {
    keywords_.start = KeywordSection({ParseKeyword("Sub")});
    EXPECT_EQ(Tag("Sub A()"), "Sub A()\r\n");
}

class RecordingObserver : public RunObserver {
public:
    bool AtCheckpoint(std::size_t index, std::size_t lastIndex) override {
        checkpoints.emplace_back(index, lastIndex);
        return index == stopAt;
    }
    void Append(std::string_view lines) override { chunks.emplace_back(lines); }

    std::size_t stopAt = static_cast<std::size_t>(-1);
    std::vector<std::pair<std::size_t, std::size_t>> checkpoints;
    std::vector<std::string> chunks;
};

std::string Lines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "Line" + std::to_string(i) + (i + 1 < count ? "\r\n" : "");
    return text;
}

TEST_F(TagRunTest, ObserverSeesEveryTenthLineAndTheOutputInBatches) {
    RecordingObserver observer;
    const RunResult result = TagText(Lines(25), "Kivra.", options_, keywords_, &observer);
    using P = std::pair<std::size_t, std::size_t>;
    EXPECT_THAT(observer.checkpoints, ::testing::ElementsAre(P{0, 24}, P{10, 24}, P{20, 24}));
    ASSERT_EQ(observer.chunks.size(), 3u);
    EXPECT_EQ(observer.chunks[0], Tag(Lines(10)));
    EXPECT_EQ(observer.chunks[0] + observer.chunks[1] + observer.chunks[2], result.text);
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.linesDone, 25u);
}

TEST_F(TagRunTest, StopTakesEffectAtTheNextTenthLine) {
    RecordingObserver observer;
    observer.stopAt = 20;
    const RunResult result = TagText(Lines(25), "Kivra.", options_, keywords_, &observer);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.linesDone, 20u);
    EXPECT_EQ(result.text, Tag(Lines(20)));
    EXPECT_EQ(observer.chunks.size(), 2u);

    RecordingObserver empty;
    EXPECT_EQ(TagText("", "Kivra.", options_, keywords_, &empty).text, "");
    EXPECT_TRUE(empty.checkpoints.empty());
    EXPECT_TRUE(empty.chunks.empty());
}

TEST_F(TagRunTest, AnObserverMayTakeTheOutput) {
    class TakingObserver : public RecordingObserver {
        bool TakesOutput() const override { return true; }
    } observer;
    const std::string text = Lines(35) + "\r\nSub A()\r\nEnd Sub";
    const RunResult result = TagText(text, "Kivra.", options_, keywords_, &observer);
    EXPECT_TRUE(result.text.empty());
    std::string taken;
    for (const auto& chunk : observer.chunks) taken += chunk;
    EXPECT_EQ(taken, Tag(text));
}

TEST_F(TagRunTest, AnyNumberOfLines) {
    const std::string text = Lines(40000);
    const RunResult result = TagText(text, "Kivra.", options_, keywords_);
    EXPECT_EQ(result.linesDone, 40000u);
    EXPECT_EQ(result.text, text + "\r\n");
}

}  // namespace
}  // namespace kivra
