// Reading, sorting, building and timing generated traces of growing size.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "TraceGenerator.h"
#include "TraceLoad.h"
#include "TraceReport.h"

namespace {
namespace fs = std::filesystem;

// One trace file per size, written once into the temporary folder.
const fs::path& TraceFile(std::size_t calls) {
    static std::map<std::size_t, fs::path> files;
    auto it = files.find(calls);
    if (it == files.end()) {
        const fs::path path = fs::temp_directory_path() / ("kivra-bench-" + std::to_string(calls) + ".pad");
        kivra::bench::TraceShape shape;
        shape.calls = calls;
        std::ofstream(path, std::ios::binary) << kivra::bench::GeneratePadText(shape);
        it = files.emplace(calls, path).first;
    }
    return it->second;
}

kivra::NumberLocale PlainLocale() { return kivra::NumberLocale{".", ","}; }

void BM_LoadTrace(benchmark::State& state) {
    const fs::path& path = TraceFile(static_cast<std::size_t>(state.range(0)));
    const kivra::NumberFormat format("0.000", PlainLocale());
    for (auto _ : state) {
        kivra::TraceLoad load = kivra::LoadTrace(path, ", ", format);
        if (load.error || load.tree.Rows.size() != static_cast<std::size_t>(state.range(0))) {
            state.SkipWithError("the generated trace did not load whole");
            break;
        }
        benchmark::DoNotOptimize(load.tree.Rows.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadTrace)->Arg(1000)->Arg(10000)->Arg(32767)->Unit(benchmark::kMillisecond);

void BM_ReportText(benchmark::State& state) {
    const fs::path& path = TraceFile(static_cast<std::size_t>(state.range(0)));
    const kivra::NumberFormat format("0.000", PlainLocale());
    const kivra::TraceLoad load = kivra::LoadTrace(path, ", ", format);
    kivra::TableSnapshot table;
    for (const char* header : {"Code Trace", "Total (ms)", "Time (ms)", "Data In", "Data Log", "Data Out"}) {
        table.columns.push_back({header, 150});
    }
    table.columns.push_back({"Order", 50});
    table.columns.push_back({"Depth", 50});
    for (const kivra::TraceRow& row : load.tree.Rows) {
        const kivra::PadRecord& record = load.trace.Records[static_cast<std::size_t>(row.Record)];
        table.rows.push_back({row.Level,
                              row.HasChildren,
                              true,
                              true,
                              {std::string(row.Label), row.TotalText.str(), row.Time.str(), std::string(record.DataIn),
                               std::string(record.DataLog), std::string(record.DataOut)}});
    }
    for (auto _ : state) {
        std::string report = kivra::ReportText(table);
        benchmark::DoNotOptimize(report.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReportText)->Arg(32767)->Unit(benchmark::kMillisecond);

}  // namespace
