// A start with the demo disc: from the data directory to the handset on the screen, on a first
// start (the disc written beside the window) and on a later one (the disc present), and the
// demo music's whole rendering. All run after the application has started, as in the program.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <memory>

#include "app/background_demo_disc.h"
#include "bench/support/bench_handset.h"
#include "cd/demo_disc.h"
#include "cd/demo_music.h"
#include "player/player_engine.h"

namespace {

namespace fs = std::filesystem;
using snx::bench::Handset;
using snx::bench::NewDirectory;

void BM_DemoMusicRendering(benchmark::State& state) {
    for (auto _ : state) {
        for (int track = 0; track < snx::kDemoTrackCount; ++track) {
            benchmark::DoNotOptimize(snx::RenderDemoTrack(track).data());
        }
    }
}
BENCHMARK(BM_DemoMusicRendering)->Unit(benchmark::kMillisecond);

// As the program starts with --demo: the disc inserted when present, else written beside the
// window; timed to the window's first paint. On a first start the counter disc_in_s is the
// time until the disc is in the drive.
void BM_DemoStartToVisibleWindow(benchmark::State& state) {
    const bool firstStart = state.range(0) == 0;
    const fs::path present = NewDirectory("demostart");
    snx::EnsureDemoDisc(present);
    double discIn = 0;
    for (auto _ : state) {
        const fs::path dir = firstStart ? NewDirectory("demofirst") : present;
        QElapsedTimer timer;
        timer.start();
        Handset handset(dir);
        std::unique_ptr<snx::BackgroundDemoDisc> writer;
        if (snx::DemoDiscPresent(dir)) {
            handset.Drives.VirtualDrive().Insert(snx::DemoDiscPath(dir));
        }
        handset.Window = std::make_unique<snx::TSnx>(handset.Device, handset.Session.Catalogue,
                                                     handset.Recording, handset.Wave, false);
        bool inserted = !firstStart;
        if (firstStart) {
            writer = std::make_unique<snx::BackgroundDemoDisc>(
                dir, handset.Window.get(), [&](const std::string& cue, const std::string&) {
                    handset.Window->InsertDiscImage(cue);
                    inserted = true;
                });
        }
        handset.ShowUntilPainted();
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        while (!inserted) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        discIn += static_cast<double>(timer.nsecsElapsed()) / 1e9;
        if (firstStart) {
            handset.Window->close();
            handset.Window.reset();
            fs::remove_all(dir);
        }
    }
    state.counters["disc_in_s"] = benchmark::Counter(discIn, benchmark::Counter::kAvgIterations);
    fs::remove_all(present);
}
BENCHMARK(BM_DemoStartToVisibleWindow)
    ->ArgName("present")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace
