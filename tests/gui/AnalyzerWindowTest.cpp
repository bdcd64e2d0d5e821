#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <fstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "AnalyzerWindowFixture.h"
#include "DefaultSettings.h"
#include "ProgramValues.h"
#include "SettingsSandbox.h"
#include "TimeBar.h"
#include "TraceTableModel.h"
#include "Twips.h"
#include "frmMain.h"

namespace kivra {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

using AnalyzerWindowTest = test::AnalyzerWindowFixture;
using test::kTrace;

// Header captions keep the design's widths: a long one ends in "…" and
// shows its whole text as its tooltip; a short one has no tooltip.
TEST_F(AnalyzerWindowTest, LongHeaderCaptionsAreCutWithTheirWholeTextAsTooltip) {
    const std::string trace =
        "header 1\r\nRun Date: 2026-12-17 14:32:07\r\nheader 3\r\nResolution: performance "
        "counter, 0.000100 ms\r\nh5\r\nh6\r\nh7\r\nA|1|1|0|10|||\r\n";
    auto window = Start({QString::fromStdString(WriteTrace("long.pad", trace))});
    window->show();
    (void)window->grab();
    auto* resolution = Control<QLabel>(*window, "lblResolution");
    EXPECT_EQ(resolution->text(), "Resolution: performance counter, 0.000100 ms");
    EXPECT_EQ(resolution->toolTip(), resolution->text());
    EXPECT_EQ(Control<QLabel>(*window, "Label1")->toolTip(), "");
    // Short again after a load of a short one: the tooltip goes.
    resolution->setText(QStringLiteral("Resolution: 1 ms"));
    (void)window->grab();
    EXPECT_EQ(resolution->toolTip(), "");
}

TEST_F(AnalyzerWindowTest, QuotedArgumentIsLoadedWithoutTouchingLastFile) {
    const std::string trace = WriteTrace("run.pad", kTrace);
    Settings("Application", "LastFile", "/somewhere/else.pad");
    auto window = Start({QString::fromStdString("\"" + trace + "\"")});
    EXPECT_THAT(Labels(*window), ElementsAre("A", "B", "C", "D", "E"));
    EXPECT_EQ(Control<QLabel>(*window, "lblRunDate")->text(), "Run Date: 12/7/2026");
    EXPECT_EQ(Control<QLabel>(*window, "lblResolution")->text(), "Resolution: 1 ms");
    EXPECT_EQ(Control<QLineEdit>(*window, "txtFile")->text(), "/somewhere/else.pad");
    EXPECT_EQ(Stored("Application", "LastFile"), "/somewhere/else.pad");
    // Update reads the argument's file again.
    QTest::mouseClick(Control<QToolButton>(*window, "cmdGo"), Qt::LeftButton);
    EXPECT_EQ(window->Model().RowCount(), 5);
    EXPECT_TRUE(desktop.reporter.messages.empty());
}

TEST_F(AnalyzerWindowTest, NoArgumentAndNoLastFileShowsTheEmptyTable) {
    auto window = Start();
    EXPECT_EQ(window->windowTitle(), "Kivra Analyzer");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Model().RowCount(), 0);
    EXPECT_EQ(window->Model().columnCount(), 8);
    EXPECT_EQ(Control<QLabel>(*window, "lblRunDate")->text(), "Run Date:");
    EXPECT_TRUE(desktop.reporter.messages.empty());
}

TEST_F(AnalyzerWindowTest, TableShowsTheTreeWithItsColumns) {
    Settings("Application", "LastFile", WriteTrace("run.pad", kTrace));
    Settings("Application", "Format", "0.00");
    auto window = Start();
    const TraceTableModel& model = window->Model();
    ASSERT_EQ(model.RowCount(), 5);
    EXPECT_EQ(model.RowLevel(1), 1);
    EXPECT_EQ(model.RowLevel(3), 0);
    std::vector<std::string> b;
    for (int column = 0; column < kTraceColumnCount; ++column) b.push_back(model.Cell(1, column));
    EXPECT_THAT(b, ElementsAre("B", "3.00", "3.00", "x, y", "log", "out", "2", "2"));
    EXPECT_EQ(model.Cell(0, kColTime), "3.00");  // 10 less 3 less 4
    // Rows start expanded; Order and Depth are hidden; the times are right-aligned.
    const QTreeView& grid = window->Grid();
    EXPECT_TRUE(model.IsExpanded(0));
    EXPECT_TRUE(grid.isColumnHidden(kColOrder));
    EXPECT_TRUE(grid.isColumnHidden(kColDepth));
    EXPECT_EQ(model.IndexOfRow(1, kColTime).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(model.headerData(kColTotal, Qt::Horizontal, Qt::DisplayRole).toString(), "Total (ms)");
    EXPECT_EQ(grid.columnWidth(kColCodeTrace), 300);
    EXPECT_EQ(grid.visualRect(model.IndexOfRow(1)).height(), 20);
    EXPECT_FLOAT_EQ(window->BarScale(), 4.0f);  // C's and D's own times are the largest
}

TEST_F(AnalyzerWindowTest, CancelledFileDialogChangesNothing) {
    const std::string trace = WriteTrace("run.pad", kTrace);
    Settings("Application", "LastFile", trace);
    auto window = Start();
    desktop.files.answers.push_back(std::nullopt);
    QTest::mouseClick(Control<QToolButton>(*window, "cmdSelect"), Qt::LeftButton);
    ASSERT_EQ(desktop.files.asked.size(), 1u);
    EXPECT_EQ(desktop.files.asked[0].initial.toStdString(), trace);
    EXPECT_EQ(desktop.files.asked[0].filter, "(*.pad)");
    EXPECT_EQ(Stored("Application", "LastFile"), trace);
    EXPECT_EQ(Control<QLineEdit>(*window, "txtFile")->text().toStdString(), trace);
    EXPECT_EQ(window->Model().RowCount(), 5);
}

TEST_F(AnalyzerWindowTest, ChosenFileIsStoredEvenWhenItCannotBeRead) {
    auto window = Start();
    const std::string broken = WriteTrace("broken.pad", "only\r\ntwo lines\r\n");
    desktop.files.answers.push_back(QString::fromStdString(broken));
    QTest::mouseClick(Control<QToolButton>(*window, "cmdSelect"), Qt::LeftButton);
    EXPECT_EQ(desktop.files.asked[0].initial.toStdString(), QDir::tempPath().toStdString() + "/Kivra");
    EXPECT_EQ(Stored("Application", "LastFile"), broken);
    EXPECT_EQ(Control<QLineEdit>(*window, "txtFile")->text().toStdString(), broken);
    ASSERT_EQ(desktop.reporter.messages.size(), 1u);
    EXPECT_EQ(desktop.reporter.messages[0].icon, MessageIcon::Critical);
    EXPECT_THAT(desktop.reporter.messages[0].text, HasSubstr(broken));
    EXPECT_EQ(window->Model().RowCount(), 0);
}

TEST_F(AnalyzerWindowTest, AFileThatFailsAfterItsHeaderShowsItsHeader) {
    auto window = Start({QString::fromStdString(WriteTrace("good.pad", kTrace))});
    ASSERT_EQ(Control<QLabel>(*window, "lblRunDate")->text(), "Run Date: 12/7/2026");
    const std::string bad =
        WriteTrace("bad.pad",
                   "h1\r\nRun Date: BAD-FILE-DATE\r\nh3\r\nResolution: BAD-RES\r\nh5\r\nh6\r\nh7\r\n"
                   "A|1|1|0|10|||\r\nB|x|2|1|2|||\r\n");
    desktop.files.answers.push_back(QString::fromStdString(bad));
    QTest::mouseClick(Control<QToolButton>(*window, "cmdSelect"), Qt::LeftButton);
    ASSERT_EQ(desktop.reporter.messages.size(), 1u);
    EXPECT_EQ(desktop.reporter.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(window->Model().RowCount(), 0);
    // The captions describe the file just tried, not the one before it.
    EXPECT_EQ(Control<QLabel>(*window, "lblRunDate")->text(), "Run Date: BAD-FILE-DATE");
    EXPECT_EQ(Control<QLabel>(*window, "lblResolution")->text(), "Resolution: BAD-RES");
    // A file too short to have them leaves the captions as they were.
    desktop.files.answers.push_back(QString::fromStdString(WriteTrace("short.pad", "h1\r\nRun Date: SHORT\r\n")));
    QTest::mouseClick(Control<QToolButton>(*window, "cmdSelect"), Qt::LeftButton);
    EXPECT_EQ(desktop.reporter.messages.size(), 2u);
    EXPECT_EQ(Control<QLabel>(*window, "lblRunDate")->text(), "Run Date: BAD-FILE-DATE");
}

TEST_F(AnalyzerWindowTest, ChosenFileStaysInForceOverTheArgument) {
    const std::string first = WriteTrace("first.pad", kTrace);
    const std::string second = WriteTrace("second.pad", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\nOnly|1|1|0|1|||\r\n");
    auto window = Start({QString::fromStdString(first)});
    EXPECT_EQ(window->Model().RowCount(), 5);
    desktop.files.answers.push_back(QString::fromStdString(second));
    QTest::mouseClick(Control<QToolButton>(*window, "cmdSelect"), Qt::LeftButton);
    QTest::mouseClick(Control<QToolButton>(*window, "cmdGo"), Qt::LeftButton);
    EXPECT_THAT(Labels(*window), ElementsAre("Only"));
}

TEST_F(AnalyzerWindowTest, ResizeMovesAboutAndStretchesTheTableArea) {
    auto window = Start();
    const double dpi = LogicalDpi(window.get());
    ResizeOuter(*window, 15000, 5000);
    const double w = PixelsToTwips(window->frameGeometry().width(), dpi);
    const double h = PixelsToTwips(window->frameGeometry().height(), dpi);
    EXPECT_EQ(Control<QToolButton>(*window, "cmdAbout")->x(), TwipsToPixels(w - 1000, dpi));
    EXPECT_EQ(Control<QLabel>(*window, "lblAbout")->x(), TwipsToPixels(w - 1000, dpi));
    // The grid sits in the first tab of the table area, which takes its place.
    QWidget* area = Control<QWidget>(*window, "tableArea");
    EXPECT_EQ(area->pos(), QPoint(TwipsToPixels(180, dpi), TwipsToPixels(960, dpi)));
    EXPECT_EQ(area->width(), TwipsToPixels(w - 500, dpi));
    EXPECT_EQ(area->height(), TwipsToPixels(h - 1600, dpi));
    EXPECT_TRUE(area->isAncestorOf(&window->Grid()));
}

// Made as small as it goes (520 px wide and less): the top controls keep
// clear of each other and inside the window, and the table keeps a height.
TEST_F(AnalyzerWindowTest, TheWindowIsNeverSmallerThanItsTopControls) {
    auto window = Start();
    window->show();
    window->resize(520, 200);
    QApplication::processEvents();
    auto* about = Control<QToolButton>(*window, "cmdAbout");
    const QRect inside = window->centralWidget()->rect();
    for (const char* name : {"cmdSelect", "cmdGo", "cmdAutoSize", "cmdCopyPrint", "cmdConfig", "cmdAbout"}) {
        const QRect control = Control<QToolButton>(*window, name)->geometry();
        EXPECT_TRUE(inside.contains(control)) << name;
        if (std::string(name) != "cmdAbout") {
            EXPECT_FALSE(control.intersects(about->geometry())) << name;
        }
    }
    for (const char* name : {"Label3", "Label5", "Label2", "Label4"}) {
        const QRect label = Control<QLabel>(*window, name)->geometry();
        EXPECT_TRUE(inside.contains(label)) << name;
        EXPECT_FALSE(label.intersects(about->geometry())) << name;
    }
    EXPECT_FALSE(Control<QLineEdit>(*window, "txtFile")->geometry().intersects(about->geometry()));
    EXPECT_GT(Control<QWidget>(*window, "tableArea")->height(), 50);
}

TEST_F(AnalyzerWindowTest, ShutdownStoresPlacementAndColumnsEvenWithNothingLoaded) {
    Settings("Application", "ShowTotal", "0");
    Settings("Columns", "4", "x");  // not a number: 100
    auto window = Start();
    const double dpi = LogicalDpi(window.get());
    ResizeOuter(*window, 13500, 6000);
    window->move(TwipsToPixels(1500, dpi), TwipsToPixels(750, dpi));
    window->Grid().setColumnWidth(kColDataLog, 222);
    window->close();
    EXPECT_EQ(Stored("Window", "Width"), "13500");
    EXPECT_EQ(Stored("Window", "Height"), "6000");
    EXPECT_EQ(Stored("Window", "Left"), "1500");
    EXPECT_EQ(Stored("Window", "Top"), "750");
    EXPECT_EQ(Stored("Columns", "1"), "300");
    EXPECT_EQ(Stored("Columns", "2"), "0");
    EXPECT_EQ(Stored("Columns", "3"), "100");
    EXPECT_EQ(Stored("Columns", "4"), "100");
    EXPECT_EQ(Stored("Columns", "5"), "222");
    EXPECT_EQ(Stored("Columns", "6"), "150");
}

TEST_F(AnalyzerWindowTest, HiddenTotalColumnComesBackAtAHundred) {
    Settings("Columns", "2", "0");
    Settings("Application", "ShowTotal", "True");
    auto window = Start();
    EXPECT_EQ(Stored("Columns", "2"), "100");
    EXPECT_FALSE(window->Grid().isColumnHidden(kColTotal));
    EXPECT_EQ(window->Grid().columnWidth(kColTotal), 100);
}

TEST_F(AnalyzerWindowTest, PlacementIsRestoredAndPulledBackOntoAScreen) {
    Settings("Window", "Width", "13500");
    Settings("Window", "Height", "junk");
    Settings("Window", "Left", "-900000");
    Settings("Window", "Top", "300");
    auto window = Start();
    const double dpi = LogicalDpi(window.get());
    EXPECT_EQ(window->frameGeometry().width(), TwipsToPixels(13500, dpi));
    EXPECT_EQ(window->height(), TwipsToPixels(10200, dpi));  // a value that is no number leaves it
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.intersects(window->frameGeometry()));
}

// Auto size and Update read the file again: the row chosen before (the same
// Order) is chosen again; another file starts at no row.
TEST_F(AnalyzerWindowTest, AReloadComesBackToTheChosenRow) {
    Settings("Application", "LastFile", WriteTrace("run.pad", kTrace));
    auto window = Start();
    window->Grid().setCurrentIndex(window->Model().IndexOfRow(3));
    const std::int32_t order = window->Model().Rows()[3].order;
    QTest::mouseClick(Control<QToolButton>(*window, "cmdAutoSize"), Qt::LeftButton);
    ASSERT_TRUE(window->Grid().currentIndex().isValid());
    EXPECT_EQ(
        window->Model().Rows()[static_cast<std::size_t>(TraceTableModel::RowOf(window->Grid().currentIndex()))].order,
        order);
    QTest::mouseClick(Control<QToolButton>(*window, "cmdGo"), Qt::LeftButton);
    EXPECT_EQ(TraceTableModel::RowOf(window->Grid().currentIndex()), 3);
    Settings("Application", "LastFile", WriteTrace("other.pad", kTrace));
    QTest::mouseClick(Control<QToolButton>(*window, "cmdGo"), Qt::LeftButton);
    EXPECT_FALSE(window->Grid().currentIndex().isValid() && TraceTableModel::RowOf(window->Grid().currentIndex()) == 3);
}

TEST_F(AnalyzerWindowTest, AutoSizeFitsColumnsUntilTheNextUpdate) {
    Settings("Application", "LastFile", WriteTrace("run.pad", kTrace));
    Settings("Columns", "4", "400");
    auto window = Start();
    QTest::mouseClick(Control<QToolButton>(*window, "cmdAutoSize"), Qt::LeftButton);
    EXPECT_LT(window->Grid().columnWidth(kColDataIn), 400);
    QTest::mouseClick(Control<QToolButton>(*window, "cmdGo"), Qt::LeftButton);
    EXPECT_EQ(window->Grid().columnWidth(kColDataIn), 400);
}

TEST_F(AnalyzerWindowTest, TaggerStartsFromTheProgramsFolder) {
    auto window = Start();
    QTest::mouseClick(Control<QToolButton>(*window, "cmdKivraTag"), Qt::LeftButton);
    ASSERT_EQ(desktop.processes.started.size(), 1u);
    EXPECT_TRUE(desktop.processes.started[0].endsWith("/Kivra Tag"));
    EXPECT_TRUE(desktop.processes.lastArguments.isEmpty());
    EXPECT_TRUE(desktop.reporter.messages.empty());

    desktop.processes.succeed = false;
    QTest::mouseClick(Control<QToolButton>(*window, "cmdKivraTag"), Qt::LeftButton);
    ASSERT_EQ(desktop.reporter.messages.size(), 1u);
    EXPECT_THAT(desktop.reporter.messages[0].text, HasSubstr("Kivra Tag"));
    EXPECT_THAT(desktop.reporter.messages[0].text, HasSubstr(desktop.processes.started[1].toStdString()));
}

TEST_F(AnalyzerWindowTest, HelpKeyNamesAMissingHelpFile) {
    desktop.programFolder = sandbox.Profile();
    auto window = Start();
    QTest::keyClick(window.get(), Qt::Key_F1);
    ASSERT_EQ(desktop.reporter.messages.size(), 1u);
    EXPECT_THAT(desktop.reporter.messages[0].text, HasSubstr("Kivra.html"));
    EXPECT_TRUE(desktop.opener.opened.isEmpty());
}

TEST_F(AnalyzerWindowTest, MissingStartWithNoRowIsAMessage) {
    Settings("Application", "LastFile", WriteTrace("run.pad", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n|0|1|0|1|||\r\n"));
    auto window = Start();
    EXPECT_EQ(window->Model().RowCount(), 0);
    ASSERT_EQ(desktop.reporter.messages.size(), 1u);
    EXPECT_EQ(desktop.reporter.messages[0],
              (Message{"No Pushed in Name? <<< Missing Start", MessageIcon::Exclamation, ""}));
}

TEST(TimeBarTest, BarGeometry) {
    float scale = 50.0f;
    const CellRect cell{100, 20, 200, 40};
    const TimeBarLayout full = LayoutTimeBar(cell, 50.0f, scale);
    EXPECT_EQ(full.background, (CellRect{100, 20, 199, 39}));
    EXPECT_EQ(full.bar, (CellRect{101, 22, 197, 37}));  // right edge at r - 3
    EXPECT_EQ(full.text, (CellRect{101, 22, 198, 37}));
    EXPECT_EQ(full.textBesideBar, (CellRect{197, 22, 198, 37}));

    const TimeBarLayout zero = LayoutTimeBar(cell, 0.0f, scale);
    EXPECT_EQ(zero.x, 100);  // no bar reaches into the text rectangle
    EXPECT_EQ(zero.textBesideBar, (CellRect{100, 22, 198, 37}));

    // Halves go to the even pixel: 25 of 50 over 97 pixels is 48.5, and
    // the whole sum is rounded: 100 + 48.5 gives 148, 101 + 48.5 gives 150.
    EXPECT_EQ(LayoutTimeBar(cell, 25.0f, scale).x, 148);
    EXPECT_EQ(LayoutTimeBar(CellRect{101, 20, 201, 40}, 25.0f, scale).x, 150);

    float unset = 0.0f;
    const TimeBarLayout defaulted = LayoutTimeBar(cell, 9999.0f, unset);
    EXPECT_EQ(unset, kDefaultBarScale);
    EXPECT_EQ(defaulted.x, 197);
}

TEST_F(AnalyzerWindowTest, TimeBarIsPaintedInTheHighlightColour) {
    Settings("Application", "LastFile", WriteTrace("run.pad", kTrace));
    auto window = Start();
    QTreeView& grid = window->Grid();
    const QModelIndex d = window->Model().IndexOfRow(3, kColTime);  // D holds the largest own time
    const QRect cell = grid.visualRect(d);
    const QImage image = grid.viewport()->grab().toImage();
    const QColor highlight = grid.palette().color(QPalette::Highlight);
    // Left of the text, inside the full-width bar.
    EXPECT_EQ(image.pixelColor(cell.left() + 3, cell.top() + 4).rgb(), highlight.rgb());
    // The background row below the bar.
    EXPECT_EQ(image.pixelColor(cell.left() + 3, cell.bottom() - 1).rgb(), grid.palette().color(QPalette::Base).rgb());
}

}  // namespace
}  // namespace kivra
