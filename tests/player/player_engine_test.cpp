#include "player/player_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "tests/support/engine_fixture.h"

namespace snx::test {
namespace {

MinSec Seconds(int seconds) {
    return seconds / 60 + seconds % 60 * 0.01;
}

// Positions are as heard, a few frames behind the clock, and shown in whole seconds: a time may
// be a second off either way.
void ExpectSeconds(MinSec actual, int seconds) {
    const auto near = [&](int s) { return std::abs(actual - Seconds(s)) < 1e-6; };
    EXPECT_TRUE(near(seconds) || near(seconds - 1) || near(seconds + 1))
        << actual << " is not " << Seconds(seconds);
}

// --- New disc, tick and removal ---

TEST_F(EngineTest, NewDiscIsLoadedShownOnceAndStopped) {
    Insert(Tracks(3));
    EXPECT_TRUE(State().DiscLoaded);
    EXPECT_TRUE(State().DiscShown);
    EXPECT_EQ(view.DiscsShown, 1);
    EXPECT_EQ(view.Last(), ButtonPattern::Stopped);
    EXPECT_EQ(State().CurrentTrack, 1);
    EXPECT_EQ(engine->Disc().Number(), 0);
    EXPECT_EQ(engine->Disc().Record().Name, "Unknown");
    EXPECT_EQ(engine->Disc().Record().TrackCount, 3);
    EXPECT_TRUE(view.TickEnabled);
    Tick();
    EXPECT_EQ(view.DiscsShown, 1);
    EXPECT_EQ(view.Redraws, 2);
}

TEST_F(EngineTest, DiscNotYetReadIsTakenUpOnALaterTick) {
    lagging.Unread = true;
    Insert(Tracks(2));
    EXPECT_FALSE(State().MediaPresent);
    EXPECT_FALSE(State().DiscShown);
    EXPECT_TRUE(view.TickEnabled);
    lagging.Unread = false;
    Tick();
    EXPECT_TRUE(State().DiscShown);
    EXPECT_EQ(engine->Disc().Record().TrackCount, 2);
}

TEST_F(EngineTest, WindowMoveIsSavedAndStartSmallOpensOnFirstTickOnly) {
    AppSettings().StartSmall = true;
    view.Top = 40;
    view.Left = 70;
    Insert(Tracks(2));
    Tick();
    EXPECT_EQ(AppSettings().MainTop, 40);
    EXPECT_EQ(AppSettings().MainLeft, 70);
    EXPECT_EQ(ReadSettings(dir.Path(), dir.Path()).MainTop, 40);
    EXPECT_EQ(view.SmallOpened, 1);
}

TEST_F(EngineTest, RemovalWhilePlayingShowsStoppedTitleAndIdlePattern) {
    Insert(Tracks(3));
    engine->Play();
    PlayFor(5);
    EXPECT_EQ(view.Last(), ButtonPattern::Playing);
    Remove();
    EXPECT_EQ(view.Title, "SNX [Stopped]");
    EXPECT_EQ(view.Last(), ButtonPattern::Idle);
    EXPECT_EQ(view.Clears, 1);
    EXPECT_FALSE(State().DiscShown);
    EXPECT_FALSE(State().DiscLoaded);
    EXPECT_FALSE(device.Playing());
    Tick();
    EXPECT_EQ(view.Clears, 1);
}

TEST_F(EngineTest, AutoPlayRequestPlaysEveryInsertedDisc) {
    State().AutoPlayRequested = true;
    Insert(Tracks(3));
    EXPECT_TRUE(DrivePlaying());
    EXPECT_EQ(view.Last(), ButtonPattern::Playing);
    Remove();
    Insert(Tracks(2, 30));
    EXPECT_TRUE(DrivePlaying());
    EXPECT_EQ(view.Last(), ButtonPattern::Playing);
}

TEST_F(EngineTest, DiscChangeWithSameCurrentTrackRecomputesTrackTimes) {
    Insert(Tracks(2, 60));
    EXPECT_EQ(State().TrackLengthTime, 1.00);
    Remove();
    Insert(Tracks(2, 45));
    EXPECT_EQ(State().CurrentTrack, 1);
    EXPECT_EQ(State().TrackLengthTime, 0.45);
    EXPECT_EQ(State().TrackRemaining, 0.45);
}

TEST_F(EngineTest, DisplayTimesFollowThePosition) {
    Insert(Tracks(3, 60));
    engine->Play();
    PlayFor(75);
    EXPECT_EQ(State().CurrentTrack, 2);
    ExpectSeconds(State().TrackElapsed, 15);
    ExpectSeconds(State().TrackRemaining, 45);
    ExpectSeconds(State().DiscElapsed, 75);
    ExpectSeconds(State().DiscRemaining, 105);
}

// --- Catalogue records ---

TEST_F(EngineTest, OrphanRecordTakesTheDiscTimesAndIsStoredOnce) {
    Insert({Track(1, 0), Track(2, 30)});
    const std::string identity = engine->Disc().Identity();
    Remove();
    DiscRecord orphan;
    orphan.Identity = identity;
    orphan.Name = "Imported";
    orphan.Orphan = true;
    StringGrid tracks(3, 100);
    TextBox memo;
    KeySnapshot keys;
    ASSERT_GT(catalogue->StoreDiscRecord(orphan, tracks, memo, keys), 0);

    drives.VirtualDrive().CloseTray();
    Tick();
    EXPECT_FALSE(engine->Disc().Record().Orphan);
    DiscRecord stored;
    StringGrid storedTracks(3, 100);
    catalogue->LoadDiscRecord(identity, stored, storedTracks, memo, keys);
    EXPECT_EQ(stored.Name, "Imported");
    EXPECT_FALSE(stored.Orphan);
    EXPECT_EQ(stored.TrackCount, 2);
    EXPECT_EQ(stored.TrackLengths[1], PackMsf(2, 30, 0));
    EXPECT_NEAR(stored.PlayingTime, 3.30, 1e-9);
}

TEST_F(EngineTest, UnknownDiscWithCdTextTakesItsNamesWithoutStoring) {
    std::vector<TestTrack> tracks = Tracks(2);
    tracks[0].Title = "Opening";
    tracks[1].Title = "Closing";
    Insert(tracks, {"Album", "Band", "Writer"});
    EXPECT_EQ(engine->Disc().Record().Name, "Album");
    EXPECT_EQ(engine->Disc().Record().Artist, "Band");
    EXPECT_EQ(engine->Disc().Record().Composer, "Writer");
    EXPECT_EQ(engine->Disc().Tracks().Cell(0, 1), "Opening");
    EXPECT_EQ(engine->Disc().Tracks().Cell(0, 2), "Closing");
    DiscRecord loaded;
    StringGrid grid(3, 100);
    TextBox memo;
    KeySnapshot keys;
    EXPECT_EQ(catalogue->LoadDiscRecord(engine->Disc().Identity(), loaded, grid, memo, keys), 0);
}

TEST_F(EngineTest, RecordGivesModeAndVolumes) {
    Insert(Tracks(2));
    StoreDisc();
    Change([](DiscRecord& r) {
        r.SavedPlayMode = static_cast<std::int16_t>(PlayMode::Intro);
        r.SavedVolumeLeft = 1000;
    });
    Remove();
    drives.VirtualDrive().CloseTray();
    Tick();
    EXPECT_EQ(State().Mode, PlayMode::Intro);
    EXPECT_EQ(AppSettings().VolumeLeft, 1000);
    EXPECT_GT(engine->Disc().Number(), 0);
}

// --- Disc mode ---

TEST_F(EngineTest, DiscModeStopInTrackFiveShowsTrackOneNextTick) {
    Insert(Tracks(6));
    engine->Play();
    Tick();
    engine->Forward();
    Tick();
    for (int i = 0; i < 3; ++i) {
        engine->Forward();
    }
    PlayFor(20);
    EXPECT_EQ(State().CurrentTrack, 5);
    engine->Stop();
    EXPECT_EQ(view.Last(), ButtonPattern::Stopped);
    Tick();
    EXPECT_EQ(State().Position, Start(1));
    EXPECT_EQ(State().CurrentTrack, 1);
    EXPECT_EQ(State().TrackElapsed, 0);
}

TEST_F(EngineTest, DiscModeEndWindsBackOrRepeats) {
    Insert(Tracks(2, 5));
    engine->Play();
    PlayFor(2);
    PlayFor(10);
    EXPECT_FALSE(device.Playing());
    EXPECT_EQ(State().Position, Start(1));
    EXPECT_EQ(view.Last(), ButtonPattern::Stopped);

    engine->ToggleRepeat();
    engine->Play();
    PlayFor(2);
    PlayFor(10);
    EXPECT_TRUE(DrivePlaying());
    EXPECT_EQ(Heard(), 1);
}

TEST_F(EngineTest, PreviousAndNextMoveBetweenTracksWhileStopped) {
    Insert(Tracks(3));
    engine->Forward();
    Tick();
    EXPECT_EQ(State().Position, Start(2));
    engine->Forward();
    engine->Forward();
    Tick();
    EXPECT_EQ(State().CurrentTrack, 3);
    engine->Back();
    Tick();
    EXPECT_EQ(State().CurrentTrack, 2);
    EXPECT_FALSE(DrivePlaying());
}

TEST_F(EngineTest, StartOfTrackAndPauseKeepPlayState) {
    Insert(Tracks(3));
    engine->Play();
    PlayFor(70);
    engine->RestartTrack();
    Tick();
    EXPECT_EQ(State().Position, Start(2));
    EXPECT_TRUE(DrivePlaying());
    engine->Pause();
    PlayFor(10);
    EXPECT_TRUE(device.Paused());
    EXPECT_EQ(State().Position, Start(2));
    EXPECT_EQ(view.Last(), ButtonPattern::Playing);
    engine->Pause();
    PlayFor(10);
    ExpectSeconds(State().TrackElapsed, 10);
}

TEST_F(EngineTest, EjectAppliesIdlePattern) {
    Insert(Tracks(2));
    engine->Eject();
    EXPECT_EQ(view.Last(), ButtonPattern::Idle);
    Tick();
    EXPECT_FALSE(State().MediaPresent);
    engine->CloseTray();
    Tick();
    EXPECT_TRUE(State().DiscShown);
}

// --- Track and Random modes ---

TEST_F(EngineTest, TrackModeRepeatRestartsTheChosenTrackElseStopsAtNext) {
    Insert(Tracks(3, 10));
    State().Mode = PlayMode::Track;
    engine->Forward();
    Tick();
    engine->Play();
    EXPECT_EQ(State().SingleTrackNumber, 2);
    PlayFor(5);
    PlayFor(6);
    EXPECT_FALSE(DrivePlaying());
    EXPECT_EQ(State().Position, Start(3));
    EXPECT_EQ(view.Last(), ButtonPattern::Stopped);

    engine->Back();
    Tick();
    engine->ToggleRepeat();
    engine->Play();
    PlayFor(5);
    PlayFor(6);
    EXPECT_TRUE(DrivePlaying());
    EXPECT_EQ(Heard(), 2);
}

TEST_F(EngineTest, RandomModeHasNoSingleTrackRepeat) {
    Insert(Tracks(3, 10));
    State().Mode = PlayMode::Random;
    engine->ToggleRepeat();
    engine->Play();
    PlayFor(5);
    PlayFor(6);
    EXPECT_FALSE(DrivePlaying());
    EXPECT_EQ(State().Position, Start(2));
}

// --- Intro mode ---

TEST_F(EngineTest, IntroScanEndsInDiscModeOrRestartsWithRepeat) {
    Insert(Tracks(3, 30));
    State().Mode = PlayMode::Intro;
    engine->Play();
    PlayFor(5);
    PlayFor(6);
    EXPECT_EQ(Heard(), 2);
    PlayFor(5);
    PlayFor(6);
    EXPECT_EQ(Heard(), 3);
    PlayFor(5);
    PlayFor(6);
    EXPECT_EQ(State().Mode, PlayMode::Disc);
    EXPECT_FALSE(DrivePlaying());
    EXPECT_EQ(State().Position, Start(1));

    State().Mode = PlayMode::Intro;
    engine->ToggleRepeat();
    engine->Play();
    for (int i = 0; i < 3; ++i) {
        PlayFor(5);
        PlayFor(6);
    }
    EXPECT_EQ(State().Mode, PlayMode::Intro);
    EXPECT_TRUE(DrivePlaying());
    EXPECT_EQ(Heard(), 1);
}

TEST_F(EngineTest, StopDuringIntroPlaysTheTrackOnInTrackMode) {
    Insert(Tracks(3, 30));
    State().Mode = PlayMode::Intro;
    engine->Play();
    PlayFor(5);
    engine->Stop();
    EXPECT_EQ(State().Mode, PlayMode::Track);
    EXPECT_EQ(engine->Disc().Record().SavedPlayMode, 0);
    PlayFor(20);
    EXPECT_TRUE(DrivePlaying());
    EXPECT_EQ(Heard(), 1);
    PlayFor(10);
    EXPECT_FALSE(DrivePlaying());
    EXPECT_EQ(State().Position, Start(2));
}

TEST_F(EngineTest, DeviceStillStoppedRightAfterAnAdvanceDoesNotAdvanceAgain) {
    Insert(Tracks(4, 30));
    State().Mode = PlayMode::Intro;
    engine->Play();
    PlayFor(5);
    lagging.Stale = true;
    PlayFor(6);
    EXPECT_EQ(Heard(), 2);
    Tick();
    Tick();
    EXPECT_EQ(Heard(), 2);
    lagging.Stale = false;
    PlayFor(1);
    EXPECT_EQ(Heard(), 2);
}

TEST_F(EngineTest, IntroEndingAtTheLastTrackEndsARecording) {
    Insert(Tracks(1, 30));
    State().Mode = PlayMode::Intro;
    engine->SetTickInterval(50);
    recording.Active = true;
    engine->Play();
    PlayFor(5);
    PlayFor(6);
    EXPECT_EQ(recording.Ended, 1);
    EXPECT_EQ(view.TickInterval, 1000);
}

// --- Custom programme ---

TEST_F(EngineTest, EmptyProgrammeDoesNothing) {
    Insert(Tracks(3));
    State().Mode = PlayMode::Custom;
    engine->Play();
    Tick();
    EXPECT_FALSE(DrivePlaying());
    EXPECT_EQ(view.Last(), ButtonPattern::Stopped);
}

TEST_F(EngineTest, ProgrammePlaysInOrderThenStopsOrRepeats) {
    Insert(Tracks(3, 10));
    State().Mode = PlayMode::Custom;
    Change([](DiscRecord& r) { r.Programme = {3, 1}; });
    engine->Play();
    EXPECT_EQ(Heard(), 3);
    PlayFor(5);
    PlayFor(6);
    EXPECT_EQ(Heard(), 1);
    EXPECT_EQ(State().ListPosition, 2);
    PlayFor(5);
    PlayFor(6);
    EXPECT_FALSE(device.Playing());
    EXPECT_EQ(view.Last(), ButtonPattern::Stopped);

    engine->ToggleRepeat();
    engine->Play();
    for (int i = 0; i < 2; ++i) {
        PlayFor(5);
        PlayFor(6);
    }
    EXPECT_TRUE(DrivePlaying());
    EXPECT_EQ(Heard(), 3);
    EXPECT_EQ(State().ListPosition, 1);
}

TEST_F(EngineTest, NextPastTheProgrammeEndThenPrevious) {
    Insert(Tracks(3, 60));
    State().Mode = PlayMode::Custom;
    Change([](DiscRecord& r) { r.Programme = {1, 2}; });
    engine->Play();
    engine->Forward();
    PlayFor(10);
    engine->Forward();
    EXPECT_EQ(State().ListPosition, 3);
    PlayFor(5);
    ExpectSeconds(State().TrackElapsed, 15);
    engine->Back();
    Tick();
    EXPECT_EQ(State().ListPosition, 2);
    EXPECT_EQ(State().Position, Start(2));

    PlayFor(10);
    engine->Forward();
    engine->Forward();
    engine->Back();
    Tick();
    EXPECT_EQ(State().ListPosition, 3);
    ExpectSeconds(State().TrackElapsed, 10);
}

TEST_F(EngineTest, ProgrammeEntriesOutsideTheDiscArePassedOver) {
    Insert(Tracks(3, 10));
    State().Mode = PlayMode::Custom;
    Change([](DiscRecord& r) { r.Programme = {0, 7, 2, 200, 1}; });
    engine->Play();
    EXPECT_EQ(State().ListPosition, 3);
    EXPECT_EQ(Heard(), 2);
    PlayFor(5);
    PlayFor(6);
    EXPECT_EQ(State().ListPosition, 5);
    EXPECT_EQ(Heard(), 1);
    engine->Back();
    EXPECT_EQ(State().ListPosition, 3);
    EXPECT_EQ(Heard(), 2);
}

// --- Shuffle ---

TEST_F(EngineTest, ShuffleHoldsEveryTrackOnceAndDrawsANewOrderEachPlay) {
    Insert(Tracks(12, 10));
    State().Mode = PlayMode::Shuffle;
    engine->Play();
    const std::vector<std::uint8_t> first = State().ShuffleOrder;
    std::vector<std::uint8_t> sorted = first;
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::uint8_t> all(12);
    std::iota(all.begin(), all.end(), 1);
    EXPECT_EQ(sorted, all);
    EXPECT_EQ(Heard(), first[0]);
    PlayFor(5);
    PlayFor(6);
    EXPECT_EQ(Heard(), first[1]);
    engine->Play();
    EXPECT_NE(State().ShuffleOrder, first);
    EXPECT_EQ(State().ListPosition, 1);
}

TEST_F(EngineTest, ShuffleOfADiscWithoutTracksPlaysNothing) {
    Insert(Tracks(2));
    State().Mode = PlayMode::Shuffle;
    Change([](DiscRecord& r) { r.TrackCount = 0; });
    engine->Play();
    EXPECT_TRUE(State().ShuffleOrder.empty());
    EXPECT_FALSE(DrivePlaying());
}

// --- Data tracks, short pieces and pauses ---

TEST_F(EngineTest, AnEnhancedCdPlaysToItsEndInEveryMode) {
    AppSettings().IntroTime = 0.02;
    Insert(EnhancedCd());
    const auto playToTheEnd = [this](PlayMode mode) {
        engine->SetPlayMode(mode);
        engine->Play();
        std::vector<int> heard;
        for (int second = 0; second < 60 && device.Playing(); ++second) {
            if (DrivePlaying() && (heard.empty() || heard.back() != Heard())) {
                heard.push_back(Heard());
            }
            PlayFor(1);
        }
        EXPECT_FALSE(device.Playing()) << static_cast<int>(mode);
        EXPECT_EQ(view.Last(), ButtonPattern::Stopped) << static_cast<int>(mode);
        return heard;
    };
    EXPECT_EQ(playToTheEnd(PlayMode::Disc), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(playToTheEnd(PlayMode::Intro), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(State().Mode, PlayMode::Disc);
    EXPECT_EQ(State().Position, Start(1));
    std::vector<int> shuffled = playToTheEnd(PlayMode::Shuffle);
    std::sort(shuffled.begin(), shuffled.end());
    EXPECT_EQ(shuffled, (std::vector<int>{1, 2, 3}));
    engine->Disc().Store(
        [](DiscTables& disc) {
            disc.Record.Programme = {4, 2, 4, 1};
        },
        StoreWhen::Catalogued);
    EXPECT_EQ(playToTheEnd(PlayMode::Custom), (std::vector<int>{2, 1}));

    // An intro of 0 s hears nothing: the whole scan is over on the next tick.
    AppSettings().IntroTime = 0;
    engine->GoToTrack(2);
    engine->SetPlayMode(PlayMode::Intro);
    engine->Play();
    Tick();
    EXPECT_EQ(State().Mode, PlayMode::Disc);
    EXPECT_FALSE(device.Playing());
}

TEST_F(EngineTest, DataFirstDiscAndPiecesShorterThanATickAreFollowed) {
    AppSettings().IntroTime = 0.02;
    Insert(DataFirstDisc());
    engine->SetPlayMode(PlayMode::Intro);
    engine->Play();
    Tick();
    EXPECT_EQ(Heard(), 2);
    EXPECT_TRUE(DrivePlaying());

    Remove();
    Insert({Track(0, 0, 20), Track(0, 0, 5), Track(0, 10)});
    engine->SetPlayMode(PlayMode::Custom);
    engine->Disc().Store(
        [](DiscTables& disc) {
            disc.Record.Programme = {1, 2, 1, 3};
        },
        StoreWhen::Catalogued);
    engine->Play();
    PlayFor(1);
    EXPECT_EQ(State().ListPosition, 2);
    PlayFor(1);
    PlayFor(1);
    EXPECT_EQ(State().ListPosition, 4);
    EXPECT_EQ(Heard(), 3);
}

TEST_F(EngineTest, CommandsWhilePausedMoveThePausedPlay) {
    Insert(Tracks(3, 60));
    State().Mode = PlayMode::Track;
    engine->ToggleRepeat();
    engine->Play();
    PlayFor(5);
    engine->Pause();
    engine->Forward();
    PlayFor(3);
    EXPECT_TRUE(device.Paused());
    EXPECT_EQ(State().Position, Start(2));
    EXPECT_FALSE(DrivePlaying());
    engine->Forward();
    engine->Forward();  // on the last track: nothing changes
    engine->Skip(SkipDirection::Back);
    PlayFor(1);
    EXPECT_TRUE(device.Paused());
    EXPECT_EQ(view.Last(), ButtonPattern::Playing);
    ExpectSeconds(State().DiscElapsed, 90);
    engine->Pause();
    PlayFor(5);
    EXPECT_EQ(Heard(), 2);
    ExpectSeconds(State().TrackElapsed, 35);

    engine->Pause();
    State().Mode = PlayMode::Custom;
    engine->Disc().Store(
        [](DiscTables& disc) {
            disc.Record.Programme = {3, 1};
        },
        StoreWhen::Catalogued);
    engine->Back();  // the first entry, still paused
    PlayFor(1);
    EXPECT_TRUE(device.Paused());
    EXPECT_EQ(State().ListPosition, 1);
    EXPECT_EQ(State().Position, Start(3));
    engine->RestartTrack();
    engine->Pause();
    PlayFor(2);
    EXPECT_EQ(Heard(), 3);

    engine->Pause();
    State().Mode = PlayMode::Intro;
    engine->Stop();
    PlayFor(2);
    EXPECT_FALSE(DrivePlaying());
    EXPECT_EQ(view.Last(), ButtonPattern::Stopped);
}

// --- Skips, repeat, bookmark, recording ---

TEST_F(EngineTest, SkipsWhileStoppedMoveThePositionWithinTheDisc) {
    Insert(Tracks(2, 60));
    engine->Skip(SkipDirection::Forward);
    Tick();
    ExpectSeconds(State().TrackElapsed, 30);
    engine->Skip(SkipDirection::Back);
    Tick();
    EXPECT_EQ(State().Position, Start(1));
    engine->Skip(SkipDirection::Back);
    Tick();
    EXPECT_EQ(State().Position, Start(1));
    for (int i = 0; i < 5; ++i) {
        engine->Skip(SkipDirection::Forward);
    }
    Tick();
    ExpectSeconds(State().DiscElapsed, 120);
}

TEST_F(EngineTest, HeldSkipRepeatsAtTheSettingsInterval) {
    AppSettings().SkipRepeatInterval = 120;
    Insert(Tracks(3, 60));
    engine->Play();
    engine->StartSkip(SkipDirection::Forward);
    EXPECT_TRUE(view.SkipTimerEnabled);
    EXPECT_EQ(view.SkipInterval, 120);
    engine->SkipTick();
    engine->EndSkip(SkipDirection::Forward);
    EXPECT_FALSE(view.SkipTimerEnabled);
    engine->SkipTick();  // a tick already queued when the button was released
    Tick();
    ExpectSeconds(State().DiscElapsed, 60);
    EXPECT_TRUE(DrivePlaying());
    engine->StartSkip(SkipDirection::Back);
    engine->SkipTick();
    engine->EndSkip(SkipDirection::Back);
    Tick();
    ExpectSeconds(State().DiscElapsed, 0);
}

TEST_F(EngineTest, RepeatTogglesCheckMarkAndGlyph) {
    Insert(Tracks(1));
    engine->ToggleRepeat();
    EXPECT_TRUE(State().RepeatOn);
    EXPECT_TRUE(view.RepeatChecked);
    EXPECT_EQ(view.Glyph, "LEDON");
    engine->ToggleRepeat();
    EXPECT_FALSE(view.RepeatChecked);
    EXPECT_EQ(view.Glyph, "LEDOFF");
}

class PlayingOnMessages final : public UserMessages {
  public:
    explicit PlayingOnMessages(VirtualClock& clock) : clock_(clock) {}
    void ShowError(const std::string& text) override {
        Shown = text;
        clock_.AdvanceSeconds(7);
    }
    bool Confirm(const std::string&) override { return false; }
    std::string Shown;

  private:
    VirtualClock& clock_;
};

TEST_F(EngineTest, BookmarkEndsWhenTheBoxIsClosed) {
    Insert(Tracks(2, 60));
    engine->Play();
    PlayFor(10);
    PlayingOnMessages box(clock);
    ScopedUserMessages installed(box);
    engine->MarkBookmark();
    EXPECT_EQ(box.Shown, "Click [OK] to mark end of bookmark");
    EXPECT_NEAR(MsfToLba(State().BookmarkStart), MsfToLba(Start(1)) + 10 * kFramesPerSecond, 5);
    EXPECT_NEAR(MsfToLba(State().BookmarkEnd) - MsfToLba(State().BookmarkStart),
                7 * kFramesPerSecond, 5);
}

TEST_F(EngineTest, StopDuringARecordingEndsIt) {
    Insert(Tracks(2));
    engine->SetTickInterval(50);
    recording.Active = true;
    engine->Play();
    PlayFor(1);
    engine->Stop();
    EXPECT_EQ(recording.Ended, 1);
    EXPECT_EQ(view.TickInterval, 1000);
    EXPECT_EQ(engine->TickInterval(), 1000);
}

}  // namespace
}  // namespace snx::test
