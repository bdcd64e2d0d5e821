// The analyzer's views driven from the keyboard on a real X server, with a
// window manager giving the focus and without one: Ctrl+F puts the caret in
// the find bar, Esc gives the focus back to the table, F3 steps without
// taking it, and the call tree's context menu opens with its keys shown.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWindow>

#include <gtest/gtest.h>

#include "../gui/AnalyzerWindowFixture.h"
#include "DesktopSession.h"
#include "FindBar.h"
#include "TraceViews.h"

namespace kivra {
namespace {

class ViewsKeyboardTest : public test::AnalyzerWindowFixture {
protected:
    std::unique_ptr<frmMain> StartActive() {
        auto window = Start({QString::fromStdString(WriteTrace("run.pad", test::kTrace))});
        window->activateWindow();
        EXPECT_TRUE(test::WaitFor([&] { return window->isActiveWindow(); })) << "the window did not become active";
        test::Settle(100);
        return window;
    }
};

TEST_F(ViewsKeyboardTest, FindBarTakesAndGivesBackTheFocus) {
    auto window = StartActive();
    window->Grid().setFocus();
    ASSERT_TRUE(test::WaitFor([&] { return QApplication::focusWidget() == &window->Grid(); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    auto* box = window->findChild<QLineEdit*>(QStringLiteral("txtFind"));
    ASSERT_TRUE(test::WaitFor([&] { return QApplication::focusWidget() == box; }));
    QTest::keyClicks(box, QStringLiteral("C"));
    EXPECT_EQ(window->Views().Finder().CountText(), "1 of 1");
    EXPECT_EQ(window->Model().Cell(TraceTableModel::RowOf(window->Grid().currentIndex()), kColCodeTrace), "C");
    QTest::keyClick(box, Qt::Key_F3);
    EXPECT_EQ(QApplication::focusWidget(), box);  // stepping leaves the caret where it is
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(test::WaitFor([&] { return QApplication::focusWidget() == &window->Grid(); }));
    EXPECT_FALSE(window->Views().Finder().isVisible());
}

TEST_F(ViewsKeyboardTest, ContextMenuShowsTheTreesActionsAndCopies) {
    auto window = StartActive();
    QTreeView& grid = window->Grid();
    grid.setCurrentIndex(window->Model().IndexOfRow(1));
    QStringList shown;
    QTimer::singleShot(0, [&] {
        // The menu is modal: read it, then choose "Copy" from it.
        ASSERT_TRUE(test::WaitFor([] { return QApplication::activePopupWidget() != nullptr; }));
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator()) shown << action->text();
        }
        for (QAction* action : menu->actions()) {
            if (action->text() == "Copy") menu->setActiveAction(action);
        }
        QTest::keyClick(menu, Qt::Key_Return);
    });
    const QPoint at = grid.visualRect(window->Model().IndexOfRow(1)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid.viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid.viewport(), &event);
    EXPECT_EQ(shown, QStringList({"Expand hot path", "Expand all", "Collapse all", "Expand children",
                                  "Show in Procedures", "Callers / Callees", "Copy"}));
    EXPECT_TRUE(test::WaitFor([] { return QGuiApplication::clipboard()->text().startsWith("       B "); }))
        << QGuiApplication::clipboard()->text().toStdString();
}

}  // namespace
}  // namespace kivra
