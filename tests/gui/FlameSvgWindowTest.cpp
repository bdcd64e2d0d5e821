// The SVG flame graph against the window's: the same colours and tooltips.
#include <QApplication>
#include <QColor>
#include <QRadioButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include "AnalyzerWindowFixture.h"
#include "FlameColours.h"
#include "FlameGraphView.h"
#include "FlameSvg.h"
#include "TraceViews.h"

namespace kivra {
namespace {

// Every hue, saturation and value Qt takes: the same bytes as QColor's.
TEST(FlameColoursTest, HsvToRgbIsQtsConversion) {
    int differing = 0;
    for (int hue = 0; hue < 360; ++hue) {
        for (int saturation = 0; saturation < 256; ++saturation) {
            for (int value = 0; value < 256; ++value) {
                const QColor qt = QColor::fromHsv(hue, saturation, value);
                const RgbColour ours = HsvToRgb({hue, saturation, value});
                if (qt.red() != ours.Red || qt.green() != ours.Green || qt.blue() != ours.Blue) {
                    if (++differing <= 5) ADD_FAILURE() << hue << "," << saturation << "," << value;
                }
            }
        }
    }
    EXPECT_EQ(differing, 0);
}

class FlameSvgWindowTest : public test::AnalyzerWindowFixture {};

// Box by box, in the order both draw them: the window's tooltip and colour.
TEST_F(FlameSvgWindowTest, ThePictureHasTheWindowsColoursAndTooltips) {
    auto window = Start({QString::fromStdString(WriteTrace("run.pad", test::kTrace))});
    window->show();
    QApplication::processEvents();
    window->Views().Tabs().setCurrentIndex(2);
    FlameGraphView& graph = window->Views().FlameGraph();
    // The picture has the light window's colours.
    ASSERT_GE(graph.palette().color(QPalette::Window).lightness(), 128);
    for (const char* mode : {"optMerged", "optInverted"}) {
        SCOPED_TRACE(mode);
        window->findChild<QRadioButton*>(QString::fromLatin1(mode))->setChecked(true);
        QApplication::processEvents();
        const FlameLayout& layout = graph.Layout();
        ASSERT_FALSE(layout.Boxes.empty());
        // The names as the window's tooltips give them.
        std::vector<std::string> names;
        for (std::size_t b = 0; b < layout.Boxes.size(); ++b) {
            const auto n = static_cast<std::size_t>(layout.Boxes[b].Name);
            if (names.size() <= n) names.resize(n + 1);
            const std::string tip = graph.ToolTipOf(static_cast<int>(b)).toStdString();
            names[n] = tip.substr(0, tip.find('\n'));
        }
        FlameSvgOptions options;
        options.TimeFormat = NumberFormat("0.000", NumberLocale{".", ","});
        const std::string svg = FlameGraphSvg(layout, names, options);
        std::size_t at = svg.find("<g class=\"frames\">");
        for (const std::vector<int>& row : layout.Rows) {
            for (const int box : row) {
                at = svg.find("\n<g><title>", at);
                ASSERT_NE(at, std::string::npos);
                const std::size_t from = at + 11;
                const std::string title = svg.substr(from, svg.find("</title>", from) - from);
                EXPECT_EQ(title, graph.ToolTipOf(box).toStdString());
                const std::size_t fill = svg.find(" fill=\"", from) + 7;
                const std::string colour = svg.substr(fill, 7);
                EXPECT_EQ(colour, graph.ColourOf(box).name().toStdString()) << title;
                at = fill;
            }
        }
    }
}

}  // namespace
}  // namespace kivra
