// The main handset: start-up to the first painted frame over a 10,000-disc catalogue, one full
// repaint of the window, and one tick's redraw of the display.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <memory>

#include "bench/support/bench_handset.h"
#include "bench/support/generated_discs.h"
#include "cd/demo_disc.h"
#include "player/player_engine.h"

namespace {

namespace fs = std::filesystem;
using snx::bench::CatalogueSession;
using snx::bench::Disc;
using snx::bench::Discs;
using snx::bench::Handset;
using snx::bench::NewDirectory;

// The data directory with the generated catalogue, made once for the run.
const fs::path& FullCatalogue() {
    static const fs::path dir = snx::bench::StoredCatalogue("handsetbench");
    return dir;
}

// From loading the settings to the first frame on the screen: the catalogue's files opened and
// closed, the window built, the drive opened, the window shown and painted.
void BM_StartupToFirstPaint(benchmark::State& state) {
    const fs::path& dir = FullCatalogue();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        Handset handset(dir);
        handset.Window = std::make_unique<snx::TSnx>(handset.Device, handset.Session.Catalogue,
                                                     handset.Recording, handset.Wave, false);
        handset.ShowUntilPainted();
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
}
BENCHMARK(BM_StartupToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond);

// A handset with the demo disc taken up by a tick.
Handset& LoadedHandset() {
    static std::unique_ptr<Handset> handset;
    if (!handset) {
        const fs::path dir = NewDirectory("handsetpaint");
        handset = std::make_unique<Handset>(dir);
        handset->Drives.VirtualDrive().Insert(snx::EnsureDemoDisc(dir));
        handset->Window = std::make_unique<snx::TSnx>(handset->Device, handset->Session.Catalogue,
                                                      handset->Recording, handset->Wave, false);
        handset->Window->show();
        QApplication::processEvents();
        handset->Window->Engine().TimerTimer();
    }
    return *handset;
}

void BM_FullRepaint(benchmark::State& state) {
    snx::TSnx& window = *LoadedHandset().Window;
    for (auto _ : state) {
        benchmark::DoNotOptimize(window.grab());
    }
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMicrosecond);

void BM_TickRedraw(benchmark::State& state) {
    snx::TSnx& window = *LoadedHandset().Window;
    for (auto _ : state) {
        window.Redraw(window.Engine());
    }
}
BENCHMARK(BM_TickRedraw)->Unit(benchmark::kMicrosecond);

}  // namespace
