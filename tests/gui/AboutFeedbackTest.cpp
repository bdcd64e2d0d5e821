#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "AboutDialog.h"
#include "FakeDesktop.h"
#include "FeedbackDialog.h"
#include "KivraVersion.h"
#include "Main.h"
#include "ProgramFolder.h"
#include "SettingsSandbox.h"
#include "frmMain.h"

namespace kivra {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class AboutFeedbackTest : public ::testing::Test {
protected:
    AboutFeedbackTest() : sandbox("", "") {}

    // Clicks a main window's About button and hands the open dialog to act.
    template <typename Window>
    void WithAbout(Window& window, const std::function<void(AboutDialog&)>& act) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            act(*dialog);
            ran = true;
            QTest::mouseClick(dialog->findChild<QToolButton*>("cmdExit"), Qt::LeftButton);
        });
        QTest::mouseClick(window.template findChild<QToolButton*>("cmdAbout"), Qt::LeftButton);
        EXPECT_TRUE(ran);
    }
    static void Click(QWidget& dialog, const char* name) {
        auto* button = dialog.findChild<QToolButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    test::SettingsSandbox sandbox;
    test::FakeDesktop desktop;
};

TEST_F(AboutFeedbackTest, AnalyzerAboutIsCentredAndOpensTheMakersPages) {
    desktop.programFolder = sandbox.Profile();  // no help file there
    frmMain window(desktop.Seams());
    WithAbout(window, [&](AboutDialog& about) {
        EXPECT_EQ(about.objectName(), "frmAbout");
        EXPECT_EQ(about.windowTitle(), "About Kivra");
        EXPECT_EQ(about.findChild<QLabel*>("lblTitle")->text(), "Kivra");
        EXPECT_EQ(about.findChild<QLabel*>("lblVersion")->text(), QString("v") + kKivraVersion);
        EXPECT_NE(about.findChild<QLabel*>("Picture2"), nullptr);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        // Its frame is centred, title bar and borders included.
        const QRect frame = about.frameGeometry();
        EXPECT_EQ(frame.x(), (screen.width() - frame.width()) / 2);
        EXPECT_EQ(frame.y(), (screen.height() - frame.height()) / 2);
        Click(about, "cmdGotoBrindle");
        Click(about, "cmdGotoPayPal");
        Click(about, "cmdHelp");
        EXPECT_TRUE(about.isVisible());  // the pages open; the dialog stays
    });
    EXPECT_THAT(desktop.opener.opened, ElementsAre("https://brindle.example/", "https://brindle.example/donate"));
    ASSERT_EQ(desktop.reporter.messages.size(), 1u);
    EXPECT_THAT(desktop.reporter.messages[0].text, HasSubstr((sandbox.Profile() / "Kivra.html").string()));
}

TEST_F(AboutFeedbackTest, AnalyzerAboutLeadsToTheFeedbackDialog) {
    frmMain window(desktop.Seams());
    WithAbout(window, [&](AboutDialog& about) {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* feedback = qobject_cast<frmFeedback*>(QApplication::activeModalWidget());
            ASSERT_NE(feedback, nullptr);
            EXPECT_EQ(feedback->windowTitle(), "Send Feedback");
            shown = true;
            Click(*feedback, "cmdExit");
        });
        Click(about, "cmdOpenFeedback");
        EXPECT_TRUE(shown);
        EXPECT_TRUE(about.isVisible());  // back in the About dialog
    });
}

TEST_F(AboutFeedbackTest, TaggerAboutShowsTheVersionBesideItsWindow) {
    desktop.programFolder = sandbox.Profile();
    Main window(desktop.Seams());
    window.move(-3000, 100);  // even off screen
    WithAbout(window, [&](AboutDialog& about) {
        EXPECT_EQ(about.objectName(), "About");
        EXPECT_EQ(about.windowTitle(), "About Kivra");
        EXPECT_EQ(about.findChild<QLabel*>("lblTitle")->text(), "Kivra Tag");
        EXPECT_EQ(about.findChild<QLabel*>("lblVersion")->text(), QString("v") + kKivraVersion);
        EXPECT_EQ(about.findChild<QToolButton*>("cmdOpenFeedback"), nullptr);
        EXPECT_EQ(about.pos(), window.frameGeometry().topLeft() + QPoint(about.width() / 2, about.height()));
        Click(about, "cmdHelp");
    });
    ASSERT_EQ(desktop.reporter.messages.size(), 1u);
    EXPECT_THAT(desktop.reporter.messages[0].text, HasSubstr("Quorlin.html"));
}

// The build writes both help files beside the programs (the test programs'
// folder too): the README as a page, found by F1 and the Help buttons.
TEST_F(AboutFeedbackTest, HelpOpensTheManualBuiltBesideThePrograms) {
    const auto page = [](const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    {
        frmMain window(desktop.Seams());
        WithAbout(window, [&](AboutDialog& about) { Click(about, "cmdHelp"); });
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_F1);
    }
    {
        Main window(desktop.Seams());
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_F1);
    }
    EXPECT_TRUE(desktop.reporter.messages.empty());
    ASSERT_EQ(desktop.opener.opened.size(), 3);
    const std::filesystem::path folder = ProgramFolder();
    EXPECT_EQ(desktop.opener.opened[0].toStdString(), (folder / "Kivra.html").string());
    EXPECT_EQ(desktop.opener.opened[1], desktop.opener.opened[0]);
    EXPECT_EQ(desktop.opener.opened[2].toStdString(), (folder / "Quorlin.html").string());
    for (const char* name : {"Kivra.html", "Quorlin.html"}) {
        const std::string html = page(folder / name);
        EXPECT_THAT(html, HasSubstr("<h2>Command-line tool</h2>")) << name;
        EXPECT_THAT(html, HasSubstr(std::string("version ") + kKivraVersion)) << name;
        EXPECT_THAT(html, HasSubstr("<img src=\"docs/analyzer.png\"")) << name;
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / "docs" / "analyzer.png"));
}

TEST_F(AboutFeedbackTest, FeedbackMailNeedsATypeAndASubject) {
    WindowServices services(QStringLiteral("Kivra Analyzer"), nullptr, desktop.Seams());
    frmFeedback feedback(services);
    EXPECT_EQ(feedback.windowTitle(), "Send Feedback");
    auto* type = feedback.findChild<QComboBox*>("cboType");
    auto* subject = feedback.findChild<QLineEdit*>("txtSubject");
    auto* send = feedback.findChild<QToolButton*>("cmdSendEmail");
    EXPECT_EQ(type->count(), 3);
    EXPECT_FALSE(send->isEnabled());

    type->setCurrentIndex(2);  // picked from the list: "Other"
    EXPECT_FALSE(send->isEnabled());
    QTest::keyClicks(subject, "Grid is empty");
    EXPECT_TRUE(send->isEnabled());
    type->setEditText(QString());
    EXPECT_FALSE(send->isEnabled());
    QTest::keyClicks(type->lineEdit(), "Praise");  // typed, not from the list
    EXPECT_TRUE(send->isEnabled());
    subject->clear();
    EXPECT_FALSE(send->isEnabled());

    type->setCurrentIndex(2);
    subject->setText(QStringLiteral("Grid is empty"));
    QTest::mouseClick(send, Qt::LeftButton);
    Click(feedback, "cmdGotoFeedback");
    EXPECT_THAT(desktop.opener.opened,
                ElementsAre("mailto:support@brindle.example?subject=Other%3A%20Grid%20is%20empty&body=%0D%0A",
                            "https://brindle.example/feedback"));
}

// Every picture button's name, as a screen reader finds it through the
// accessibility interface.
std::map<std::string, std::string> ButtonNames(const QWidget& window) {
    std::map<std::string, std::string> names;
    for (QToolButton* button : window.findChildren<QToolButton*>()) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(button);
        names[button->objectName().toStdString()] = face != nullptr ? face->text(QAccessible::Name).toStdString() : "";
    }
    return names;
}

TEST_F(AboutFeedbackTest, EveryButtonSaysWhatItDoesToAScreenReader) {
    frmMain analyzer(desktop.Seams());
    EXPECT_EQ(ButtonNames(analyzer), (std::map<std::string, std::string>{{"cmdAbout", "About..."},
                                                                         {"cmdAddRuns", "Add runs..."},
                                                                         {"cmdAutoSize", "Auto size"},
                                                                         {"cmdClearRange", "Clear range"},
                                                                         {"cmdCompareClear", "Clear the baseline"},
                                                                         {"cmdCompareFolder", "Compare with folder..."},
                                                                         {"cmdCompareWith", "Compare with..."},
                                                                         {"cmdConfig", "Configuration..."},
                                                                         {"cmdCopyPrint", "Copy..."},
                                                                         {"cmdFind", "Find"},
                                                                         {"cmdFindClose", "Close find bar"},
                                                                         {"cmdFindNext", "Next match"},
                                                                         {"cmdFindPrevious", "Previous match"},
                                                                         {"cmdGo", "Update"},
                                                                         {"cmdKivraTag", "Kivra Tag..."},
                                                                         {"cmdSaveImage", "Save image..."},
                                                                         {"cmdSelect", "Select PAD file"},
                                                                         {"cmdSwap", "Swap"},
                                                                         // the tab bar's own, named by Qt
                                                                         {"ScrollLeftButton", "Scroll Left"},
                                                                         {"ScrollRightButton", "Scroll Right"}}));
    Main tagger(desktop.Seams());
    EXPECT_EQ(ButtonNames(tagger), (std::map<std::string, std::string>{{"cmdAbout", "About..."},
                                                                       {"cmdComment", "Comment Kivra"},
                                                                       {"cmdCopyTo", "Copy To"},
                                                                       {"cmdExit", "Exit"},
                                                                       {"cmdOpen", "Select File..."},
                                                                       {"cmdPasteFrom", "Paste From"},
                                                                       {"cmdStop", "Stop"},
                                                                       {"cmdTag", "Add Kivra"},
                                                                       {"cmdUnTag", "Remove Kivra"}}));
    // The tooltips stay as they were.
    EXPECT_EQ(tagger.findChild<QToolButton*>("cmdTag")->toolTip(), "Add Kivra code to");
    EXPECT_EQ(analyzer.findChild<QToolButton*>("cmdCopyPrint")->toolTip(), "Open Configuration");
    WithAbout(analyzer, [](AboutDialog& about) {
        for (const auto& [button, name] : ButtonNames(about)) EXPECT_FALSE(name.empty()) << button;
        EXPECT_EQ(ButtonNames(about).at("cmdOpenFeedback"), "Send Feedback - Request Assistance");
    });
}

}  // namespace
}  // namespace kivra
