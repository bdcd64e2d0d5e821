// The settings store goes to the file at every call; these measure what one
// read and one locked, atomic write of the shipped settings file cost.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "ConfigClass.h"
#include "DefaultSettings.h"
#include "IniDocument.h"
#include "ProgramValues.h"

namespace {

namespace fs = std::filesystem;

class SettingsFixture : public benchmark::Fixture {
public:
    void SetUp(const benchmark::State&) override {
        std::string pattern = (fs::temp_directory_path() / "kivra-bench-XXXXXX").string();
        profile_ = ::mkdtemp(pattern.data());
        ::setenv("USERPROFILE", profile_.c_str(), 1);
        kivra::Program().ProductName = "Kivra";
        kivra::Program().ConfigFile = "Config.ini";
        kivra::SeedSettingsFile(config_, reporter_);
    }
    void TearDown(const benchmark::State&) override { fs::remove_all(profile_); }

protected:
    fs::path profile_;
    kivra::SilentReporter reporter_;
    kivra::ConfigClass config_{reporter_};
};

BENCHMARK_F(SettingsFixture, ReadOneValue)(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(config_.Value("Tag Stop", "3"));
}

BENCHMARK_F(SettingsFixture, WriteOneValue)(benchmark::State& state) {
    int i = 0;
    for (auto _ : state) config_.Value("Window", "Width", "", std::to_string(13000 + (i++ % 2)));
}

// Listing the sections of a file of 7,000 of them: one look-up per section.
void BM_ListManySections(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < 7000; ++i) text += "[Section" + std::to_string(i) + "]\r\n";
    const kivra::IniDocument doc = kivra::IniDocument::Parse(text);
    for (auto _ : state) benchmark::DoNotOptimize(doc.Sections());
}
BENCHMARK(BM_ListManySections)->Unit(benchmark::kMillisecond);

}  // namespace
