// The player engine's tick on the user-interface thread: with a disc playing (the status reads
// included), and the first tick of a newly inserted disc found in a catalogue of 10,000 discs.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <optional>

#include "audio/clock.h"
#include "bench/support/catalogue_session.h"
#include "bench/support/generated_discs.h"
#include "catalogue/disc_catalogue.h"
#include "cd/cd_device.h"
#include "cd/demo_disc.h"
#include "cd/system_drives.h"
#include "player/player_engine.h"
#include "settings/settings.h"
#include "store/record_file/record_file.h"

namespace snx {
namespace {

using bench::Disc;
using bench::Discs;
using bench::NewDirectory;
using bench::YesMessages;

class NullView final : public PlayerView {
  public:
    void SetButtons(ButtonPattern, const CommandAvailability&) override {}
    void ShowDisc(const PlayerEngine&) override {}
    void SetVolumeGauges(int, int) override {}
    void Redraw(const PlayerEngine& engine) override {
        benchmark::DoNotOptimize(engine.State.TrackElapsed);
    }
    void ClearDisc() override {}
    void SetTitle(std::string_view) override {}
    void SetRepeat(bool, std::string_view) override {}
    int WindowTop() const override { return AppSettings().MainTop; }
    int WindowLeft() const override { return AppSettings().MainLeft; }
    void OpenSmallHandset() override {}
    void SetTickEnabled(bool) override {}
    void SetTickInterval(int) override {}
    void SetSkipTimer(bool, int) override {}
};

// An engine over the virtual drive holding the demo disc, real time, with a catalogue in a
// fresh data directory.
struct EngineSetup {
    explicit EngineSetup(std::filesystem::path directory) : dir(std::move(directory)) {
        SetSettingsDirectories(dir, dir);
        LoadSettings();
        InitRecordFiles(8);
        catalogue.emplace(holder, nullptr);
        catalogue->OpenDiscFiles();
        catalogue->CloseDiscFiles();
        engine.emplace(device, *catalogue, view, recording);
        drives.VirtualDrive().Insert(EnsureDemoDisc(dir).string());
    }
    ~EngineSetup() {
        engine.reset();
        device.CloseDrive();
        catalogue.reset();
        ExitRecordFiles();
    }

    std::filesystem::path dir;
    YesMessages messages;
    ScopedUserMessages installed{messages};
    ScopedStoreReporting reporting{bench::YesReporting()};
    SystemClock clock;
    SystemDrives drives{{}, clock, nullptr};
    CdDevice device{drives};
    Tfvlf holder{dir};
    std::optional<DiscCatalogue> catalogue;
    NullView view;
    NoRecording recording;
    std::optional<PlayerEngine> engine;
};

void BM_TickWhilePlaying(benchmark::State& state) {
    static const std::filesystem::path directory = NewDirectory("enginebench");
    EngineSetup setup(directory);
    setup.device.OpenDrive(setup.drives.VirtualDriveIndex());
    setup.engine->Tick();
    // In Custom mode every tick also asks the drive whether the piece has ended.
    setup.engine->SetPlayMode(static_cast<PlayMode>(state.range(0)));
    setup.engine->Disc().Store([](DiscTables& disc) { disc.Record.Programme = {1, 2, 3, 4, 5, 6}; },
                               StoreWhen::Catalogued);
    setup.engine->Play();
    setup.engine->Tick();
    for (auto _ : state) {
        setup.engine->Tick();
    }
    if (!setup.device.Playing()) {
        state.SkipWithError("the disc stopped playing");
    }
    setup.device.Stop();
}
BENCHMARK(BM_TickWhilePlaying)
    ->Arg(static_cast<int>(PlayMode::Disc))
    ->Arg(static_cast<int>(PlayMode::Custom))
    ->Unit(benchmark::kMicrosecond);

// The catalogue of 10,000 discs with the demo disc among them, in the middle of the identity
// order, made once: the benchmark runs its function several times.
const std::filesystem::path& LargeCatalogue() {
    static const std::filesystem::path directory = [] {
        const std::filesystem::path made = NewDirectory("enginebench");
        EngineSetup setup(made);
        setup.device.OpenDrive(setup.drives.VirtualDriveIndex());
        const std::string identity = setup.engine->Disc().Identity();
        std::size_t index = 0;
        // One transaction for the whole set: made quickly, flushed once.
        const snx::CatalogueScope scope(made, snx::CatalogueAccess::Write);
        for (const Disc& disc : Discs()) {
            DiscRecord record = disc.Record;
            if (++index == Discs().size() / 2) {
                record.Identity = identity;
            }
            KeySnapshot keys;
            setup.catalogue->StoreDiscRecord(record, disc.Tracks, disc.Notes, keys);
        }
        return made;
    }();
    return directory;
}

void BM_FirstTickOfInsertedDiscIn10000DiscCatalogue(benchmark::State& state) {
    EngineSetup setup(LargeCatalogue());
    setup.device.OpenDrive(setup.drives.VirtualDriveIndex());
    ImageDrive& drive = setup.drives.VirtualDrive();
    for (auto _ : state) {
        state.PauseTiming();
        drive.OpenTray();
        setup.engine->Tick();
        drive.CloseTray();
        state.ResumeTiming();
        setup.engine->Tick();
    }
    if (setup.engine->Disc().Number() <= 0) {
        state.SkipWithError("the disc was not found in the catalogue");
    }
}
BENCHMARK(BM_FirstTickOfInsertedDiscIn10000DiscCatalogue)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace snx
