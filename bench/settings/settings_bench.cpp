// Settings are saved whole after every change and on every store of a disc record, so a save
// (read the old file, rewrite every key, flush, rename) must stay cheap.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "settings/settings.h"

namespace {

std::filesystem::path MakeDirectory() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "sonatrix-bench-XXXXXX").string();
    return ::mkdtemp(pattern.data());
}

void BM_SaveSettings(benchmark::State& state) {
    const auto dir = MakeDirectory();
    snx::Settings settings = snx::ReadSettings(dir, "/home/bench");
    for (auto _ : state) {
        settings.MainTop++;
        snx::WriteSettings(settings);
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SaveSettings)->Unit(benchmark::kMicrosecond);

void BM_LoadSettings(benchmark::State& state) {
    const auto dir = MakeDirectory();
    snx::WriteSettings(snx::ReadSettings(dir, "/home/bench"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(snx::ReadSettings(dir, "/home/bench"));
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_LoadSettings)->Unit(benchmark::kMicrosecond);

}  // namespace
