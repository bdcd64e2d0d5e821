// The Callers / Callees view, the ways to it from the other views, Back and
// Forward, and the flame graph's inverted mode and collapsed recursion.
#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <map>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "AnalyzerWindowFixture.h"
#include "CallEdgesModel.h"
#include "CallTreePage.h"
#include "CallersPage.h"
#include "FindBar.h"
#include "FlameGraphPage.h"
#include "FlameGraphView.h"
#include "ProceduresModel.h"
#include "RangeStrip.h"
#include "TraceViews.h"

namespace kivra {
namespace {

// Main calls A (which calls itself) and B (which calls A); D, at the top
// level too, calls A. Rows: Main 0, A 1, A 2, B 3, A 4, D 5, A 6.
constexpr const char* kRecursiveRun =
    "header 1\r\nRun Date: 12/8/2026\r\nheader 3\r\nResolution: 1 ms\r\nh5\r\nh6\r\nh7\r\n"
    "A|3|3|12|20|||\r\n"
    "A|2|2|10|30|||\r\n"
    "A|5|3|31|35|||\r\n"
    "B|4|2|30|40|||\r\n"
    "Main|1|1|0|100|||\r\n"
    "A|7|2|121|122|||\r\n"
    "D|6|1|120|130|||\r\n";

constexpr int kCallersTab = 3;

class CallersViewTest : public test::AnalyzerWindowFixture {
protected:
    std::unique_ptr<frmMain> StartOn(const std::string& text) {
        tracePath = WriteTrace("run.pad", text);
        auto window = Start({QString::fromStdString(tracePath)});
        window->resize(1100, 800);
        window->show();
        QApplication::processEvents();
        return window;
    }
    static CallersPage& Page(const frmMain& window) { return window.Views().Page<CallersPage>(); }
    static std::size_t ProcedureNamed(const frmMain& window, const std::string& name) {
        const ProcedureTable& table = window.Views().Procedures().Table();
        for (std::size_t p = 0; p < table.ProcedureCount(); ++p) {
            if (table.Procedure(p).Name == name) return p;
        }
        ADD_FAILURE() << name;
        return 0;
    }
    // The rows of a caller or callee table as "name calls total".
    static std::vector<std::string> Rows(const QAbstractItemModel& model) {
        std::vector<std::string> rows;
        for (int row = 0; row < model.rowCount(); ++row) {
            rows.push_back(model.index(row, 0).data().toString().toStdString() + " " +
                           model.index(row, 1).data().toString().toStdString() + " " +
                           model.index(row, 2).data().toString().toStdString());
        }
        return rows;
    }
    static void Trigger(QWidget& widget, const char* action) {
        auto* found = widget.findChild<QAction*>(QString::fromLatin1(action));
        ASSERT_NE(found, nullptr) << action;
        found->trigger();
    }
    static std::string Summary(const frmMain& window) { return Page(window).Summary().text().toStdString(); }

    std::string tracePath;
};

using ::testing::ElementsAre;

TEST_F(CallersViewTest, ArrivesFromEveryViewAndShowsTheEdges) {
    auto window = StartOn(kRecursiveRun);
    CallersPage& page = Page(*window);
    QAbstractItemModelTester callers(&page.Callers(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester callees(&page.Callees(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_THAT(Summary(*window), ::testing::StartsWith("Choose a procedure"));

    // From the call tree: A's first call, Ctrl+K.
    window->Grid().setCurrentIndex(window->Model().IndexOfRow(1));
    Trigger(window->Grid(), "actShowCallers");
    EXPECT_EQ(window->Views().Tabs().currentIndex(), kCallersTab);
    EXPECT_EQ(Summary(*window), "A: 4 calls, own 25.000 ms, total 25.000 ms");
    EXPECT_EQ(page.ProcedureBox().currentText(), "A");
    // Each edge counts its own calls' whole totals; the recursive one too.
    EXPECT_THAT(Rows(page.Callers()), ElementsAre("Main 1 20.000", "A 1 8.000", "B 1 4.000", "D 1 1.000"));
    EXPECT_THAT(Rows(page.Callees()), ElementsAre("A 1 8.000"));
    // The sandwich: its callees merged below it, its callers inverted above,
    // both as wide as its total.
    EXPECT_EQ(page.CalleesGraph().Layout().Extent, 25'000'000);
    EXPECT_EQ(page.CallersGraph().Layout().Extent, 25'000'000);
    EXPECT_EQ(page.CallersGraph().Mode(), FlameMode::Inverted);
    EXPECT_TRUE(page.CallersGraph().Flipped());

    // From Procedures: B, Ctrl+K.
    window->Views().Tabs().setCurrentIndex(1);
    QTreeView& procedures = window->Views().ProceduresView();
    procedures.setCurrentIndex(window->Views().Procedures().IndexOfProcedure(ProcedureNamed(*window, "B")));
    Trigger(procedures, "actShowCallers");
    EXPECT_EQ(window->Views().Tabs().currentIndex(), kCallersTab);
    EXPECT_EQ(Summary(*window), "B: 1 call, own 6.000 ms, total 10.000 ms");
    EXPECT_THAT(Rows(page.Callers()), ElementsAre("Main 1 10.000"));

    // From the flame graph: D's box in time order, Ctrl+K.
    window->Views().Tabs().setCurrentIndex(2);
    window->Grid().setCurrentIndex(window->Model().IndexOfRow(5));
    ASSERT_TRUE(window->Views().FlameGraph().SelectedBox().has_value());
    Trigger(window->Views().FlameGraph(), "actShowCallers");
    EXPECT_EQ(Summary(*window), "D: 1 call, own 9.000 ms, total 10.000 ms");
    EXPECT_THAT(Rows(page.Callers()), ElementsAre("(top level) 1 10.000"));

    // Typed in the Procedure box, letter case ignored.
    page.ProcedureBox().setFocus();
    page.ProcedureBox().lineEdit()->selectAll();
    QTest::keyClicks(page.ProcedureBox().lineEdit(), "main");
    QTest::keyClick(page.ProcedureBox().lineEdit(), Qt::Key_Return);
    EXPECT_EQ(Summary(*window), "Main: 1 call, own 70.000 ms, total 100.000 ms");
    EXPECT_THAT(Rows(page.Callees()), ElementsAre("A 1 20.000", "B 1 10.000"));
    QTest::keyClicks(page.ProcedureBox().lineEdit(), "Nowhere");
    QTest::keyClick(page.ProcedureBox().lineEdit(), Qt::Key_Return);
    EXPECT_THAT(Summary(*window), ::testing::HasSubstr("No procedure is named"));
}

TEST_F(CallersViewTest, EnterOnAnEdgeGoesOnAndAltArrowsGoBack) {
    auto window = StartOn(kRecursiveRun);
    CallersPage& page = Page(*window);
    window->Views().Context().ChooseProcedure(ProcedureNamed(*window, "A"), QStringLiteral("tabCallers"));
    ASSERT_EQ(Summary(*window).substr(0, 2), "A:");
    // Enter (as a double click) on the caller B makes B the procedure shown.
    page.CallersView().setFocus();
    page.CallersView().setCurrentIndex(page.Callers().index(2, 0));
    QTest::keyClick(&page.CallersView(), Qt::Key_Return);
    EXPECT_EQ(Summary(*window).substr(0, 2), "B:");
    // Main's caller is the top level: nowhere to go on to.
    page.CallersView().setCurrentIndex(page.Callers().index(0, 0));
    QTest::keyClick(&page.CallersView(), Qt::Key_Return);
    ASSERT_EQ(Summary(*window).substr(0, 5), "Main:");
    page.CallersView().setCurrentIndex(page.Callers().index(0, 0));
    ASSERT_EQ(page.Callers().index(0, 0).data().toString(), "(top level)");
    QTest::keyClick(&page.CallersView(), Qt::Key_Return);
    EXPECT_EQ(Summary(*window).substr(0, 5), "Main:");

    // Back and Forward go through A, B, Main, in any view.
    QTest::keyClick(window.get(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Summary(*window).substr(0, 2), "B:");
    window->Views().Tabs().setCurrentIndex(1);  // from Procedures too, which follows
    QTest::keyClick(window.get(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Summary(*window).substr(0, 2), "A:");
    EXPECT_EQ(window->Views().ProceduresView().currentIndex().data().toString(), "A");
    QTest::keyClick(window.get(), Qt::Key_Left, Qt::AltModifier);  // the first: stays
    EXPECT_EQ(Summary(*window).substr(0, 2), "A:");
    QTest::keyClick(window.get(), Qt::Key_Right, Qt::AltModifier);
    QTest::keyClick(window.get(), Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(Summary(*window).substr(0, 5), "Main:");
    // A new choice after going back drops what lay ahead.
    QTest::keyClick(window.get(), Qt::Key_Left, Qt::AltModifier);
    window->Views().Context().ChooseProcedure(ProcedureNamed(*window, "D"));
    EXPECT_FALSE(window->Views().Context().CanGoForward());
}

TEST_F(CallersViewTest, CollapsedRecursionShowsOneLevel) {
    auto window = StartOn(kRecursiveRun);
    CallersPage& page = Page(*window);
    window->Views().Context().ChooseProcedure(ProcedureNamed(*window, "A"), QStringLiteral("tabCallers"));
    window->findChild<QCheckBox*>(QStringLiteral("chkCollapseRecursionCallers"))->setChecked(true);
    EXPECT_EQ(Summary(*window), "A: 3 calls, own 25.000 ms, total 25.000 ms");
    EXPECT_THAT(Rows(page.Callers()), ElementsAre("Main 1 20.000", "B 1 4.000", "D 1 1.000"));
    EXPECT_EQ(page.Callees().rowCount(), 0);
    EXPECT_EQ(page.CalleesGraph().Layout().Rows.size(), 1u);  // A alone, its inner call folded in
}

TEST_F(CallersViewTest, TheFlameGraphInvertsAndCollapsesRecursion) {
    auto window = StartOn(kRecursiveRun);
    window->Views().Tabs().setCurrentIndex(2);
    FlameGraphView& graph = window->Views().FlameGraph();
    window->findChild<QRadioButton*>(QStringLiteral("optInverted"))->setChecked(true);
    ASSERT_EQ(graph.Mode(), FlameMode::Inverted);
    // At the top, each procedure with its own time: the flat profile's.
    std::map<std::string, double> own;
    const FlameLayout& inverted = graph.Layout();
    ASSERT_FALSE(inverted.Rows.empty());
    for (const int box : inverted.Rows[0]) {
        const FlameBox& b = inverted.Boxes[static_cast<std::size_t>(box)];
        own[graph.ToolTipOf(box).section('\n', 0, 0).toStdString()] = static_cast<double>(b.Width) / 1e6;
    }
    EXPECT_EQ(own, (std::map<std::string, double>{{"A", 25.0}, {"B", 6.0}, {"D", 9.0}, {"Main", 70.0}}));
    EXPECT_THAT(graph.DescriptionText().toStdString(), ::testing::StartsWith("Inverted"));

    // Merged: Main;A;A is a path of its own (seven in all), until recursion
    // is collapsed into Main;A.
    window->findChild<QRadioButton*>(QStringLiteral("optMerged"))->setChecked(true);
    EXPECT_EQ(graph.Layout().Boxes.size(), 7u);
    window->findChild<QCheckBox*>(QStringLiteral("chkCollapseRecursion"))->setChecked(true);
    EXPECT_EQ(graph.Layout().Boxes.size(), 6u);
    window->findChild<QCheckBox*>(QStringLiteral("chkCollapseRecursion"))->setChecked(false);
    EXPECT_EQ(graph.Layout().Boxes.size(), 7u);
}

// kivra peek gives the numbers the tab shows.
TEST_F(CallersViewTest, KivraPeekPrintsTheTabsNumbers) {
    auto window = StartOn(kRecursiveRun);
    CallersPage& page = Page(*window);
    window->Views().Context().ChooseProcedure(ProcedureNamed(*window, "A"), QStringLiteral("tabCallers"));
    QProcess kivra;
    kivra.start(
        QCoreApplication::applicationDirPath() + QStringLiteral("/kivra"),
        {QStringLiteral("peek"), QStringLiteral("--json"), QString::fromStdString(tracePath), QStringLiteral("A")});
    ASSERT_TRUE(kivra.waitForFinished(20000));
    const QJsonArray procedures = QJsonDocument::fromJson(kivra.readAllStandardOutput())["procedures"].toArray();
    ASSERT_EQ(procedures.size(), 1);
    const QJsonObject a = procedures[0].toObject();
    EXPECT_EQ(a["name"].toString(), "A");
    EXPECT_EQ(a["calls"].toInt(), 4);
    EXPECT_EQ(a["total_ms"].toDouble(), 25.0);
    auto expectSame = [](const QJsonArray& edges, const CallEdgesModel& model) {
        ASSERT_EQ(edges.size(), model.rowCount());
        for (int row = 0; row < model.rowCount(); ++row) {
            const QJsonObject edge = edges[row].toObject();
            EXPECT_EQ(edge["name"].toString(), model.index(row, 0).data().toString());
            EXPECT_EQ(edge["calls"].toInt(), model.index(row, 1).data().toInt());
            EXPECT_DOUBLE_EQ(edge["total_ms"].toDouble(),
                             model.index(row, 2).data(CallEdgesModel::kValueRole).toDouble());
        }
    };
    expectSame(a["callers"].toArray(), page.Callers());
    expectSame(a["callees"].toArray(), page.Callees());
}

TEST_F(CallersViewTest, ControlsHaveNames) {
    auto window = StartOn(kRecursiveRun);
    EXPECT_EQ(window->Views().Tabs().tabText(kCallersTab), "Callers / Callees");
    CallersPage& page = Page(*window);
    EXPECT_EQ(page.ProcedureBox().accessibleName(), "Procedure");
    EXPECT_EQ(page.CallersView().accessibleName(), "Callers");
    EXPECT_EQ(page.CalleesView().accessibleName(), "Callees");
    EXPECT_EQ(window->findChild<QRadioButton*>(QStringLiteral("optInverted"))->accessibleName(), "Inverted");
}

// A stretch of the run: chosen by Shift+drag in the time order or a drag in
// the strip, said above the views, counted by every view but Compare.
TEST_F(CallersViewTest, ARangeCountsOnlyTheTimeInsideIt) {
    auto window = StartOn(kRecursiveRun);
    TraceViews& views = window->Views();
    views.Tabs().setCurrentIndex(2);
    QApplication::processEvents();
    FlameGraphView& graph = views.FlameGraph();
    graph.ShowWholeRun();
    // The time order starts at Main's start (0 ms): 15 to 35 ms of the run.
    const auto x = [&](double ms) {
        return static_cast<int>((ms * 1e6 - graph.ViewBegin()) * graph.width() / graph.ViewSpan());
    };
    QTest::mousePress(&graph, Qt::LeftButton, Qt::ShiftModifier, QPoint(x(15), 5));
    QTest::mouseMove(&graph, QPoint(x(35), 5));
    QTest::mouseRelease(&graph, Qt::LeftButton, Qt::ShiftModifier, QPoint(x(35), 5));
    auto* line = window->findChild<QLabel*>(QStringLiteral("lblRange"));
    ASSERT_TRUE(line->isVisible());
    const std::string text = line->text().toStdString();
    EXPECT_THAT(text, ::testing::StartsWith("Range: 1"));
    EXPECT_THAT(text, ::testing::HasSubstr("Compare compares the two runs whole."));

    // Exactly 15 to 35, as the context is told.
    views.SetRange(TimeRange{15, 35});
    EXPECT_EQ(line->text().toStdString(),
              "Range: 15.000 \u2013 35.000 ms (20.000 ms, 5 calls). Compare compares the two runs whole.");
    const ProcedureTable& table = views.Procedures().Table();
    auto entry = [&](const std::string& name) { return table.Procedure(ProcedureNamed(*window, name)); };
    // A 15-30 (its inner call 15-20) and A under B 31-35; B 30-35; Main 15-35.
    EXPECT_EQ(entry("A").Calls, 3);
    EXPECT_FLOAT_EQ(entry("A").Total, 19.0);
    EXPECT_FLOAT_EQ(entry("Main").Own, 0.0);
    EXPECT_FLOAT_EQ(entry("B").Own, 1.0);
    EXPECT_EQ(entry("D").Calls, 0);
    // The call tree keeps every row and fades the ones outside.
    CallTreePage& tree = views.Page<CallTreePage>();
    EXPECT_EQ(window->Model().Rows().size(), 7u);
    EXPECT_FALSE(tree.RowOutsideRange(1));
    EXPECT_FALSE(tree.RowOutsideRange(4));
    EXPECT_TRUE(tree.RowOutsideRange(5));  // D
    EXPECT_TRUE(tree.RowOutsideRange(6));  // the A that D calls
    // Callers / Callees counts the range too.
    views.Context().ChooseProcedure(ProcedureNamed(*window, "A"), QStringLiteral("tabCallers"));
    EXPECT_EQ(Summary(*window), "A: 3 calls, own 19.000 ms, total 19.000 ms");
    // The find bar counts the rows in the range only: Main and three A (not D's).
    views.OpenFind();
    window->findChild<QLineEdit*>(QStringLiteral("txtFind"))->setText(QStringLiteral("A"));
    views.Tabs().setCurrentIndex(0);
    EXPECT_THAT(views.Finder().CountText().toStdString(),
                ::testing::AnyOf(::testing::EndsWith("of 4"), ::testing::Eq("4 matches")));

    // A procedure's calls, for F3, are its calls in the range.
    views.ShowCallsOf(ProcedureNamed(*window, "A"));
    EXPECT_EQ(views.Finder().CountText().toStdString(), "1 of 3");

    // Copy writes the chosen rows in the range with their times inside it.
    views.Tabs().setCurrentIndex(0);
    QItemSelectionModel& chosen = *window->Grid().selectionModel();
    chosen.select(window->Model().IndexOfRow(1), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    chosen.select(window->Model().IndexOfRow(5), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    tree.CopyRows();
    const std::string copied = QGuiApplication::clipboard()->text().toStdString();
    EXPECT_THAT(copied, ::testing::HasSubstr("15.000"));  // A from 15 to 30
    EXPECT_THAT(copied, ::testing::HasSubstr("10.000"));  // its own time there
    EXPECT_EQ(copied.find("D "), std::string::npos) << copied;

    // Esc in the strip clears it: every view counts the whole run again.
    views.Tabs().setCurrentIndex(2);
    auto& strip = views.Page<FlameGraphPage>().Strip();
    strip.setFocus();
    QTest::keyClick(&strip, Qt::Key_Escape);
    EXPECT_FALSE(line->isVisible());
    EXPECT_EQ(entry("A").Calls, 4);
    EXPECT_FALSE(tree.RowOutsideRange(5));
    // A drag in the strip chooses one again; Clear range forgets it.
    QTest::mousePress(&strip, Qt::LeftButton, {}, QPoint(2, 5));
    QTest::mouseMove(&strip, QPoint(strip.width() / 2, 5));
    QTest::mouseRelease(&strip, Qt::LeftButton, {}, QPoint(strip.width() / 2, 5));
    EXPECT_TRUE(line->isVisible());
    window->findChild<QToolButton*>(QStringLiteral("cmdClearRange"))->click();
    EXPECT_FALSE(line->isVisible());
}

// "Save image..." writes what the graph shows, as SVG or PNG by the name.
TEST_F(CallersViewTest, TheFlameGraphIsSavedAsAPicture) {
    auto window = StartOn(kRecursiveRun);
    window->Views().Tabs().setCurrentIndex(2);
    QApplication::processEvents();
    FlameGraphView& graph = window->Views().FlameGraph();
    const QString svg = QString::fromStdString(WriteTrace("shown.svg", "old"));
    const QString png = QString::fromStdString(WriteTrace("shown.png", "old"));
    desktop.files.answers = {svg, png, std::nullopt,
                             QString::fromStdString(WriteTrace("x", "")) + "/no/such/folder.svg"};
    auto* save = window->findChild<QToolButton*>(QStringLiteral("cmdSaveImage"));
    ASSERT_NE(save, nullptr);
    save->click();
    ASSERT_EQ(desktop.files.asked.size(), 1u);
    EXPECT_THAT(desktop.files.asked[0].initial.toStdString(), ::testing::EndsWith("run-flamegraph.svg"));
    QFile written(svg);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(written.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("<svg"))) << text.left(200).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral(">Main<"))) << "the boxes' names are text";
    EXPECT_TRUE(text.contains(QStringLiteral("Time order")));  // the description says what is shown
    save->click();
    const QImage image(png);
    EXPECT_EQ(image.size(), graph.size());
    save->click();  // cancelled: nothing written, nothing said
    EXPECT_TRUE(desktop.reporter.messages.empty());
    save->click();  // a place that cannot be written is said
    ASSERT_EQ(desktop.reporter.messages.size(), 1u);
    EXPECT_THAT(desktop.reporter.messages[0].text, ::testing::HasSubstr("could not be written"));
}

}  // namespace
}  // namespace kivra
