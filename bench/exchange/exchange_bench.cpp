// Text export and import at a collector's scale: the 10,000 generated discs exported in the
// import's record format, and that file imported into an empty catalogue and merged into a full
// one. Each benchmark does the whole catalogue once per iteration.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>

#include "bench/support/catalogue_session.h"
#include "bench/support/generated_discs.h"
#include "catalogue/disc_catalogue.h"
#include "exchange/text_export.h"
#include "exchange/text_import.h"
#include "settings/settings.h"
#include "store/record_file/record_file.h"
#include "util/user_messages.h"

namespace {

namespace fs = std::filesystem;

// A catalogue session whose record files exist from the start.
struct Session : snx::bench::CatalogueSession {
    explicit Session(const fs::path& dir) : CatalogueSession(dir) {
        Catalogue.OpenDiscFiles();
        Catalogue.CloseDiscFiles();
    }
};

// Every generated disc stored once, shared by the benchmarks.
const fs::path& BuiltCatalogue() {
    static const fs::path dir = snx::bench::StoredCatalogue("exchangebench");
    return dir;
}

fs::path ExportFile() {
    return BuiltCatalogue() / "export.txt";
}

void Export(snx::DiscCatalogue& catalogue) {
    const snx::ExportResult result =
        snx::ExportCatalogue(catalogue, ExportFile(), snx::ExportOptions::SonatrixDefault());
    if (result.Discs != snx::bench::kGeneratedDiscs) {
        throw std::runtime_error("export missed discs");
    }
}

void BM_Export(benchmark::State& state) {
    Session session(BuiltCatalogue());
    for (auto _ : state) {
        Export(session.Catalogue);
    }
    state.counters["bytes"] = static_cast<double>(fs::file_size(ExportFile()));
}
BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportIntoEmpty(benchmark::State& state) {
    {
        Session session(BuiltCatalogue());
        Export(session.Catalogue);
    }
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path dir = snx::bench::NewDirectory("exchangebench");
        std::optional<Session> session(std::in_place, dir);
        state.ResumeTiming();
        const snx::ImportResult result =
            snx::ImportCatalogue(session->Catalogue, ExportFile(), snx::ImportOptions{});
        state.PauseTiming();
        if (result.Added != snx::bench::kGeneratedDiscs) {
            throw std::runtime_error("import missed discs");
        }
        session.reset();
        fs::remove_all(dir);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ImportIntoEmpty)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportMergeIntoFull(benchmark::State& state) {
    Session session(BuiltCatalogue());
    Export(session.Catalogue);
    for (auto _ : state) {
        const snx::ImportResult result = snx::ImportCatalogue(
            session.Catalogue, ExportFile(), snx::ImportOptions{snx::ImportFormat::Version4, true});
        if (result.Merged != snx::bench::kGeneratedDiscs) {
            throw std::runtime_error("merge missed discs");
        }
    }
}
BENCHMARK(BM_ImportMergeIntoFull)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
