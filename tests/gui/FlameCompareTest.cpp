// The analyzer's Flame Graph and Compare tabs in the window.
#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
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
#include <cmath>
#include <map>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "AnalyzerWindowFixture.h"
#include "CompareModel.h"
#include "FindBar.h"
#include "FlameGraphView.h"
#include "ProceduresModel.h"
#include "TraceGenerator.h"
#include "TraceViews.h"

namespace kivra {
namespace {

constexpr int kFlameTab = 2;
constexpr int kCompareTab = 4;

// Main calls A twice and B; A's second call calls C; D at the top level.
constexpr const char* kRun =
    "header 1\r\nRun Date: 12/8/2026\r\nheader 3\r\nResolution: 1 ms\r\nh5\r\nh6\r\nh7\r\n"
    "A|2|2|10|30|in-a|log-a|out-a\r\n"
    "B|3|2|30|40|||\r\n"
    "C|5|3|52|55|||\r\n"
    "A|4|2|50|60|||\r\n"
    "Main|1|1|0|100|||\r\n"
    "D|6|1|120|130|||\r\n";

class FlameCompareTest : public test::AnalyzerWindowFixture {
protected:
    std::unique_ptr<frmMain> StartOn(const std::string& text) {
        currentPath = WriteTrace("run.pad", text);
        auto window = Start({QString::fromStdString(currentPath)});
        window->resize(1000, 700);
        window->show();
        QApplication::processEvents();
        return window;
    }
    static FlameGraphView& Graph(const frmMain& window) { return window.Views().FlameGraph(); }
    static int CurrentRow(const frmMain& window) {
        const QModelIndex current = window.Grid().currentIndex();
        return current.isValid() ? TraceTableModel::RowOf(current) : -1;
    }
    static QPoint Centre(const FlameGraphView& graph, int box) { return graph.BoxRect(box).center().toPoint(); }

    std::string currentPath;
};

TEST_F(FlameCompareTest, ABoxAndATreeRowSelectEachOther) {
    auto window = StartOn(kRun);
    window->Views().Tabs().setCurrentIndex(kFlameTab);
    QApplication::processEvents();
    FlameGraphView& graph = Graph(*window);
    ASSERT_EQ(graph.Mode(), FlameMode::TimeOrder);
    // Box 4 is C, row 4 of the tree.
    QTest::mouseClick(&graph, Qt::LeftButton, {}, Centre(graph, 4));
    EXPECT_EQ(CurrentRow(*window), 4);
    EXPECT_EQ(window->Model().Cell(4, kColCodeTrace), "C");
    EXPECT_EQ(graph.SelectedBox(), 4);
    // The other way: a row chosen in the tree is outlined in the graph.
    window->Grid().setCurrentIndex(window->Model().IndexOfRow(2));
    EXPECT_EQ(graph.SelectedBox(), 2);
    // Merged: the box holding the call is outlined; a click leaves the tree alone.
    window->findChild<QRadioButton*>(QStringLiteral("optMerged"))->setChecked(true);
    EXPECT_EQ(graph.Mode(), FlameMode::Merged);
    window->Grid().setCurrentIndex(window->Model().IndexOfRow(3));  // A's second call
    EXPECT_EQ(graph.SelectedBox(), 1);                              // the one box of Main;A
    QTest::mouseClick(&graph, Qt::LeftButton, {}, Centre(graph, 0));
    EXPECT_EQ(graph.SelectedBox(), 0);
    EXPECT_EQ(CurrentRow(*window), 3);
    // Nothing under the pointer: nothing happens.
    QTest::mouseClick(&graph, Qt::LeftButton, {}, QPoint(5, graph.height() - 3));
    EXPECT_EQ(graph.SelectedBox(), 0);
}

TEST_F(FlameCompareTest, DoubleClickZoomsToABoxAndHomeShowsTheWholeRun) {
    auto window = StartOn(kRun);
    window->Views().Tabs().setCurrentIndex(kFlameTab);
    QApplication::processEvents();
    FlameGraphView& graph = Graph(*window);
    EXPECT_EQ(graph.ViewBegin(), 0.0);
    EXPECT_EQ(graph.ViewSpan(), 130e6);
    const QPoint at = Centre(graph, 3);  // A's second call, 50..60 ms
    QTest::mouseClick(&graph, Qt::LeftButton, {}, at);
    QTest::mouseDClick(&graph, Qt::LeftButton, {}, at);
    EXPECT_EQ(graph.ViewBegin(), 50e6);
    EXPECT_EQ(graph.ViewSpan(), 10e6);
    EXPECT_NEAR(graph.BoxRect(3).width(), graph.width(), 0.5);  // the box fills the width
    QTest::keyClick(&graph, Qt::Key_Home);
    EXPECT_EQ(graph.ViewBegin(), 0.0);
    EXPECT_EQ(graph.ViewSpan(), 130e6);
    // The wheel zooms around the pointer: the time under it stays there.
    const QPoint pointer(graph.width() / 4, 5);
    const double before = graph.ViewBegin() + pointer.x() * graph.ViewSpan() / graph.width();
    QWheelEvent wheel(pointer, graph.mapToGlobal(pointer), {}, QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&graph, &wheel);
    EXPECT_LT(graph.ViewSpan(), 130e6);
    EXPECT_NEAR(graph.ViewBegin() + pointer.x() * graph.ViewSpan() / graph.width(), before, 1e3);
    QTest::keyClick(&graph, Qt::Key_Escape);
    EXPECT_EQ(graph.ViewSpan(), 130e6);
}

// The keyboard does what the mouse does: + and - zoom around the middle,
// Enter zooms to the chosen box; the hint reads in the palette's text colour.
TEST_F(FlameCompareTest, KeysZoomAndTheHintIsReadable) {
    auto window = StartOn(kRun);
    window->Views().Tabs().setCurrentIndex(kFlameTab);
    QApplication::processEvents();
    FlameGraphView& graph = Graph(*window);
    graph.setFocus();
    QTest::keyClick(&graph, Qt::Key_Plus);
    EXPECT_NEAR(graph.ViewSpan(), 104e6, 1.0);
    EXPECT_NEAR(graph.ViewBegin() + graph.ViewSpan() / 2, 65e6, 1.0);  // the middle stays
    QTest::keyClick(&graph, Qt::Key_Minus);
    EXPECT_NEAR(graph.ViewSpan(), 130e6, 1.0);
    QTest::keyClick(&graph, Qt::Key_Return);  // nothing chosen: nothing to zoom to
    EXPECT_NEAR(graph.ViewSpan(), 130e6, 1.0);
    QTest::mouseClick(&graph, Qt::LeftButton, {}, Centre(graph, 3));
    QTest::keyClick(&graph, Qt::Key_Return);
    EXPECT_EQ(graph.ViewBegin(), 50e6);
    EXPECT_EQ(graph.ViewSpan(), 10e6);

    auto* hint = window->findChild<QLabel*>(QStringLiteral("lblFlameHint"));
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isEnabled());
    auto luminance = [](const QColor& colour) {
        auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
    };
    const double text = luminance(hint->palette().color(QPalette::WindowText));
    const double ground = luminance(hint->palette().color(QPalette::Window));
    EXPECT_GE((std::max(text, ground) + 0.05) / (std::min(text, ground) + 0.05), 4.5);
}

TEST_F(FlameCompareTest, ArrowKeysMoveToCallerCalleeAndSibling) {
    auto window = StartOn(kRun);
    window->Views().Tabs().setCurrentIndex(kFlameTab);
    FlameGraphView& graph = Graph(*window);
    graph.setFocus();
    QTest::keyClick(&graph, Qt::Key_Down);  // nothing chosen: the first top-level box
    EXPECT_EQ(graph.SelectedBox(), 0);
    QTest::keyClick(&graph, Qt::Key_Down);  // callers on top: down is a callee
    EXPECT_EQ(graph.SelectedBox(), 1);
    QTest::keyClick(&graph, Qt::Key_Right);
    EXPECT_EQ(graph.SelectedBox(), 2);
    QTest::keyClick(&graph, Qt::Key_Right);
    EXPECT_EQ(graph.SelectedBox(), 3);
    EXPECT_EQ(CurrentRow(*window), 3);  // the tree follows
    QTest::keyClick(&graph, Qt::Key_Up);
    EXPECT_EQ(graph.SelectedBox(), 0);
    window->findChild<QCheckBox*>(QStringLiteral("chkFlip"))->setChecked(true);
    QTest::keyClick(&graph, Qt::Key_Up);  // callers at the bottom: up is a callee
    EXPECT_EQ(graph.SelectedBox(), 1);
}

// Keys the graph has no use for reach the window, chosen box or not.
TEST_F(FlameCompareTest, OtherKeysGoOnFromTheGraph) {
    auto window = StartOn(kRun);
    window->Views().Tabs().setCurrentIndex(kFlameTab);
    FlameGraphView& graph = Graph(*window);
    graph.setFocus();
    ASSERT_FALSE(graph.SelectedBox().has_value());
    QTest::keyClick(&graph, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(window->Views().Tabs().currentIndex(), kFlameTab + 1);
}

TEST_F(FlameCompareTest, TooltipsSayWhatABoxStandsFor) {
    auto window = StartOn(kRun);
    FlameGraphView& graph = Graph(*window);
    EXPECT_EQ(graph.ToolTipOf(1).toStdString(),
              "A\nTotal: 20.000 ms\nOwn: 20.000 ms\nShare of the run: 18.2%\nData In: in-a\nData Log: log-a\n"
              "Data Out: out-a");
    window->findChild<QRadioButton*>(QStringLiteral("optMerged"))->setChecked(true);
    EXPECT_EQ(graph.ToolTipOf(1).toStdString(),
              "A\nTotal: 30.000 ms\nOwn: 27.000 ms\nShare of the run: 27.3%\nCalls: 2");
}

// Without a picture to see, the graph's accessible description says what is
// shown: the mode, the part of the run in view and the chosen box.
TEST_F(FlameCompareTest, TheGraphDescribesItselfToScreenReaders) {
    auto window = StartOn(kRun);
    FlameGraphView& graph = Graph(*window);
    EXPECT_EQ(graph.accessibleName(), "Flame graph");
    EXPECT_EQ(graph.accessibleDescription(), "Time order, the whole run");
    graph.ShowCall(1);  // A's first call
    EXPECT_EQ(graph.accessibleDescription().toStdString(),
              "Time order, the whole run. Chosen: A, Total: 20.000 ms, Own: 20.000 ms, Share of the run: 18.2%, "
              "Data In: in-a, Data Log: log-a, Data Out: out-a");
    graph.ZoomToBox(1);
    EXPECT_THAT(graph.accessibleDescription().toStdString(),
                ::testing::StartsWith("Time order, zoomed to 10.000 to 30.000 ms of 130.000 ms. Chosen: A,"));
    window->findChild<QRadioButton*>(QStringLiteral("optMerged"))->setChecked(true);
    EXPECT_THAT(graph.accessibleDescription().toStdString(), ::testing::StartsWith("Merged by call path"));
    const auto* accessible = QAccessible::queryAccessibleInterface(&graph);
    EXPECT_EQ(accessible->text(QAccessible::Description), graph.accessibleDescription());
}

TEST_F(FlameCompareTest, TheFindBarLightsUpMatchingBoxes) {
    auto window = StartOn(kRun);
    window->Views().Tabs().setCurrentIndex(kFlameTab);
    FlameGraphView& graph = Graph(*window);
    for (int box = 0; box < 6; ++box) EXPECT_FALSE(graph.Dimmed(box));
    window->Views().OpenFind();
    QTest::keyClicks(window->findChild<QLineEdit*>(QStringLiteral("txtFind")), QStringLiteral("a"));  // Main, A, A
    std::vector<bool> dimmed;
    for (int box = 0; box < 6; ++box) dimmed.push_back(graph.Dimmed(box));
    EXPECT_EQ(dimmed, (std::vector<bool>{false, false, true, false, true, true}));
    EXPECT_EQ(window->Views().Finder().CountText(), "1 of 3");
    QTest::keyClick(window->findChild<QLineEdit*>(QStringLiteral("txtFind")), Qt::Key_F3);
    EXPECT_EQ(graph.SelectedBox(), 1);
    // The data fields count too when asked, in time order.
    window->findChild<QCheckBox*>(QStringLiteral("chkDataFields"))->setChecked(true);
    window->findChild<QLineEdit*>(QStringLiteral("txtFind"))->setText(QStringLiteral("log-a"));
    EXPECT_FALSE(graph.Dimmed(1));
    EXPECT_TRUE(graph.Dimmed(3));
    window->findChild<QRadioButton*>(QStringLiteral("optMerged"))->setChecked(true);
    window->findChild<QLineEdit*>(QStringLiteral("txtFind"))->setText(QStringLiteral("^[BC]$"));
    window->findChild<QCheckBox*>(QStringLiteral("chkRegex"))->setChecked(true);
    dimmed.clear();
    for (int box = 0; box < 5; ++box) dimmed.push_back(graph.Dimmed(box));
    EXPECT_EQ(dimmed, (std::vector<bool>{true, true, false, false, true}));  // Main, A, B, C, D
    QTest::keyClick(window->findChild<QLineEdit*>(QStringLiteral("txtFind")), Qt::Key_Escape);
    EXPECT_FALSE(graph.Dimmed(0));
}

TEST_F(FlameCompareTest, CompareShowsTheNumbersOfKivraDiffAndSwaps) {
    bench::TraceShape shape;
    shape.calls = 1500;
    shape.seed = 11;
    const std::string baseline = WriteTrace("baseline.pad", bench::GeneratePadText(shape));
    shape.seed = 12;
    shape.calls = 1400;
    auto window = StartOn(bench::GeneratePadText(shape));
    CompareModel& model = window->Views().Comparison();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    window->Views().Tabs().setCurrentIndex(kCompareTab);
    desktop.files.answers.push_back(QString::fromStdString(baseline));
    QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("cmdCompareWith")), Qt::LeftButton);
    ASSERT_EQ(desktop.files.asked.size(), 1u);
    EXPECT_EQ(desktop.files.asked[0].filter, "(*.pad)");
    // The dialog says what the chosen file becomes.
    EXPECT_EQ(desktop.files.asked[0].title, "Choose the baseline (the run before your change)");

    auto diffJson = [&](const std::string& before, const std::string& after) {
        QProcess kivra;
        kivra.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kivra"),
                    {QStringLiteral("diff"), QStringLiteral("--json"), QString::fromStdString(before),
                     QString::fromStdString(after)});
        EXPECT_TRUE(kivra.waitForFinished(20000));
        return QJsonDocument::fromJson(kivra.readAllStandardOutput()).object();
    };
    auto expectSame = [&](const QJsonObject& expected) {
        const QJsonArray procedures = expected["procedures"].toArray();
        ASSERT_EQ(model.rowCount(), procedures.size());
        ASSERT_GT(procedures.size(), 30);
        auto near = [](double a, double b) { return std::abs(a - b) <= 1e-6 * std::max(1.0, std::abs(b)); };
        for (int row = 0; row < model.rowCount(); ++row) {
            // The first order is kivra's: the largest change first.
            const QJsonObject entry = procedures[row].toObject();
            auto cell = [&](DiffColumn column) {
                return model.index(row, static_cast<int>(column)).data(CompareModel::kValueRole).toDouble();
            };
            EXPECT_EQ(model.index(row, 0).data().toString(), entry["name"].toString());
            const QJsonObject old = entry["old"].toObject();
            const QJsonObject now = entry["new"].toObject();
            EXPECT_EQ(cell(DiffColumn::OldCalls), old["calls"].toInt());
            EXPECT_EQ(cell(DiffColumn::NewCalls), now["calls"].toInt());
            EXPECT_TRUE(near(cell(DiffColumn::OldOwn), old["own_ms"].toDouble()));
            EXPECT_TRUE(near(cell(DiffColumn::NewTotal), now["total_ms"].toDouble()));
            EXPECT_TRUE(near(cell(DiffColumn::Change), entry["own_change_ms"].toDouble()));
            const QString change = model.index(row, static_cast<int>(DiffColumn::Change)).data().toString();
            EXPECT_TRUE(change.startsWith('+') || change.startsWith('-') || change.startsWith(QChar(0x00B1)))
                << change.toStdString();
            const QVariant tint = model.index(row, 0).data(Qt::BackgroundRole);
            EXPECT_EQ(tint.isValid(), cell(DiffColumn::Change) != 0.0);
        }
    };
    expectSame(diffJson(baseline, currentPath));
    const QString summary = window->findChild<QLabel*>(QStringLiteral("lblCompareSummary"))->text();
    EXPECT_THAT(summary.toStdString(), ::testing::HasSubstr("Baseline: baseline.pad, current: the loaded run."));
    EXPECT_THAT(summary.toStdString(), ::testing::HasSubstr("Top-level total: baseline "));
    // A screen reader reads the summary line itself, and two-line headers as one phrase.
    auto* label = window->findChild<QLabel*>(QStringLiteral("lblCompareSummary"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name), summary);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::AccessibleTextRole).toString(), "Calls old");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Calls\nold");
    EXPECT_EQ(window->Views().Procedures().headerData(4, Qt::Horizontal, Qt::AccessibleTextRole).toString(),
              "Mean own (ms)");

    QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("cmdSwap")), Qt::LeftButton);
    expectSame(diffJson(currentPath, baseline));

    // Sorting by a header: numbers as numbers.
    window->Views().CompareView().sortByColumn(static_cast<int>(DiffColumn::NewOwn), Qt::DescendingOrder);
    std::vector<double> values;
    for (int row = 0; row < model.rowCount(); ++row) {
        values.push_back(
            model.index(row, static_cast<int>(DiffColumn::NewOwn)).data(CompareModel::kValueRole).toDouble());
    }
    EXPECT_TRUE(std::is_sorted(values.rbegin(), values.rend()));

    // Kept for the next start, and compared again there.
    window->close();
    EXPECT_EQ(Stored("View", "CompareFile"), baseline);
    auto again = Start({QString::fromStdString(currentPath)});
    EXPECT_EQ(again->Views().Comparison().rowCount(), model.rowCount());
}

TEST_F(FlameCompareTest, AnUnreadableBaselineIsReportedAndChangesNothing) {
    const std::string baseline = WriteTrace("baseline.pad", kRun);
    auto window = StartOn(std::string(kRun).replace(std::string(kRun).find("B|3|2|30|40"), 11, "B|3|2|30|45"));
    ASSERT_TRUE(window->Views().LoadBaseline(QString::fromStdString(baseline)));
    CompareModel& model = window->Views().Comparison();
    const int rows = model.rowCount();
    const QString summary = window->findChild<QLabel*>(QStringLiteral("lblCompareSummary"))->text();
    EXPECT_EQ(model.index(0, 0).data().toString(), "B");  // 5 ms slower
    EXPECT_EQ(model.index(0, static_cast<int>(DiffColumn::Change)).data().toString(), "+5.000");

    desktop.reporter.messages.clear();
    EXPECT_FALSE(window->Views().LoadBaseline(QString::fromStdString(WriteTrace("broken.pad", "not a trace"))));
    ASSERT_EQ(desktop.reporter.messages.size(), 1u);
    EXPECT_EQ(desktop.reporter.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(model.rowCount(), rows);
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("lblCompareSummary"))->text(), summary);
    EXPECT_EQ(window->Views().BaselinePath().toStdString(), baseline);

    // Update reads the current trace again and compares afresh.
    std::ofstream(currentPath, std::ios::binary) << kRun;
    window->cmdGo_Click();
    EXPECT_EQ(model.index(0, static_cast<int>(DiffColumn::Change)).data().toString(), QStringLiteral("0.000"));

    // A baseline that can no longer be read is compared as it was, and the
    // summary says so.
    std::ofstream(baseline, std::ios::binary) << "not a trace";
    window->cmdGo_Click();
    EXPECT_EQ(model.rowCount(), rows);
    EXPECT_THAT(window->findChild<QLabel*>(QStringLiteral("lblCompareSummary"))->text().toStdString(),
                ::testing::HasSubstr("The baseline could not be read again ("));
    std::ofstream(baseline, std::ios::binary) << kRun;

    // A reload that fails leaves nothing to compare with the baseline.
    std::ofstream(currentPath, std::ios::binary) << "not a trace";
    window->cmdGo_Click();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(window->findChild<QToolButton*>(QStringLiteral("cmdSwap"))->isEnabled());
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("lblCompareSummary"))->text(),
              "Baseline: baseline.pad. No run is loaded to compare with it.");

    // Clear forgets the baseline, for this run and the next start.
    auto* clear = window->findChild<QToolButton*>(QStringLiteral("cmdCompareClear"));
    ASSERT_TRUE(clear->isEnabled());
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_TRUE(window->Views().BaselinePath().isEmpty());
    EXPECT_FALSE(clear->isEnabled());
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("lblCompareSummary"))->text(),
              "No baseline: choose a trace to compare with.");
    std::ofstream(currentPath, std::ios::binary) << kRun;
    window->cmdGo_Click();
    EXPECT_EQ(model.rowCount(), 0);
    window->close();
    EXPECT_EQ(Stored("View", "CompareFile"), "");
}

}  // namespace
}  // namespace kivra
