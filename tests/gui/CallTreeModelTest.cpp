// The call tree's model and view at the sizes of real runs: expansion kept in
// the model, a flat list of the shown rows, indexes that follow their rows.
#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "AnalyzerWindowFixture.h"
#include "CallTreeView.h"
#include "TableSnapshot.h"
#include "TraceGenerator.h"
#include "TraceTableModel.h"

namespace kivra {
namespace {

// Main with a loop of `loop` callees, every tenth of which calls Helper,
// which calls Leaf; then a second top-level call.
std::vector<TableRow> LoopRows(int loop) {
    std::vector<TableRow> rows;
    auto add = [&](std::string_view label, int parent) {
        TableRow& row = rows.emplace_back();
        row.label = label;
        row.parent = parent;
        row.total = "1.000";
        row.time = "1.000";
        row.order = static_cast<std::int32_t>(rows.size());
        return static_cast<int>(rows.size()) - 1;
    };
    const int main = add("Main", -1);
    for (int i = 0; i < loop; ++i) {
        const int callee = add("Callee", main);
        if (i % 10 == 0) add("Leaf", add("Helper", callee));
    }
    add("Last", -1);
    return rows;
}

TEST(CallTreeModelTest, PassesTheModelTesterPastSixteenBitsOfRows) {
    TraceTableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.SetRows(LoopRows(60000));  // 72,002 rows
    ASSERT_EQ(model.RowCount(), 72002);
    EXPECT_EQ(model.rowCount(), 72002);  // every branch starts open

    // A selection and a current row, kept across the changes by the model.
    QItemSelectionModel selection(&model);
    const int helper = 2;                  // the first Helper, under the first Callee
    int farHelper = model.RowCount() - 1;  // the last Helper
    while (model.Cell(farHelper, kColCodeTrace) != "Helper") --farHelper;
    const int lastCallee = model.RowCount() - 2;
    ASSERT_EQ(model.Cell(lastCallee, kColCodeTrace), "Callee");
    selection.setCurrentIndex(model.IndexOfRow(farHelper, kColTime), QItemSelectionModel::ClearAndSelect);

    model.CollapseAll();
    EXPECT_EQ(model.rowCount(), 2);  // Main and Last
    EXPECT_FALSE(model.IsShown(helper));
    EXPECT_FALSE(model.IndexOfRow(helper).isValid());
    EXPECT_FALSE(selection.currentIndex().isValid()) << "a hidden row is no longer current";

    model.SetExpanded(0, true);
    EXPECT_EQ(model.rowCount(), 2 + 60000);
    EXPECT_TRUE(model.IsShown(1));
    EXPECT_FALSE(model.IsShown(helper));  // its caller is still closed
    selection.setCurrentIndex(model.IndexOfRow(lastCallee), QItemSelectionModel::ClearAndSelect);

    // Opening one branch deep down moves the current row with its row.
    model.ExpandBranch(1);
    EXPECT_TRUE(model.IsShown(helper + 1));
    EXPECT_EQ(TraceTableModel::RowOf(selection.currentIndex()), lastCallee);
    EXPECT_EQ(selection.currentIndex(), model.IndexOfRow(lastCallee));
    EXPECT_EQ(model.index(selection.currentIndex().row(), 0).data().toString(), "Callee");

    // The callers of a row opened in one change; rows already open stay.
    model.CollapseAll();
    model.ExpandRows({0, farHelper - 1, farHelper});
    EXPECT_TRUE(model.IsShown(farHelper + 1));
    EXPECT_FALSE(model.IsShown(helper));
    EXPECT_EQ(model.rowCount(), 2 + 60000 + 2);

    model.ExpandAll();
    EXPECT_EQ(model.rowCount(), 72002);
    // Rows without callees have no button and count as not expanded.
    EXPECT_FALSE(model.HasChildren(helper + 1));
    EXPECT_FALSE(model.IsExpanded(helper + 1));
    model.SetExpanded(helper + 1, false);
    EXPECT_EQ(model.rowCount(), 72002);
}

TEST(CallTreeModelTest, ParentsAfterTheirRowsAreTopLevelRows) {
    TraceTableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    std::vector<TableRow> rows(3);
    rows[0].label = "A";
    rows[1].label = "B";
    rows[1].parent = 2;  // names a later row: taken as top level
    rows[2].label = "C";
    rows[2].parent = 0;
    model.SetRows(std::move(rows));
    EXPECT_EQ(model.ParentRow(1), -1);
    EXPECT_EQ(model.RowLevel(2), 1);
    EXPECT_FALSE(model.HasChildren(0)) << "A's subtree is the deeper rows after it: none";
}

class CallTreeViewTest : public test::AnalyzerWindowFixture {
protected:
    static QTreeView& grid(const frmMain& window) { return window.Grid(); }
};

TEST_F(CallTreeViewTest, ArrowKeysAndButtonsOpenAndCloseBranches) {
    auto window = Start({QString::fromStdString(WriteTrace("run.pad", test::kTrace))});  // A(B, C), D(E)
    window->show();
    QApplication::processEvents();
    TraceTableModel& model = window->Model();
    QTreeView& grid = window->Grid();
    grid.setFocus();
    grid.setCurrentIndex(model.IndexOfRow(0));
    QTest::keyClick(&grid, Qt::Key_Left);  // closes A
    EXPECT_FALSE(model.IsExpanded(0));
    EXPECT_EQ(model.rowCount(), 3);
    QTest::keyClick(&grid, Qt::Key_Right);  // opens A
    EXPECT_TRUE(model.IsExpanded(0));
    QTest::keyClick(&grid, Qt::Key_Right);  // to its first callee
    EXPECT_EQ(TraceTableModel::RowOf(grid.currentIndex()), 1);
    QTest::keyClick(&grid, Qt::Key_Left);  // a callee without callees: to its caller
    EXPECT_EQ(TraceTableModel::RowOf(grid.currentIndex()), 0);
    QTest::keyClick(&grid, Qt::Key_Minus);
    EXPECT_FALSE(model.IsExpanded(0));
    QTest::keyClick(&grid, Qt::Key_Plus);
    EXPECT_TRUE(model.IsExpanded(0));

    // A double click on a row opens or closes it; a click on its button too,
    // without selecting it.
    const QRect d = grid.visualRect(model.IndexOfRow(3));
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, d.center());
    EXPECT_FALSE(model.IsExpanded(3));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CallTreeView::ButtonRect(d, 0, grid.indentation()).center());
    EXPECT_TRUE(model.IsExpanded(3));
    // The tree column's text sits after the level's indentation.
    EXPECT_GT(CallTreeView::TextLeft(grid.visualRect(model.IndexOfRow(4)), model.RowLevel(4), grid.indentation()),
              CallTreeView::TextLeft(d, 0, grid.indentation()));
}

// Shift+F10 opens the tree's context menu from the keyboard.
TEST_F(CallTreeViewTest, ShiftF10OpensTheContextMenu) {
    auto window = Start({QString::fromStdString(WriteTrace("run.pad", test::kTrace))});
    window->show();
    QApplication::processEvents();
    QTreeView& grid = window->Grid();
    grid.setFocus();
    grid.setCurrentIndex(window->Model().IndexOfRow(1));
    QStringList shown;
    QTimer::singleShot(0, [&shown] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (const QAction* action : menu->actions()) shown << action->text();
            menu->close();
        }
    });
    QTest::keyClick(&grid, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(shown.contains(QStringLiteral("Expand hot path"))) << shown.join(QStringLiteral(", ")).toStdString();
}

TEST_F(CallTreeViewTest, ARunOfFortyThousandLoopCallsLoadsWholeAndReportsAsShown) {
    const std::string path = WriteTrace("loop.pad", bench::GeneratePadText(bench::RealRunShape(50000, 40000)));
    auto window = Start({QString::fromStdString(path)});
    window->show();
    QApplication::processEvents();
    TraceTableModel& model = window->Model();
    ASSERT_EQ(model.RowCount(), 50000);
    // The loop's caller and its 40,000 callees, each one level under it.
    int loop = -1;
    for (int row = 0; row < model.RowCount() && loop < 0; ++row) {
        if (model.Cell(row, kColCodeTrace) == "modImport.ImportRows") loop = row;
    }
    ASSERT_GE(loop, 0);
    int callees = 0;
    for (int row = loop + 1; row < model.RowCount() && model.ParentRow(row) == loop; ++row) ++callees;
    EXPECT_EQ(callees, 40000);
    for (int row = 0; row < model.RowCount(); ++row) {
        ASSERT_EQ(model.Cell(row, kColCodeTrace).find("<<<"), std::string::npos) << row;
    }
    // The report writes the shown rows only: the loop closed, one line for it.
    model.SetExpanded(loop, false);
    const std::string report = ReportOfTable(grid(*window), model);
    EXPECT_EQ(report, ReportText(SnapshotOf(grid(*window), model)));
    std::size_t lines = 0;
    for (const char c : report) lines += c == '\n' ? 1 : 0;
    EXPECT_EQ(lines, 2u + 50000u - 40000u);
}

}  // namespace
}  // namespace kivra
