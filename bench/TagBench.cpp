// Tagging, untagging and commenting of a 30,000-line module, as the window
// and the command-line tool run them.
#include <benchmark/benchmark.h>

#include "BasicModules.h"
#include "KeywordSections.h"
#include "LineFilters.h"
#include "TagRun.h"

namespace {

constexpr std::size_t kModuleLines = 30000;

const std::string& Module() {
    static const std::string text = kivra::test::GeneratedModule(kModuleLines);
    return text;
}

const std::string& TaggedModule() {
    static const std::string text =
        kivra::TagText(Module(), "Kivra.", kivra::TagOptions{}, kivra::ShippedKeywordSections()).text;
    return text;
}

void TagModule(benchmark::State& state) {
    const auto keywords = kivra::ShippedKeywordSections();
    for (auto _ : state) benchmark::DoNotOptimize(kivra::TagText(Module(), "Kivra.", kivra::TagOptions{}, keywords));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Module().size()));
}
BENCHMARK(TagModule)->Unit(benchmark::kMillisecond);

void UntagModule(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(kivra::UntagText(TaggedModule(), "Kivra."));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TaggedModule().size()));
}
BENCHMARK(UntagModule)->Unit(benchmark::kMillisecond);

void CommentModuleOut(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(kivra::CommentText(TaggedModule(), "Kivra.", kivra::CommentDirection::Out));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TaggedModule().size()));
}
BENCHMARK(CommentModuleOut)->Unit(benchmark::kMillisecond);

void CommentModuleBackIn(benchmark::State& state) {
    static const std::string commented =
        kivra::CommentText(TaggedModule(), "Kivra.", kivra::CommentDirection::Out).text;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kivra::CommentText(commented, "Kivra.", kivra::CommentDirection::BackIn));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * commented.size()));
}
BENCHMARK(CommentModuleBackIn)->Unit(benchmark::kMillisecond);

// With a window attached: checkpoints at every tenth line and the output
// handed over in batches.
class CountingObserver : public kivra::RunObserver {
public:
    bool AtCheckpoint(std::size_t, std::size_t) override {
        ++checkpoints;
        return false;
    }
    void Append(std::string_view lines) override { bytes += lines.size(); }
    std::size_t checkpoints = 0;
    std::size_t bytes = 0;
};

void TagModuleObserved(benchmark::State& state) {
    const auto keywords = kivra::ShippedKeywordSections();
    CountingObserver observer;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kivra::TagText(Module(), "Kivra.", kivra::TagOptions{}, keywords, &observer));
    }
    benchmark::DoNotOptimize(observer.bytes);
}
BENCHMARK(TagModuleObserved)->Unit(benchmark::kMillisecond);

}  // namespace
