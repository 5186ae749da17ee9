// What the small handset and the session bus read of the engine: the disc and track lines, the
// title, the mode lines and the transport buttons; and the handset's rules that moved into the
// engine (the four-way release, the track list's count, the device settings).
#include "player/handset_status.h"

#include <gtest/gtest.h>

#include <array>

#include "player/player_engine.h"
#include "tests/support/engine_fixture.h"

namespace snx::test {
namespace {

using Buttons = std::array<bool, 5>;  // play, stop, pause, eject, close

Buttons Transport(const CommandAvailability& can) {
    return {can.Play, can.Stop, can.Pause, can.Eject, can.CloseTray};
}

TEST(CommandAvailability, EveryPatternWithTheTrayInOrOut) {
    CommandAvailability idle;
    idle.Eject = true;
    CommandAvailability stopped = idle;
    stopped.Play = stopped.Mode = true;
    stopped.Previous = stopped.Next = stopped.GotoTrack = true;
    stopped.Programme = stopped.Fit = stopped.Edit = stopped.Sample = true;
    CommandAvailability playing = stopped;
    playing.Play = playing.Mode = false;
    playing.Stop = playing.Pause = playing.Skips = playing.Mark = true;
    EXPECT_EQ(AvailableCommands(ButtonPattern::Idle, false), idle);
    EXPECT_EQ(AvailableCommands(ButtonPattern::Stopped, false), stopped);
    EXPECT_EQ(AvailableCommands(ButtonPattern::Playing, false), playing);
    for (CommandAvailability* can : {&idle, &stopped, &playing}) {
        can->Eject = false;
        can->CloseTray = true;
    }
    EXPECT_EQ(AvailableCommands(ButtonPattern::Idle, true), idle);
    EXPECT_EQ(AvailableCommands(ButtonPattern::Stopped, true), stopped);
    EXPECT_EQ(AvailableCommands(ButtonPattern::Playing, true), playing);
}

TEST_F(EngineTest, StatusFollowsTheDiscFromInsertionToRemoval) {
    const HandsetStatus& status = *engine;
    EXPECT_EQ(status.DiscNameText(), "");
    EXPECT_EQ(status.TrackNameText(), "");
    EXPECT_EQ(status.TitleText(), "Sonatrix for Windows '95");
    EXPECT_EQ(Transport(status.Commands()), (Buttons{false, false, false, true, false}));

    std::vector<TestTrack> tracks = Tracks(2);
    tracks[0].Title = "Opening";
    tracks[1].Title = "Closing";
    Insert(tracks, {"Album", "Band", "Writer"});
    EXPECT_EQ(status.DiscNameText(), "Album");
    EXPECT_EQ(status.TrackNameText(), "Opening");
    EXPECT_EQ(status.TitleText(), "SNX [1] 00.00");
    EXPECT_EQ(view.Title, status.TitleText());
    EXPECT_EQ(Transport(status.Commands()), (Buttons{true, false, false, true, false}));

    engine->Play();
    EXPECT_EQ(Transport(status.Commands()), (Buttons{false, true, true, true, false}));
    PlayFor(65);
    EXPECT_EQ(status.TrackNameText(), "Closing");
    EXPECT_EQ(status.TitleText().rfind("SNX [2] 00.0", 0), 0U) << status.TitleText();
    engine->Pause();
    // The title is the one shown: it changes with the next redraw, not with the command.
    EXPECT_NE(status.TitleText(), "SNX [2] Paused");
    Tick();
    EXPECT_EQ(status.TitleText(), "SNX [2] Paused");
    EXPECT_EQ(engine->StatusTitle(), "SNX [2] Paused");

    Remove();
    EXPECT_EQ(status.DiscNameText(), "");
    EXPECT_EQ(status.TrackNameText(), "");
    EXPECT_EQ(status.TitleText(), "SNX [Stopped]");
    // The tray is out: only close.
    EXPECT_EQ(Transport(status.Commands()), (Buttons{false, false, false, false, true}));
}

TEST_F(EngineTest, EjectAndCloseKeepTheButtonsOfTheLastPattern) {
    Insert(Tracks(2));
    engine->Eject();
    EXPECT_EQ(Transport(engine->Commands()), (Buttons{false, false, false, false, true}));
    // Closing applies no pattern: close stays on until the disc is taken up again.
    engine->CloseTray();
    EXPECT_EQ(Transport(engine->Commands()), (Buttons{false, false, false, false, true}));
    Tick();
    EXPECT_EQ(Transport(engine->Commands()), (Buttons{true, false, false, true, false}));
}

TEST_F(EngineTest, ModeLineShowsRecordingAndPauseOverTheMode) {
    Insert(Tracks(3));
    EXPECT_EQ(engine->ModeLine(), "Mode: Disc");
    engine->SetPlayMode(PlayMode::Intro);
    EXPECT_EQ(engine->ModeLine(), "Mode: Intro");
    recording.Active = true;
    EXPECT_EQ(engine->ModeLine(), "RECORDING...");
    engine->Play();
    engine->Pause();
    EXPECT_EQ(engine->ModeLine(), "Paused...");
    // The small handset shows the mode alone.
    EXPECT_EQ(engine->PlayModeText(), "Mode: Intro");
}

TEST_F(EngineTest, FourWayReleaseStoresVolumesOnlyForACataloguedDisc) {
    Insert(Tracks(2));
    AppSettings().VolumeLeft = 1234;
    AppSettings().VolumeRight = 4321;
    engine->KeepDiscVolumes();
    EXPECT_EQ(engine->Disc().Record().SavedVolumeLeft, 1234);
    EXPECT_EQ(engine->Disc().Record().SavedVolumeRight, 4321);
    DiscRecord stored;
    StringGrid grid(3, 100);
    TextBox memo;
    KeySnapshot keys;
    EXPECT_EQ(catalogue->LoadDiscRecord(engine->Disc().Identity(), stored, grid, memo, keys), 0);

    StoreDisc();
    Remove();
    drives.VirtualDrive().CloseTray();
    Tick();
    ASSERT_GT(engine->Disc().Number(), 0);
    EXPECT_EQ(AppSettings().VolumeLeft, 1234);
    AppSettings().VolumeLeft = 2000;
    AppSettings().VolumeRight = 3000;
    engine->KeepDiscVolumes();
    ASSERT_GT(catalogue->LoadDiscRecord(engine->Disc().Identity(), stored, grid, memo, keys), 0);
    EXPECT_EQ(stored.SavedVolumeLeft, 2000);
    EXPECT_EQ(stored.SavedVolumeRight, 3000);
}

TEST_F(EngineTest, ARecordChangedElsewhereIsReadAgainBeforeThePlayerWritesItsVolumes) {
    Insert(Tracks(2));
    StoreDisc();

    // Another program names the disc meanwhile.
    Tfvlf otherHolder(dir.Path());
    DiscCatalogue other(otherHolder, nullptr);
    DiscRecord elsewhere;
    KeySnapshot keys;
    ASSERT_GT(other.LoadDiscRecord(engine->Disc().Identity(), elsewhere, otherHolder.catTracks,
                                   otherHolder.catMemo, keys),
              0);
    elsewhere.Name = "Named elsewhere";
    other.StoreDiscRecord(elsewhere, otherHolder.catTracks, otherHolder.catMemo, keys);

    AppSettings().VolumeLeft = 2000;
    AppSettings().VolumeRight = 3000;
    engine->KeepDiscVolumes();
    DiscRecord stored;
    StringGrid grid(3, 100);
    TextBox memo;
    ASSERT_GT(catalogue->LoadDiscRecord(engine->Disc().Identity(), stored, grid, memo, keys), 0);
    EXPECT_EQ(stored.Name, "Named elsewhere");
    EXPECT_EQ(stored.SavedVolumeLeft, 2000);
    EXPECT_EQ(stored.SavedVolumeRight, 3000);
    EXPECT_EQ(engine->Disc().Record().Name, "Named elsewhere");
}

TEST_F(EngineTest, TrackListOffersNoTracksOnceTheDiscHasGone) {
    EXPECT_EQ(engine->SelectableTrackCount(), 0);
    Insert(Tracks(4));
    EXPECT_EQ(engine->SelectableTrackCount(), 4);
    Remove();
    EXPECT_EQ(device.TrackCount, 4);  // the device keeps the last disc's table
    EXPECT_EQ(engine->SelectableTrackCount(), 0);
}

TEST_F(EngineTest, ChangedSettingsTakeEffectAtTheNextCommand) {
    Settings& settings = AppSettings();
    // A closed device sounds nothing, and that is no error.
    EXPECT_NO_THROW(engine->ApplyVolume());
    Insert(Tracks(2));
    EXPECT_NO_THROW(engine->ApplyVolume());
    settings.SkipTime = 0.20;
    engine->Skip(SkipDirection::Forward);
    EXPECT_EQ(MsfToMinSec(device.GetPosition()), AddMinSec(MsfToMinSec(Start(1)), 0.20));
    settings.SkipTime = 0.05;
    engine->Skip(SkipDirection::Forward);
    EXPECT_EQ(MsfToMinSec(device.GetPosition()), AddMinSec(MsfToMinSec(Start(1)), 0.25));
}

}  // namespace
}  // namespace snx::test
