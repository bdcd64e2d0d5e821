// The windows with big inputs: the analyzer from its start to the first
// painted table of a 32,767-call and of a 1,000,000-call trace, its views on
// the 1,000,000-call trace of a run's shape (depth 8, about 40 names, one
// loop of 40,000 calls), and the tagger tagging a 30,000-line module through
// its window, box filled and status "Complete".
#include <benchmark/benchmark.h>
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeView>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <numeric>

#include "BasicModules.h"
#include "CallProfile.h"
#include "CallTreePage.h"
#include "CallersPage.h"
#include "FindBar.h"
#include "FlameGraphView.h"
#include "Main.h"
#include "MessageReporter.h"
#include "ProceduresModel.h"
#include "TraceGenerator.h"
#include "TraceLoad.h"
#include "TraceTableModel.h"
#include "TraceViews.h"
#include "frmMain.h"

namespace {

QTemporaryDir& Profile() {
    static QTemporaryDir dir;
    return dir;
}

constexpr std::size_t kViewCalls = 1'000'000;

void AnalyzerStartToFirstPaint(benchmark::State& state) {
    const auto calls = static_cast<std::size_t>(state.range(0));
    const kivra::bench::TraceShape shape = calls > 32767 ? kivra::bench::RealRunShape(calls) : [&] {
        kivra::bench::TraceShape small;
        small.calls = calls;
        return small;
    }();
    const QString trace = Profile().filePath(QStringLiteral("big.pad"));
    std::ofstream(trace.toStdString(), std::ios::binary) << kivra::bench::GeneratePadText(shape);
    kivra::SilentReporter quiet;
    kivra::WindowSeams seams;
    seams.reporter = &quiet;
    for (auto _ : state) {
        kivra::frmMain window(seams, {trace});
        benchmark::DoNotOptimize(window.Grid().viewport()->grab());
        if (window.Model().RowCount() == 0) state.SkipWithError("nothing loaded");
    }
}
BENCHMARK(AnalyzerStartToFirstPaint)->Arg(32767)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The analyzer's views on a loaded 1,000,000-call trace, through the window.
// Released in main, before the application object goes.
std::unique_ptr<kivra::frmMain>& LoadedWindowHolder() {
    static std::unique_ptr<kivra::frmMain> window;
    return window;
}

kivra::frmMain& LoadedWindow() {
    std::unique_ptr<kivra::frmMain>& window = LoadedWindowHolder();
    if (!window) {
        const kivra::bench::TraceShape shape = kivra::bench::RealRunShape(kViewCalls);
        const QString trace = Profile().filePath(QStringLiteral("views.pad"));
        std::ofstream(trace.toStdString(), std::ios::binary) << kivra::bench::GeneratePadText(shape);
        static kivra::SilentReporter quiet;
        kivra::WindowSeams seams;
        seams.reporter = &quiet;
        window = std::make_unique<kivra::frmMain>(seams, QStringList{trace});
    }
    return *window;
}

void ProceduresModelFromTheTrace(benchmark::State& state) {
    const kivra::TraceLoad load = kivra::LoadTrace(Profile().filePath(QStringLiteral("views.pad")).toStdString(), ", ",
                                                   kivra::NumberFormat("0.000"));
    LoadedWindow();
    kivra::ProceduresModel model;
    for (auto _ : state) {
        model.SetProfile(kivra::ComputeFlatProfile(kivra::BuildCallProfile(load.trace, load.tree.Rows)),
                         kivra::NumberFormat("0.000"));
        benchmark::DoNotOptimize(model.rowCount());
    }
}

void ProceduresSortByHeader(benchmark::State& state) {
    kivra::frmMain& window = LoadedWindow();
    auto& view = window.Views().ProceduresView();
    bool descending = false;
    for (auto _ : state) {
        view.sortByColumn(static_cast<int>(state.range(0)),
                          (descending = !descending) ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
}
BENCHMARK(ProceduresSortByHeader)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

// Typing a search: every matching row found and tinted, the first selected.
void FindInTheCallTree(benchmark::State& state) {
    kivra::frmMain& window = LoadedWindow();
    window.Views().OpenFind();
    auto* box = window.findChild<QLineEdit*>(QStringLiteral("txtFind"));
    window.Views().Finder().SetToggles(false, state.range(0) == 1, true);
    const QString text = state.range(0) == 1 ? QStringLiteral("Re(fresh|nder)$") : QStringLiteral("refresh");
    for (auto _ : state) {
        box->setText(text);
        state.PauseTiming();
        box->clear();
        state.ResumeTiming();
    }
    state.SetLabel(state.range(0) == 1 ? "regex" : "plain");
}
BENCHMARK(FindInTheCallTree)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// F3 with the matches known: the next match selected, its branch opened.
void FindNextInTheCallTree(benchmark::State& state) {
    kivra::frmMain& window = LoadedWindow();
    window.Views().OpenFind();
    window.Views().Finder().SetToggles(false, false, false);
    window.findChild<QLineEdit*>(QStringLiteral("txtFind"))->setText(QStringLiteral("Render"));
    for (auto _ : state) window.Views().Step(true);
}
BENCHMARK(FindNextInTheCallTree)->Unit(benchmark::kMillisecond);

void ExpandHotPath(benchmark::State& state) {
    kivra::frmMain& window = LoadedWindow();
    for (auto _ : state) {
        state.PauseTiming();
        window.Model().CollapseAll();
        window.Grid().setCurrentIndex({});
        state.ResumeTiming();
        window.Views().ExpandHotPath();
    }
}
BENCHMARK(ExpandHotPath)->Unit(benchmark::kMillisecond);

// Expand all and Collapse all through the call tree's actions, each with
// the view laid out and painted again.
void ExpandAllCollapseAll(benchmark::State& state) {
    kivra::frmMain& window = LoadedWindow();
    window.resize(1600, 900);
    window.show();
    const bool expand = state.range(0) == 1;
    // From the other state to the one measured.
    void (kivra::CallTreePage::*const undo)() =
        expand ? &kivra::CallTreePage::CollapseAll : &kivra::CallTreePage::ExpandAll;
    void (kivra::CallTreePage::*const measured)() =
        expand ? &kivra::CallTreePage::ExpandAll : &kivra::CallTreePage::CollapseAll;
    kivra::CallTreePage& tree = window.Views().Page<kivra::CallTreePage>();
    for (auto _ : state) {
        state.PauseTiming();
        (tree.*undo)();
        benchmark::DoNotOptimize(window.Grid().viewport()->grab());
        state.ResumeTiming();
        (tree.*measured)();
        benchmark::DoNotOptimize(window.Grid().viewport()->grab());
    }
    window.Views().ExpandAll();
    state.SetLabel(expand ? "expand all" : "collapse all");
}
BENCHMARK(ExpandAllCollapseAll)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// Scrolling the expanded call tree by a page, painted.
void ScrollCallTree(benchmark::State& state) {
    kivra::frmMain& window = LoadedWindow();
    window.resize(1600, 900);
    window.show();
    QScrollBar* bar = window.Grid().verticalScrollBar();
    int at = 0;
    for (auto _ : state) {
        at = (at + bar->pageStep() * 37) % std::max(1, bar->maximum());
        bar->setValue(at);
        benchmark::DoNotOptimize(window.Grid().viewport()->grab());
    }
}
BENCHMARK(ScrollCallTree)->Unit(benchmark::kMillisecond);

// One full repaint of the flame graph at 1600x900 into an image, the whole
// run or zoomed to a thousandth of it, in either mode.
void FlameGraphRepaint(benchmark::State& state) {
    kivra::frmMain& window = LoadedWindow();
    kivra::FlameGraphView& graph = window.Views().FlameGraph();
    graph.SetMode(state.range(0) == 1 ? kivra::FlameMode::Merged : kivra::FlameMode::TimeOrder);
    graph.resize(1600, 900);
    graph.ShowWholeRun();
    if (state.range(1) == 1) {
        // Zoomed on a box about a thousandth of the run wide.
        const auto& boxes = graph.Layout().Boxes;
        for (std::size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].Width * 1000 >= graph.Layout().Extent && boxes[b].Width * 500 < graph.Layout().Extent) {
                graph.ZoomToBox(static_cast<int>(b));
                break;
            }
        }
    }
    QImage image(1600, 900, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        graph.render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
    state.SetLabel(std::string(state.range(0) == 1 ? "merged" : "time order") +
                   (state.range(1) == 1 ? ", zoomed" : ""));
}
BENCHMARK(FlameGraphRepaint)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);

// What the pointer is over, for the tooltip: the box and its text.
void FlameGraphHover(benchmark::State& state) {
    kivra::frmMain& window = LoadedWindow();
    kivra::FlameGraphView& graph = window.Views().FlameGraph();
    graph.SetMode(kivra::FlameMode::TimeOrder);
    graph.resize(1600, 900);
    graph.ShowWholeRun();
    int x = 0;
    for (auto _ : state) {
        x = (x + 37) % 1600;
        const auto box = graph.BoxAtPoint(QPoint(x, 2 * kivra::FlameGraphView::kRowHeight + 5));
        if (box) benchmark::DoNotOptimize(graph.ToolTipOf(*box));
    }
}
BENCHMARK(FlameGraphHover)->Unit(benchmark::kMicrosecond);

// Comparing the loaded run with another of its size: reading the baseline,
// the diff and filling the tab.
void CompareTwoRuns(benchmark::State& state) {
    kivra::frmMain& window = LoadedWindow();
    kivra::bench::TraceShape shape = kivra::bench::RealRunShape(kViewCalls);
    shape.seed = 2;
    const QString other = Profile().filePath(QStringLiteral("other.pad"));
    std::ofstream(other.toStdString(), std::ios::binary) << kivra::bench::GeneratePadText(shape);
    for (auto _ : state) {
        if (!window.Views().LoadBaseline(other)) state.SkipWithError("the baseline was not read");
    }
}
BENCHMARK(CompareTwoRuns)->Unit(benchmark::kMillisecond);

// Choosing a procedure for the Callers / Callees tab: its edges, its two
// flame graphs and the tab painted, the calls' index made already. 0: every
// procedure in turn, one an iteration; 1: the procedure with the most calls.
void CallersChooseProcedure(benchmark::State& state) {
    kivra::frmMain& window = LoadedWindow();
    window.resize(1600, 900);
    window.show();
    kivra::TraceViews& views = window.Views();
    kivra::CallersPage& page = views.Page<kivra::CallersPage>();
    const kivra::ProcedureTable& table = views.Procedures().Table();
    std::size_t busiest = 0;
    for (std::size_t p = 0; p < table.ProcedureCount(); ++p) {
        if (table.Procedure(p).Calls > table.Procedure(busiest).Calls) busiest = p;
    }
    views.Context().ChooseProcedure(busiest, QStringLiteral("tabCallers"));
    std::size_t next = 0;
    for (auto _ : state) {
        const std::size_t chosen = state.range(0) == 0 ? next++ % table.ProcedureCount() : busiest;
        state.PauseTiming();
        // Nothing kept for Back and Forward; the index made again, as a load leaves it.
        page.Clear();
        page.ShowTrace();
        views.Context().ChooseProcedure(chosen == 0 ? 1 : 0);
        state.ResumeTiming();
        views.Context().ChooseProcedure(chosen);
        benchmark::DoNotOptimize(views.grab());
    }
    state.SetLabel(state.range(0) == 0 ? std::to_string(table.ProcedureCount()) + " procedures in turn"
                                       : table.Procedure(busiest).Name + ", " +
                                             std::to_string(table.Procedure(busiest).Calls) + " calls");
}
BENCHMARK(CallersChooseProcedure)->Arg(0)->Iterations(42)->Unit(benchmark::kMillisecond);
BENCHMARK(CallersChooseProcedure)->Arg(1)->Iterations(10)->Unit(benchmark::kMillisecond);

void CallersBackForward(benchmark::State& state) {
    kivra::frmMain& window = LoadedWindow();
    window.resize(1600, 900);
    window.show();
    kivra::TraceViews& views = window.Views();
    views.Context().ChooseProcedure(0, QStringLiteral("tabCallers"));
    views.Context().ChooseProcedure(1);
    bool back = true;
    for (auto _ : state) {
        if (back) {
            views.GoBack();
        } else {
            views.GoForward();
        }
        back = !back;
        benchmark::DoNotOptimize(views.grab());
    }
}
BENCHMARK(CallersBackForward)->Unit(benchmark::kMillisecond);

// Setting a stretch of the run, the middle tenth of it or the whole run:
// every view worked out again for the range and the tab shown (Procedures)
// painted.
void SetTimeRange(benchmark::State& state) {
    kivra::frmMain& window = LoadedWindow();
    window.resize(1600, 900);
    window.show();
    kivra::TraceViews& views = window.Views();
    views.Tabs().setCurrentIndex(1);
    const kivra::ShownTrace& trace = views.Context().Trace();
    double first = 0.0;
    double last = 0.0;
    if (trace.timeline && !trace.timeline->Spans.empty()) {
        first = static_cast<double>(trace.timeline->Spans.front().Begin) / 1e6;
        for (const kivra::CallSpan& span : trace.timeline->Spans) {
            last = std::max(last, static_cast<double>(span.End) / 1e6);
        }
    }
    const double middle = (first + last) / 2.0;
    const double part = (last - first) * static_cast<double>(state.range(0)) / 100.0;
    for (auto _ : state) {
        views.SetRange(kivra::TimeRange{middle - part / 2.0, middle + part / 2.0});
        benchmark::DoNotOptimize(views.grab());
        state.PauseTiming();
        state.counters["calls"] = trace.rangeCalls;
        views.SetRange(std::nullopt);
        state.ResumeTiming();
    }
}
BENCHMARK(SetTimeRange)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(5);

// The flame graph's inverted mode, laid out afresh each time (recursion
// collapsed or not) and painted.
void FlameGraphInverted(benchmark::State& state) {
    kivra::frmMain& window = LoadedWindow();
    window.resize(1600, 900);
    window.show();
    window.Views().Tabs().setCurrentIndex(2);
    window.findChild<QRadioButton*>(QStringLiteral("optInverted"))->setChecked(true);
    auto* box = window.findChild<QCheckBox*>(QStringLiteral("chkCollapseRecursion"));
    bool collapse = false;
    for (auto _ : state) {
        collapse = !collapse;
        box->setChecked(collapse);
        benchmark::DoNotOptimize(window.Views().FlameGraph().grab());
    }
    window.findChild<QRadioButton*>(QStringLiteral("optTimeOrder"))->setChecked(true);
}
BENCHMARK(FlameGraphInverted)->Unit(benchmark::kMillisecond);

// The analyzer's memory with the 1,000,000-call trace and every tab built
// and painted once.
void ResidentWithEveryTab(benchmark::State& state) {
    kivra::frmMain& window = LoadedWindow();
    window.resize(1600, 900);
    window.show();
    for (auto _ : state) {
        for (int tab = 0; tab < window.Views().Tabs().count(); ++tab) {
            window.Views().Tabs().setCurrentIndex(tab);
            benchmark::DoNotOptimize(window.grab());
        }
    }
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) state.counters["peak_MB"] = std::stod(line.substr(6)) / 1024.0;
        if (line.rfind("VmRSS:", 0) == 0) state.counters["resident_MB"] = std::stod(line.substr(6)) / 1024.0;
    }
}
BENCHMARK(ResidentWithEveryTab)->Unit(benchmark::kMillisecond)->Iterations(1);

void TaggerTagThroughTheWindow(benchmark::State& state) {
    const QString module =
        QString::fromStdString(kivra::test::GeneratedModule(static_cast<std::size_t>(state.range(0))));
    kivra::SilentReporter quiet;
    kivra::WindowSeams seams;
    seams.reporter = &quiet;
    kivra::Main window(seams);
    auto* code = window.findChild<QPlainTextEdit*>(QStringLiteral("txtCode"));
    auto* status = window.findChild<QLineEdit*>(QStringLiteral("txtStatus"));
    for (auto _ : state) {
        state.PauseTiming();
        code->setPlainText(module);
        state.ResumeTiming();
        window.cmdTag_Click();
        if (status->text() != QStringLiteral("Complete")) state.SkipWithError("the run did not complete");
    }
}
BENCHMARK(TaggerTagThroughTheWindow)->Arg(30000)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK(ProceduresModelFromTheTrace)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::setenv("USERPROFILE", Profile().path().toLocal8Bit().constData(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    LoadedWindowHolder().reset();
    return 0;
}
