// The catalogue listing of the 10,000 generated discs printed to PDF by the tool's own print
// command, once per iteration; the counters give the pages and the file's size.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>

#include "bench/support/catalogue_session.h"
#include "bench/support/generated_discs.h"
#include "catalogue_commands.h"
#include "print_commands.h"
#include "settings/settings.h"
#include "util/user_messages.h"

namespace {

namespace fs = std::filesystem;

// Every generated disc stored once, shared by the benchmarks.
const fs::path& BuiltCatalogue() {
    static const fs::path dir = snx::bench::StoredCatalogue("printbench");
    return dir;
}

// The page count from the command's "Printed N pages to FILE".
int PagesPrinted(const std::string& said) {
    std::istringstream words(said);
    std::string printed;
    int pages = 0;
    if (!(words >> printed >> pages) || printed != "Printed") {
        throw std::runtime_error("print said: " + said);
    }
    return pages;
}

void Listing(benchmark::State& state, const char* view) {
    const fs::path dir = BuiltCatalogue();
    // What the tool sets up before a command: the settings of the data directory, messages.
    snx::SetSettingsDirectories(dir, dir);
    snx::LoadSettings();
    snx::bench::YesMessages messages;
    snx::ScopedUserMessages installed{messages};
    snx::ScopedStoreReporting reporting{snx::bench::YesReporting()};
    snx::CommandCatalogue session(dir);
    const std::string pdf = (dir / "listing.pdf").string();
    int pages = 0;
    for (auto _ : state) {
        std::ostringstream said;
        if (snx::PrintCommand(session, {pdf, "--by", view}, said) != 0) {
            throw std::runtime_error("print failed");
        }
        pages = PagesPrinted(said.str());
    }
    state.counters["pages"] = pages;
    state.counters["bytes"] = static_cast<double>(fs::file_size(pdf));
}

void BM_ListingByName(benchmark::State& state) {
    Listing(state, "name");
}
BENCHMARK(BM_ListingByName)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ListingByComposer(benchmark::State& state) {
    Listing(state, "composer");
}
BENCHMARK(BM_ListingByComposer)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
