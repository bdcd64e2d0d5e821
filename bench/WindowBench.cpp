// The windows with big inputs: the analyzer from its start to the first
// painted table of a 32,767-record trace, and the tagger tagging a
// 30,000-line module through its window, box filled and status "Complete".
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "BasicModules.h"
#include "Main.h"
#include "MessageReporter.h"
#include "CallProfile.h"
#include "FindBar.h"
#include "ProceduresModel.h"
#include "TraceGenerator.h"
#include "TraceLoad.h"
#include "TraceViews.h"
#include "TraceTableModel.h"
#include "frmMain.h"

namespace {

QTemporaryDir& Profile() {
    static QTemporaryDir dir;
    return dir;
}

void AnalyzerStartToFirstPaint(benchmark::State& state) {
    kivra::bench::TraceShape shape;
    shape.calls = static_cast<std::size_t>(state.range(0));
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
BENCHMARK(AnalyzerStartToFirstPaint)->Arg(32767)->Unit(benchmark::kMillisecond)->Iterations(5);

// The analyzer's views on a loaded 32,767-record trace, through the window.
kivra::frmMain& LoadedWindow() {
    static std::unique_ptr<kivra::frmMain> window;
    if (!window) {
        kivra::bench::TraceShape shape;
        shape.calls = 32767;
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
        view.sortByColumn(static_cast<int>(state.range(0)), (descending = !descending) ? Qt::DescendingOrder
                                                                                       : Qt::AscendingOrder);
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
        window.Grid().collapseAll();
        window.Grid().setCurrentIndex({});
        state.ResumeTiming();
        window.Views().ExpandHotPath();
    }
}
BENCHMARK(ExpandHotPath)->Unit(benchmark::kMillisecond);

void TaggerTagThroughTheWindow(benchmark::State& state) {
    const QString module = QString::fromStdString(kivra::test::GeneratedModule(static_cast<std::size_t>(state.range(0))));
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
    return 0;
}
