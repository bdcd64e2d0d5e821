// The flat profile, the diff of two runs and the exports on a generated
// trace of the largest size a trace may have; a procedure's callers and
// callees and the inverted flame graph on a trace of a million calls.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>

#include "CallProfile.h"
#include "CallerCallee.h"
#include "FlameLayout.h"
#include "FlatProfile.h"
#include "ProcedureTable.h"
#include "TraceDiff.h"
#include "TraceExport.h"
#include "TraceGenerator.h"
#include "TraceLoad.h"
#include "TreeSearch.h"

namespace {

constexpr std::size_t kCalls = 32767;

// The generated trace, loaded once; `seed` gives another run of the same shape.
const kivra::TraceLoad& Loaded(std::uint32_t seed = 1) {
    static std::map<std::uint32_t, kivra::TraceLoad> loads;
    auto it = loads.find(seed);
    if (it == loads.end()) {
        kivra::bench::TraceShape shape;
        shape.calls = kCalls;
        shape.seed = seed;
        const kivra::NumberFormat format("0.000", kivra::NumberLocale{".", ","});
        kivra::TraceLoad load;
        const std::string text = kivra::bench::GeneratePadText(shape);
        load.trace = kivra::ParsePadText(text, "bench.pad", ", ", format.Locale()).trace;
        kivra::BuildAndTime(load, format);
        it = loads.emplace(seed, std::move(load)).first;
    }
    return it->second;
}

void BM_CallProfile(benchmark::State& state) {
    const kivra::TraceLoad& load = Loaded();
    for (auto _ : state) {
        kivra::CallProfile profile = kivra::BuildCallProfile(load.trace, load.tree.Rows);
        benchmark::DoNotOptimize(profile.Calls.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kCalls));
}
BENCHMARK(BM_CallProfile)->Unit(benchmark::kMillisecond);

void BM_FlatProfile(benchmark::State& state) {
    const kivra::TraceLoad& load = Loaded();
    const kivra::CallProfile profile = kivra::BuildCallProfile(load.trace, load.tree.Rows);
    for (auto _ : state) {
        kivra::FlatProfile flat = kivra::ComputeFlatProfile(profile);
        kivra::SortFlatProfile(flat, kivra::FlatOrder::Own);
        benchmark::DoNotOptimize(flat.Entries.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kCalls));
}
BENCHMARK(BM_FlatProfile)->Unit(benchmark::kMillisecond);

// The Procedures view's table from the loaded trace: the call profile, the
// flat profile and the first order (own time, largest first).
void BM_ProcedureTableBuild(benchmark::State& state) {
    const kivra::TraceLoad& load = Loaded();
    for (auto _ : state) {
        kivra::ProcedureTable table(kivra::ComputeFlatProfile(kivra::BuildCallProfile(load.trace, load.tree.Rows)));
        benchmark::DoNotOptimize(table.RowCount());
    }
}
BENCHMARK(BM_ProcedureTableBuild)->Unit(benchmark::kMillisecond);

// A profile where every call is a procedure of its own: the most rows the
// Procedures view can have.
kivra::FlatProfile DistinctProcedures() {
    kivra::FlatProfile flat;
    std::uint32_t random = 12345;
    auto next = [&random] { return random = random * 1664525u + 1013904223u; };
    for (std::size_t i = 0; i < kCalls; ++i) {
        kivra::FlatEntry entry;
        entry.Name = (next() % 2 ? "mod" : "Frm") + std::to_string(next() % 100000) + ".Proc";
        entry.Calls = 1 + static_cast<int>(next() % 50);
        entry.Own = (next() % 1000000) / 1000.0;
        entry.Total = entry.Own + (next() % 1000000) / 1000.0;
        entry.MeanOwn = entry.Own / entry.Calls;
        entry.MaxOwn = entry.Own;
        entry.OwnPercent = entry.Own / 10.0;
        flat.Entries.push_back(std::move(entry));
    }
    return flat;
}

void BM_ProcedureTableBuildDistinct(benchmark::State& state) {
    const kivra::FlatProfile flat = DistinctProcedures();
    for (auto _ : state) {
        kivra::ProcedureTable table(flat);
        benchmark::DoNotOptimize(table.RowCount());
    }
}
BENCHMARK(BM_ProcedureTableBuildDistinct)->Unit(benchmark::kMillisecond);

void BM_ProcedureTableSort(benchmark::State& state) {
    kivra::ProcedureTable table(DistinctProcedures());
    const auto column = static_cast<kivra::ProcedureColumn>(state.range(0));
    bool descending = false;
    for (auto _ : state) {
        table.Sort(column, descending = !descending);
        benchmark::DoNotOptimize(table.ProcedureAt(0));
    }
    state.SetLabel(kivra::kProcedureHeaders[state.range(0)]);
}
BENCHMARK(BM_ProcedureTableSort)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

void BM_TraceDiff(benchmark::State& state) {
    const kivra::TraceLoad& before = Loaded(1);
    const kivra::TraceLoad& after = Loaded(2);
    for (auto _ : state) {
        const kivra::FlatProfile a = kivra::ComputeFlatProfile(kivra::BuildCallProfile(before.trace, before.tree.Rows));
        const kivra::FlatProfile b = kivra::ComputeFlatProfile(kivra::BuildCallProfile(after.trace, after.tree.Rows));
        kivra::TraceDiff diff = kivra::DiffFlatProfiles(a, b);
        benchmark::DoNotOptimize(diff.Entries.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(2 * kCalls));
}
BENCHMARK(BM_TraceDiff)->Unit(benchmark::kMillisecond);

template <typename Export>
void RunExport(benchmark::State& state, Export exportText) {
    const kivra::TraceLoad& load = Loaded();
    const kivra::CallProfile profile = kivra::BuildCallProfile(load.trace, load.tree.Rows);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = exportText(load.trace, profile);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kCalls));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}

void BM_ChromeExport(benchmark::State& state) {
    RunExport(state, [](const kivra::PadTrace& trace, const kivra::CallProfile& profile) {
        return kivra::ChromeTraceJson(trace, profile, "bench.pad").Text;
    });
}
BENCHMARK(BM_ChromeExport)->Unit(benchmark::kMillisecond);

void BM_SpeedscopeExport(benchmark::State& state) {
    RunExport(state, [](const kivra::PadTrace& trace, const kivra::CallProfile& profile) {
        return kivra::SpeedscopeJson(trace, profile, "bench.pad").Text;
    });
}
BENCHMARK(BM_SpeedscopeExport)->Unit(benchmark::kMillisecond);

void BM_FoldedStacks(benchmark::State& state) {
    RunExport(state, [](const kivra::PadTrace& trace, const kivra::CallProfile& profile) {
        return kivra::FoldedStacks(trace, profile).Text;
    });
}
BENCHMARK(BM_FoldedStacks)->Unit(benchmark::kMillisecond);

// The flame graph's boxes in either mode.
void BM_FlameLayout(benchmark::State& state) {
    const kivra::TraceLoad& load = Loaded();
    const kivra::CallProfile profile = kivra::BuildCallProfile(load.trace, load.tree.Rows);
    const bool merged = state.range(0) == 1;
    for (auto _ : state) {
        const kivra::FlameLayout layout =
            merged ? kivra::LayoutMerged(load.trace, profile) : kivra::LayoutTimeOrder(load.trace, profile);
        benchmark::DoNotOptimize(layout.Boxes.data());
    }
    state.SetLabel(merged ? "merged" : "time order");
}
BENCHMARK(BM_FlameLayout)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A million calls, loaded once: by default shape, or shaped like a real
// run (few paths, one long loop).
const kivra::TraceLoad& LoadedMillion(bool realRun) {
    static std::map<bool, kivra::TraceLoad> loads;
    auto it = loads.find(realRun);
    if (it == loads.end()) {
        constexpr std::size_t kMillion = 1'000'000;
        kivra::bench::TraceShape shape = realRun ? kivra::bench::RealRunShape(kMillion) : kivra::bench::TraceShape{};
        shape.calls = kMillion;
        const kivra::NumberFormat format("0.000", kivra::NumberLocale{".", ","});
        kivra::TraceLoad load;
        load.trace =
            kivra::ParsePadText(kivra::bench::GeneratePadText(shape), "million.pad", ", ", format.Locale()).trace;
        kivra::BuildAndTime(load, format, {}, kivra::RowTexts::Omitted);
        it = loads.emplace(realRun, std::move(load)).first;
    }
    return it->second;
}

const char* ShapeLabel(bool realRun) { return realRun ? "1M calls, real-run shape" : "1M calls, random shape"; }

// The procedure with the most calls: the most work a choice can take.
int BusiestProcedure(const kivra::CallProfile& profile) {
    std::vector<int> calls(profile.Names.size(), 0);
    for (const kivra::ProfileCall& call : profile.Calls) ++calls[static_cast<std::size_t>(call.Name)];
    return static_cast<int>(std::max_element(calls.begin(), calls.end()) - calls.begin());
}

// What loading a trace adds for the callers and callees: the index.
void BM_CallerCalleeIndex(benchmark::State& state) {
    const bool realRun = state.range(0) == 1;
    const kivra::TraceLoad& load = LoadedMillion(realRun);
    const kivra::CallProfile profile = kivra::BuildCallProfile(load.trace, load.tree.Rows);
    for (auto _ : state) {
        const kivra::CallerCalleeIndex index(profile);
        benchmark::DoNotOptimize(&index);
    }
    state.SetLabel(ShapeLabel(realRun));
}
BENCHMARK(BM_CallerCalleeIndex)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Choosing a procedure: its numbers, callers and callees from the index;
// the busiest procedure, recursion kept or collapsed.
void BM_CallerCalleeQuery(benchmark::State& state) {
    const bool realRun = state.range(0) == 1;
    const bool collapse = state.range(1) == 1;
    const kivra::TraceLoad& load = LoadedMillion(realRun);
    const kivra::CallProfile profile = kivra::BuildCallProfile(load.trace, load.tree.Rows);
    const kivra::CallerCalleeIndex index(profile);
    const int name = BusiestProcedure(profile);
    for (auto _ : state) {
        const kivra::CallerCallee peek = index.Query(name, collapse);
        benchmark::DoNotOptimize(peek.Callees.data());
    }
    state.SetLabel(std::string(ShapeLabel(realRun)) + (collapse ? ", collapsed" : ""));
}
BENCHMARK(BM_CallerCalleeQuery)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Unit(benchmark::kMillisecond);

// The flame graph's boxes at a million calls: inverted, recursion kept or
// collapsed, and one procedure's callers and callees, each with the fitted
// timeline it is laid out on.
void BM_FlameInverted(benchmark::State& state) {
    const bool realRun = state.range(0) == 1;
    const bool collapse = state.range(1) == 1;
    const kivra::TraceLoad& load = LoadedMillion(realRun);
    const kivra::CallProfile profile = kivra::BuildCallProfile(load.trace, load.tree.Rows);
    std::size_t boxes = 0;
    for (auto _ : state) {
        const kivra::FlameLayout layout = kivra::LayoutInverted(load.trace, profile, collapse);
        boxes = layout.Boxes.size();
        benchmark::DoNotOptimize(layout.Boxes.data());
    }
    state.counters["boxes"] = static_cast<double>(boxes);
    state.SetLabel(std::string(ShapeLabel(realRun)) + (collapse ? ", collapsed" : ""));
}
BENCHMARK(BM_FlameInverted)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Unit(benchmark::kMillisecond);

void BM_FlameMergedMillion(benchmark::State& state) {
    const bool realRun = state.range(0) == 1;
    const kivra::TraceLoad& load = LoadedMillion(realRun);
    const kivra::CallProfile profile = kivra::BuildCallProfile(load.trace, load.tree.Rows);
    for (auto _ : state) {
        const kivra::FlameLayout layout = kivra::LayoutMerged(load.trace, profile);
        benchmark::DoNotOptimize(layout.Boxes.data());
    }
    state.SetLabel(ShapeLabel(realRun));
}
BENCHMARK(BM_FlameMergedMillion)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_FlameSandwich(benchmark::State& state) {
    const bool realRun = state.range(0) == 1;
    const bool callers = state.range(1) == 1;
    const kivra::TraceLoad& load = LoadedMillion(realRun);
    const kivra::CallProfile profile = kivra::BuildCallProfile(load.trace, load.tree.Rows);
    const int name = BusiestProcedure(profile);
    for (auto _ : state) {
        const kivra::FlameLayout layout = callers ? kivra::LayoutCallersOf(load.trace, profile, name)
                                                  : kivra::LayoutCalleesOf(load.trace, profile, name);
        benchmark::DoNotOptimize(layout.Boxes.data());
    }
    state.SetLabel(std::string(ShapeLabel(realRun)) + (callers ? ", callers" : ", callees"));
}
BENCHMARK(BM_FlameSandwich)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);

// The window's find over every row of the tree, plain and by expression,
// with the data fields, and the hot path from the top.
std::vector<kivra::SearchRow> SearchRows(const kivra::TraceLoad& load) {
    std::vector<kivra::SearchRow> rows;
    for (const kivra::TraceRow& row : load.tree.Rows) {
        const kivra::PadRecord& record = load.trace.Records[static_cast<std::size_t>(row.Record)];
        rows.push_back({row.Label, record.DataIn, record.DataLog, record.DataOut});
    }
    return rows;
}

void BM_FindAllRows(benchmark::State& state) {
    const std::vector<kivra::SearchRow> rows = SearchRows(Loaded());
    kivra::FindQuery query;
    query.text = state.range(0) == 0 ? "refresh" : "Re(fresh|nder)$";
    query.regularExpression = state.range(0) == 1;
    query.dataFields = true;
    const auto matcher = kivra::RowMatcher::Make(query);
    for (auto _ : state) benchmark::DoNotOptimize(matcher->AllMatches(rows).size());
    state.SetLabel(query.regularExpression ? "regex" : "plain");
}
BENCHMARK(BM_FindAllRows)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_HotPath(benchmark::State& state) {
    const kivra::CallProfile profile = kivra::BuildCallProfile(Loaded().trace, Loaded().tree.Rows);
    std::vector<int> parents;
    std::vector<float> totals;
    for (const kivra::ProfileCall& call : profile.Calls) {
        parents.push_back(call.Parent);
        totals.push_back(call.Total);
    }
    for (auto _ : state) benchmark::DoNotOptimize(kivra::HotPath(parents, totals, -1).size());
}
BENCHMARK(BM_HotPath)->Unit(benchmark::kMillisecond);

}  // namespace
