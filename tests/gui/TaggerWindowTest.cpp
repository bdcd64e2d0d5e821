#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BasicModules.h"
#include "ClipboardText.h"
#include "FakeDesktop.h"
#include "Main.h"
#include "ProgramValues.h"
#include "SettingsSandbox.h"
#include "Twips.h"

namespace kivra {
namespace {

using test::JoinCrLf;
using ::testing::ElementsAre;

const std::string kArea = test::AreaFunction();

const std::string kTaggedArea = test::TaggedAreaFunction() + "\r\n";

class TaggerWindowTest : public ::testing::Test {
protected:
    TaggerWindowTest() : sandbox("", "") { window = std::make_unique<Main>(desktop.Seams()); }

    template <typename T = QToolButton>
    T* Control(const char* name) {
        auto* control = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void Click(const char* name) { QTest::mouseClick(Control(name), Qt::LeftButton); }
    void SetCode(const std::string& text) {
        Control<QPlainTextEdit>("txtCode")->setPlainText(QString::fromStdString(text));
    }
    std::string Status() { return Control<QLineEdit>("txtStatus")->text().toStdString(); }
    // Enabled state of the buttons, in the order of the state table.
    std::vector<bool> Buttons() {
        std::vector<bool> states;
        for (const char* name : {"cmdStop", "cmdTag", "cmdUnTag", "cmdComment", "cmdOpen", "cmdPasteFrom", "cmdCopyTo",
                                 "cmdAbout", "cmdExit"}) {
            states.push_back(Control(name)->isEnabled());
        }
        return states;
    }
    const std::vector<bool> kIdle{false, true, true, true, true, true, true, true, true};

    test::SettingsSandbox sandbox;
    test::FakeDesktop desktop;
    std::unique_ptr<Main> window;
};

// Tab leaves the code box as it leaves the classic text box; Ctrl+Tab types
// a tab into the code, which the box then gives back.
TEST_F(TaggerWindowTest, TabMovesOnAndCtrlTabTypesATab) {
    window->show();
    QApplication::setActiveWindow(window.get());
    auto* code = Control<QPlainTextEdit>("txtCode");
    SetCode("ab");
    code->setFocus();
    QTextCursor cursor = code->textCursor();
    cursor.setPosition(1);
    code->setTextCursor(cursor);
    QTest::keyClick(code, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(code->toPlainText(), QStringLiteral("a\tb"));
    QTest::keyClick(code, Qt::Key_Tab);
    EXPECT_EQ(code->toPlainText(), QStringLiteral("a\tb"));
    EXPECT_TRUE(code->tabChangesFocus());
    EXPECT_NE(QApplication::focusWidget(), code);
}

TEST_F(TaggerWindowTest, OpensReadyToTag) {
    EXPECT_EQ(window->windowTitle(), "Kivra Code Auto Tag");
    EXPECT_EQ(Control<QLineEdit>("txtPrefix")->text(), "Kivra.");
    EXPECT_EQ(Control<QLineEdit>("txtPrefix")->toolTip(), "Kivra prefix ojbect name");
    for (const char* name : {"chkSubs", "chkFormEvents", "chkFunctions", "chkProperties", "chkParameters"}) {
        EXPECT_TRUE(Control<QCheckBox>(name)->isChecked()) << name;
    }
    EXPECT_TRUE(Control<QRadioButton>("optCommentOut")->isChecked());
    EXPECT_EQ(Control<QPlainTextEdit>("txtCode")->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(Buttons(), kIdle);
    EXPECT_EQ(std::filesystem::path(Program().HelpFile).filename(), "Quorlin.html");
    EXPECT_TRUE(desktop.reporter.messages.empty());
}

TEST_F(TaggerWindowTest, TagUntagAndCommentThroughTheButtons) {
    SetCode(kArea);
    Click("cmdTag");
    EXPECT_EQ(window->CodeText(), kTaggedArea);
    EXPECT_EQ(Status(), "Complete");
    EXPECT_EQ(Buttons(), kIdle);

    Click("cmdComment");
    EXPECT_EQ(window->CodeText(), JoinCrLf({
                                      "Private Function Area(ByVal W As Long, Optional H As Long = 1) As Long",
                                      "'Kivra.Start \"Area\", W, H",
                                      "    If W = 0 Then",
                                      "'Kivra.St0p",
                                      "        Exit Function",
                                      "    End If",
                                      "    Area = W * H",
                                      "'Kivra.St0p Area",
                                      "End Function",
                                      "",
                                  }) + "\r\n");
    QTest::mouseClick(Control<QRadioButton>("optCommentBackIn"), Qt::LeftButton);
    Click("cmdComment");
    EXPECT_EQ(window->CodeText(), kTaggedArea + "\r\n\r\n");

    Click("cmdUnTag");
    EXPECT_EQ(window->CodeText(), kArea + "\r\n\r\n\r\n\r\n");
    EXPECT_EQ(Status(), "Complete");
    EXPECT_EQ(Buttons(), kIdle);
    EXPECT_TRUE(desktop.reporter.messages.empty());
}

TEST_F(TaggerWindowTest, OptionsTakeEffect) {
    SetCode(kArea);
    QTest::mouseClick(Control<QCheckBox>("chkParameters"), Qt::LeftButton);
    Click("cmdTag");
    EXPECT_THAT(window->CodeText(), ::testing::HasSubstr("\r\nKivra.Start \"Area\"\r\n"));
}

TEST_F(TaggerWindowTest, StopEndsTheRunAtATenthLine) {
    std::vector<std::string> lines;
    for (int i = 0; i < 2000; ++i) lines.push_back("x = " + std::to_string(i));
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    SetCode(text);

    std::vector<std::string> statuses;
    std::vector<bool> during;
    QObject::connect(Control<QLineEdit>("txtStatus"), &QLineEdit::textChanged, [&](const QString& status) {
        statuses.push_back(status.toStdString());
        if (status == "Removing: 500 of 2000") {
            during = Buttons();
            Click("cmdStop");
        }
    });
    Click("cmdUnTag");
    std::string expected;
    for (int i = 0; i < 500; ++i) expected += lines[static_cast<std::size_t>(i)] + "\r\n";
    EXPECT_EQ(window->CodeText(), expected);
    EXPECT_EQ(Status(), "Complete");
    ASSERT_GE(statuses.size(), 3u);
    EXPECT_EQ(statuses[0], "Removing: 0 of 2000");
    EXPECT_EQ(statuses[1], "Removing: 10 of 2000");
    EXPECT_EQ(statuses.back(), "Complete");
    // Stop, About and Exit stay usable during a run; the rest wait.
    EXPECT_EQ(during, (std::vector<bool>{true, false, false, false, false, false, false, true, true}));
    EXPECT_EQ(Buttons(), kIdle);
}

TEST_F(TaggerWindowTest, EmptyBoxCompletesAtOnce) {
    std::vector<std::string> statuses;
    QObject::connect(Control<QLineEdit>("txtStatus"), &QLineEdit::textChanged,
                     [&](const QString& status) { statuses.push_back(status.toStdString()); });
    Click("cmdTag");
    EXPECT_THAT(statuses, ElementsAre("Complete"));
    EXPECT_EQ(window->CodeText(), "");
}

TEST_F(TaggerWindowTest, RefusedPrefixChangesNothing) {
    SetCode(kArea);
    Control<QLineEdit>("txtStatus")->setText("before");
    Control<QLineEdit>("txtPrefix")->clear();
    Click("cmdTag");
    Control<QLineEdit>("txtPrefix")->setText("Kivra");
    Click("cmdUnTag");
    EXPECT_THAT(desktop.reporter.messages,
                ElementsAre(Message{"Tag Prefix is missing", MessageIcon::Question, "Kivra Code Auto Tag"},
                            Message{"Tag Prefix does not end in '.' ", MessageIcon::Question, "Kivra Code Auto Tag"}));
    EXPECT_EQ(window->CodeText(), kArea);
    EXPECT_EQ(Status(), "before");
    EXPECT_EQ(Buttons(), kIdle);
}

TEST_F(TaggerWindowTest, ClipboardBothWays) {
    SetCode("Sub A()\r\nEnd Sub");
    Click("cmdCopyTo");
    EXPECT_EQ(GetClipboardText().toStdString(), "Sub A()\r\nEnd Sub");
    QGuiApplication::clipboard()->setMimeData(new QMimeData);  // no text at all
    Click("cmdPasteFrom");
    EXPECT_EQ(window->CodeText(), "");
    ASSERT_TRUE(SetClipboardText(QStringLiteral("Function F() \u00e9\r\nEnd Function")));
    Click("cmdPasteFrom");
    EXPECT_EQ(window->CodeText(), "Function F() \xC3\xA9\r\nEnd Function");
    EXPECT_TRUE(SetClipboardText(QString()));
    EXPECT_EQ(GetClipboardText(), "");
}

TEST_F(TaggerWindowTest, OpenLoadsChosenFilesOnly) {
    const auto file = sandbox.Profile() / "Module1.bas";
    std::ofstream(file, std::ios::binary) << "Sub A()\r\n  s = \"caf\xE9\"\r\nEnd Sub\r\n";
    SetCode("kept");
    desktop.files.answers.push_back(std::nullopt);
    Click("cmdOpen");
    EXPECT_EQ(window->CodeText(), "kept");
    EXPECT_EQ(window->Config().Value("Tag Application", "LastPath"), "");

    desktop.files.answers.push_back(QString::fromStdString(file.string()));
    Click("cmdOpen");
    EXPECT_EQ(window->CodeText(), "Sub A()\r\n  s = \"caf\xC3\xA9\"\r\nEnd Sub\r\n");
    EXPECT_EQ(window->Config().Value("Tag Application", "LastPath"), file.string());
    EXPECT_EQ(desktop.files.asked[1].suffix, ".v");

    const std::string missing = (sandbox.Profile() / "gone.bas").string();
    desktop.files.answers.push_back(QString::fromStdString(missing));
    Click("cmdOpen");
    EXPECT_EQ(desktop.files.asked[2].initial.toStdString(), file.string());  // starts at the stored file
    EXPECT_EQ(window->CodeText(), "Sub A()\r\n  s = \"caf\xC3\xA9\"\r\nEnd Sub\r\n");
    ASSERT_EQ(desktop.reporter.messages.size(), 1u);
    EXPECT_EQ(desktop.reporter.messages[0].icon, MessageIcon::Critical);
    EXPECT_THAT(desktop.reporter.messages[0].text, ::testing::HasSubstr(missing));
}

TEST_F(TaggerWindowTest, OpenRefusesAFileTooBigForTheBox) {
    SetCode("kept");
    const auto huge = sandbox.Profile() / "Huge.bas";
    std::ofstream(huge, std::ios::binary) << std::string((std::size_t{16} << 20) + 1, 'x');
    for (const std::string& file : {huge.string(), std::string("/dev/zero")}) {
        desktop.files.answers.push_back(QString::fromStdString(file));
        Click("cmdOpen");
        EXPECT_EQ(window->CodeText(), "kept");
    }
    ASSERT_EQ(desktop.reporter.messages.size(), 2u);
    EXPECT_EQ(desktop.reporter.messages[0].text,
              "The file '" + huge.string() + "' could not be read: it is larger than 16 MB.");
    EXPECT_EQ(desktop.reporter.messages[0].icon, MessageIcon::Critical);

    // A prefix that untag could not find again is refused before a run.
    Control<QLineEdit>("txtPrefix")->setText(" Kivra.");
    Click("cmdTag");
    EXPECT_EQ(window->CodeText(), "kept");
    EXPECT_EQ(desktop.reporter.messages.back().text, "Tag Prefix begins with a blank, a tab or an apostrophe");
}

TEST_F(TaggerWindowTest, LowWindowSnapsBackAndTheBoxFillsIt) {
    const double dpi = LogicalDpi(window.get());
    window->resize(window->width(), TwipsToPixels(5000, dpi));
    EXPECT_EQ(window->frameGeometry().height(), TwipsToPixels(8500, dpi));
    window->resize(TwipsToPixels(12000, dpi), TwipsToPixels(11000, dpi));
    auto* code = Control<QPlainTextEdit>("txtCode");
    const QRect inner = window->centralWidget()->geometry();
    EXPECT_EQ(code->y(), Control<QLineEdit>("txtPrefix")->y());
    EXPECT_NEAR(code->geometry().bottom() + 1, inner.height(), 1);
    EXPECT_NEAR(code->geometry().right() + 1, inner.width(), 1);
}

TEST_F(TaggerWindowTest, ExitDuringARunStopsItAndCloses) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "x\r\n";
    SetCode(text);
    QObject::connect(Control<QLineEdit>("txtStatus"), &QLineEdit::textChanged, [&](const QString& status) {
        if (status == "Tagging: 20 of 100") Click("cmdExit");
    });
    Click("cmdTag");
    EXPECT_FALSE(window->isVisible());
    std::string done;
    for (int i = 0; i < 20; ++i) done += "x\r\n";
    EXPECT_EQ(window->CodeText(), done);
}

// Texts a source file may hold that a plain text box would change when its
// text is read back: a non-breaking space, U+2028 and U+2029, a bare CR
// inside a line, tabs and trailing blanks, other scripts.
const std::string kTricky =
    "Sub A()\r\n"
    "\ts = \"a\xC2\xA0"
    "b\"   \r\n"
    "    t = \"x\xE2\x80\xA8y\xE2\x80\xA9z\" ' \xE6\x97\xA5\xE6\x9C\xAC\r\n"
    "    u = \"p\rq\"\r\n"
    "End Sub  ";

TEST_F(TaggerWindowTest, TheBoxGivesBackExactlyWhatCameIn) {
    std::string lf;  // the same lines with bare LF ends
    for (std::size_t i = 0; i < kTricky.size(); ++i) {
        if (!(kTricky[i] == '\r' && i + 1 < kTricky.size() && kTricky[i + 1] == '\n')) lf += kTricky[i];
    }
    const auto crlfFile = sandbox.Profile() / "crlf.bas";
    const auto lfFile = sandbox.Profile() / "lf.bas";
    std::ofstream(crlfFile, std::ios::binary) << kTricky;
    std::ofstream(lfFile, std::ios::binary) << lf;
    for (const auto& file : {crlfFile, lfFile}) {
        desktop.files.answers.push_back(QString::fromStdString(file.string()));
        Click("cmdOpen");
        EXPECT_EQ(window->CodeText(), kTricky) << file;
        Click("cmdCopyTo");
        EXPECT_EQ(GetClipboardText().toStdString(), kTricky) << file;
    }
    // Pasted in, copied out: the same text, not one character changed.
    ASSERT_TRUE(SetClipboardText(QString::fromStdString(lf + "\n")));
    Click("cmdPasteFrom");
    Click("cmdCopyTo");
    EXPECT_EQ(GetClipboardText().toStdString(), kTricky + "\r\n");
    // A run sees exactly those lines: untag with nothing to remove gives
    // them back with the one line break each run adds.
    Click("cmdUnTag");
    EXPECT_EQ(window->CodeText(), kTricky + "\r\n\r\n");
}

TEST_F(TaggerWindowTest, WhatTheUserTypesCountsAndTheRestStaysExact) {
    auto* code = Control<QPlainTextEdit>("txtCode");
    window->show();
    ASSERT_TRUE(SetClipboardText(QString::fromStdString(kTricky)));
    Click("cmdPasteFrom");
    // Type at the end, a new line and a word; then delete a character in
    // the first line and undo it.
    code->setFocus();
    QTextCursor cursor = code->textCursor();
    cursor.movePosition(QTextCursor::End);
    code->setTextCursor(cursor);
    QTest::keyClick(code, Qt::Key_Return);
    QTest::keyClicks(code, "' done");
    EXPECT_EQ(window->CodeText(), kTricky + "\r\n' done");
    cursor.movePosition(QTextCursor::Start);
    code->setTextCursor(cursor);
    QTest::keyClick(code, Qt::Key_Delete);
    EXPECT_EQ(window->CodeText(), kTricky.substr(1) + "\r\n' done");
    code->undo();
    EXPECT_EQ(window->CodeText(), kTricky + "\r\n' done");
    // A line break typed in the line with the bare CR, after the "p": the
    // bare CR stays where it was. The document has one position per line
    // end, and there are three line ends before.
    const std::size_t p = kTricky.find("p\rq");
    cursor.setPosition(static_cast<int>(QString::fromStdString(kTricky.substr(0, p + 1)).size()) - 3);
    code->setTextCursor(cursor);
    QTest::keyClick(code, Qt::Key_Return);
    std::string expected = kTricky;
    expected.insert(p + 1, "\r\n");
    EXPECT_EQ(window->CodeText(), expected + "\r\n' done");
}

TEST_F(TaggerWindowTest, InLineExitsAreMarkedInAnyLetterCase) {
    SetCode("Sub A()\r\n    If Done Then Exit Sub\r\nEnd Sub");
    Click("cmdTag");
    EXPECT_EQ(window->CodeText(),
              "Sub A()\r\nKivra.Start \"A\"\r\n    If Done Then Exit Sub\r\n"
              "Kivra.St0p '<<<<<<\r\nKivra.St0p\r\nEnd Sub\r\n");
}

// The window and kivra split an LF file into the same lines and tag them
// alike; only the line ends differ (the box's are CR LF, and each window
// run adds one line break at the end).
TEST_F(TaggerWindowTest, AnLfFileTagsToTheSameLinesAsWithKivra) {
    const auto file = sandbox.Profile() / "Module2.bas";
    const std::string source = "Sub A()\n    If Done Then Exit Sub\n    x = \"a\rb\"\nEnd Sub\n";
    std::ofstream(file, std::ios::binary) << source;
    desktop.files.answers.push_back(QString::fromStdString(file.string()));
    Click("cmdOpen");
    Click("cmdTag");

    QProcess kivra;
    kivra.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kivra"),
                {QStringLiteral("tag"), QString::fromStdString(file.string())});
    ASSERT_TRUE(kivra.waitForFinished(20000));
    ASSERT_EQ(kivra.exitCode(), 0) << kivra.readAllStandardError().toStdString();
    std::string viaKivra = kivra.readAllStandardOutput().toStdString();
    EXPECT_EQ(viaKivra,
              "Sub A()\nKivra.Start \"A\"\n    If Done Then Exit Sub\nKivra.St0p '<<<<<<\n"
              "    x = \"a\rb\"\nKivra.St0p\nEnd Sub\n");
    std::string withCrLf;
    for (const char c : viaKivra) {
        if (c == '\n') withCrLf += '\r';
        withCrLf += c;
    }
    EXPECT_EQ(window->CodeText(), withCrLf + "\r\n");
}

TEST_F(TaggerWindowTest, TheRunsInputsWaitForItsEnd) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "x\r\n";
    SetCode(text);
    const char* inputs[] = {"txtPrefix",     "chkSubs",       "chkFormEvents", "chkFunctions",
                            "chkProperties", "chkParameters", "optCommentOut", "optCommentBackIn"};
    std::vector<bool> during;
    QObject::connect(Control<QLineEdit>("txtStatus"), &QLineEdit::textChanged, [&](const QString& status) {
        if (status != "Commenting: 50 of 100") return;
        for (const char* name : inputs) during.push_back(window->findChild<QWidget*>(name)->isEnabled());
    });
    Click("cmdComment");
    EXPECT_EQ(during, std::vector<bool>(std::size(inputs), false));
    for (const char* name : inputs) EXPECT_TRUE(window->findChild<QWidget*>(name)->isEnabled()) << name;
}

}  // namespace
}  // namespace kivra
