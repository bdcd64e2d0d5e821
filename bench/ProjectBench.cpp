// kivra over a whole project: 300 generated modules of 150,000 lines in all,
// tagged in place and untagged again, and checked for timing calls.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "BasicModules.h"
#include "InPlaceRun.h"
#include "KeywordSections.h"
#include "LineFilters.h"
#include "ProjectFiles.h"
#include "TagRun.h"

namespace {

namespace fs = std::filesystem;

class ProjectFixture : public benchmark::Fixture {
public:
    void SetUp(const benchmark::State&) override {
        folder_ = fs::temp_directory_path() / ("kivra-bench-project-" + std::to_string(::getpid()));
        fs::create_directories(folder_ / "Modules");
        std::ofstream project(folder_ / "Project.vbp", std::ios::binary);
        const std::string module = kivra::test::GeneratedModule(500);
        for (int i = 0; i < 300; ++i) {
            const std::string name = "mod" + std::to_string(i);
            project << "Module=" << name << "; Modules\\" << name << ".bas\r\n";
            std::ofstream(folder_ / "Modules" / (name + ".bas"), std::ios::binary) << module;
        }
    }
    void TearDown(const benchmark::State&) override { fs::remove_all(folder_); }

protected:
    void RunAll(kivra::SourceOperation operation) {
        const kivra::SourceFileList list = kivra::ExpandSourcePaths({(folder_ / "Project.vbp").string()});
        kivra::InPlaceOptions options;
        options.operation = operation;
        for (const fs::path& file : list.files) {
            kivra::RewriteFile(file, "Kivra.", options, [&](std::string_view text) {
                return operation == kivra::SourceOperation::Tag
                           ? kivra::TagText(text, "Kivra.", {}, keywords_, nullptr, kivra::LineEnds::AsInSource)
                           : kivra::UntagText(text, "Kivra.", nullptr, kivra::LineEnds::AsInSource);
            });
        }
    }

    fs::path folder_;
    kivra::KeywordSections keywords_ = kivra::ShippedKeywordSections();
};

BENCHMARK_DEFINE_F(ProjectFixture, TagAndUntagInPlace)(benchmark::State& state) {
    for (auto _ : state) {
        RunAll(kivra::SourceOperation::Tag);
        RunAll(kivra::SourceOperation::Untag);
    }
}
BENCHMARK_REGISTER_F(ProjectFixture, TagAndUntagInPlace)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_DEFINE_F(ProjectFixture, CheckTaggedProject)(benchmark::State& state) {
    RunAll(kivra::SourceOperation::Tag);
    for (auto _ : state) {
        std::size_t count = 0;
        for (const fs::path& file : kivra::ExpandSourcePaths({(folder_ / "Project.vbp").string()}).files) {
            count += kivra::FindTagLines(file, "Kivra.").count;
        }
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK_REGISTER_F(ProjectFixture, CheckTaggedProject)->Unit(benchmark::kMillisecond);

}  // namespace
