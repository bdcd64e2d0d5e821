// Window placement on a real X server, framed by a real window manager or
// not framed at all: starting and closing the analyzer changes nothing that
// it stores, and the dialogs centre their frames.
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <map>

#include <gtest/gtest.h>

#include "../gui/AnalyzerWindowFixture.h"
#include "AboutDialog.h"
#include "DesktopSession.h"
#include "FramePlacement.h"
#include "frmConfig.h"

// Rectangles in failure messages as x,y wxh.
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}

namespace kivra {
namespace {

using Placement = std::map<std::string, std::string>;

class PlacementTest : public test::AnalyzerWindowFixture {
protected:
    PlacementTest() { Settings("Application", "LastFile", WriteTrace("run.pad", test::kTrace)); }

    Placement Stored() {
        Placement values;
        for (const char* key : {"Width", "Height", "Left", "Top"}) {
            values[key] = AnalyzerWindowFixture::Stored("Window", key);
        }
        return values;
    }
    // Until the window is on the screen, framed when there is a window
    // manager, and whatever its frame brought has been done.
    static void WaitUntilShown(QWidget& window) {
        ASSERT_TRUE(test::WaitFor([&] {
            return window.isVisible() && window.windowHandle() != nullptr && window.windowHandle()->isExposed() &&
                   (!test::DesktopSession::windowManager || !KnownFrameMargins(window).isNull());
        })) << "the window was not shown";
        test::Settle();
    }
    std::unique_ptr<frmMain> StartShown() {
        auto window = Start();
        WaitUntilShown(*window);
        return window;
    }
    static QRect InPixels(const Placement& twips, double dpi) {
        auto px = [&](const char* key) { return TwipsToPixels(std::stod(twips.at(key)), dpi); };
        return {px("Left"), px("Top"), px("Width"), px("Height")};
    }
};

TEST_F(PlacementTest, StartingAndClosingFiveTimesStoresWhatItRead) {
    const Placement shipped = Stored();
    ASSERT_EQ(shipped.at("Width"), "13365");
    for (int start = 1; start <= 5; ++start) {
        auto window = StartShown();
        // The frame, title bar included, is where the settings say.
        EXPECT_EQ(window->frameGeometry(), InPixels(shipped, LogicalDpi(window.get()))) << "start " << start;
        EXPECT_GE(window->frameGeometry().top(), 0);
        window->close();
        EXPECT_EQ(Stored(), shipped) << "start " << start;
    }
}

TEST_F(PlacementTest, AMovedAndResizedWindowComesBackAsItWasLeft) {
    QRect left;
    {
        auto window = StartShown();
        const QMargins frame = KnownFrameMargins(*window);
        window->resize(900 - frame.left() - frame.right(), 700 - frame.top() - frame.bottom());
        window->move(100, 60);
        ASSERT_TRUE(test::WaitFor([&] { return window->frameGeometry() == QRect(100, 60, 900, 700); }))
            << "moved to " << window->frameGeometry().x() << "," << window->frameGeometry().y();
        left = window->frameGeometry();
        window->close();
    }
    const Placement stored = Stored();
    EXPECT_EQ(stored.at("Width"), "13500");
    EXPECT_EQ(stored.at("Height"), "10500");
    EXPECT_EQ(stored.at("Left"), "1500");
    EXPECT_EQ(stored.at("Top"), "900");
    for (int start = 1; start <= 2; ++start) {
        auto window = StartShown();
        EXPECT_EQ(window->frameGeometry(), left) << "start " << start;
        window->close();
        EXPECT_EQ(Stored(), stored) << "start " << start;
    }
}

TEST_F(PlacementTest, ValuesBetweenPixelsAreKeptAsTheyWere) {
    Settings("Window", "Width", "13370");
    Settings("Window", "Top", "1087.5");
    const Placement before = Stored();
    auto window = StartShown();
    window->close();
    EXPECT_EQ(Stored(), before);
}

// Opens a modal dialog of the main window with the button and checks, once
// its frame is known, that the frame is centred on the screen.
template <class Dialog>
void ExpectCentredFrame(frmMain& window, const char* button) {
    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(test::WaitFor([&] {
            return dialog->windowHandle() != nullptr && dialog->windowHandle()->isExposed() &&
                   (!test::DesktopSession::windowManager || !KnownFrameMargins(*dialog).isNull());
        }));
        test::Settle();
        const QRect screen = window.screen()->geometry();
        const QRect frame = dialog->frameGeometry();
        EXPECT_LE(std::abs((frame.left() - screen.left()) - (screen.right() - frame.right())), 1) << button;
        EXPECT_LE(std::abs((frame.top() - screen.top()) - (screen.bottom() - frame.bottom())), 1) << button;
        if (test::DesktopSession::windowManager) {
            EXPECT_GT(frame.height(), dialog->height()) << button;
        }
        checked = true;
        dialog->close();
    });
    QTest::mouseClick(window.findChild<QToolButton*>(button), Qt::LeftButton);
    EXPECT_TRUE(checked) << button;
}

TEST_F(PlacementTest, DialogsCentreTheirFrames) {
    auto window = StartShown();
    ExpectCentredFrame<frmConfig>(*window, "cmdConfig");
    ExpectCentredFrame<AboutDialog>(*window, "cmdAbout");
    window->close();
}

}  // namespace
}  // namespace kivra
