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

#include "BasicModules.h"
#include "Main.h"
#include "MessageReporter.h"
#include "TraceGenerator.h"
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
