// What the desktop's media controls are told and what their requests become, without a bus.
#include "app/mpris_state.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

namespace snx {
namespace {

// Track 3 of a disc: it starts at 10:00:00 and lasts 3 min 20 s 37 frames.
PlayerFacts OnTrackThree(ButtonPattern pattern, bool playing, bool paused) {
    PlayerFacts facts;
    facts.MediaPresent = true;
    facts.Commands = AvailableCommands(pattern, false);
    facts.Playing = playing;
    facts.Paused = paused;
    facts.Track = 3;
    facts.TrackStart = 10 * 60 * kFramesPerSecond;
    facts.TrackLength = 200 * kFramesPerSecond + 37;
    facts.Position = facts.TrackStart + 30 * kFramesPerSecond;
    facts.Album = "Album";
    facts.Artist = "Artist";
    facts.Title = "Third";
    facts.VolumeLeft = 65535;
    facts.VolumeRight = 32768;
    return facts;
}

PlayerFacts Playing() {
    return OnTrackThree(ButtonPattern::Playing, true, false);
}

TEST(MprisState, StatusAndAbilitiesFollowTheHandsetsButtons) {
    const PlayerProperties none = DescribePlayer(PlayerFacts{});
    EXPECT_EQ(none.PlaybackStatus, "Stopped");
    EXPECT_FALSE(none.CanPlay || none.CanPause || none.CanGoNext || none.CanGoPrevious ||
                 none.CanSeek);
    EXPECT_FALSE(none.Metadata);
    EXPECT_EQ(none.PositionMicros, 0);

    const PlayerProperties stopped =
        DescribePlayer(OnTrackThree(ButtonPattern::Stopped, false, false));
    EXPECT_EQ(stopped.PlaybackStatus, "Stopped");
    EXPECT_TRUE(stopped.CanPlay && stopped.CanGoNext && stopped.CanGoPrevious);
    EXPECT_FALSE(stopped.CanPause || stopped.CanSeek);

    const PlayerProperties playing = DescribePlayer(Playing());
    EXPECT_EQ(playing.PlaybackStatus, "Playing");
    EXPECT_TRUE(playing.CanPlay && playing.CanPause && playing.CanGoNext && playing.CanGoPrevious &&
                playing.CanSeek);

    // A paused disc keeps the playing pattern; the device is not sounding.
    EXPECT_EQ(DescribePlayer(OnTrackThree(ButtonPattern::Playing, false, true)).PlaybackStatus,
              "Paused");
    // A disc taken out between two ticks: the pattern may lag, the status does not.
    PlayerFacts removed = Playing();
    removed.MediaPresent = false;
    EXPECT_EQ(DescribePlayer(removed).PlaybackStatus, "Stopped");
    EXPECT_FALSE(DescribePlayer(removed).Metadata);
}

TEST(MprisState, AbilitiesMapTheEnginesCommandsOneForOne) {
    using C = CommandAvailability;
    using Abilities = std::array<bool, 5>;  // play, pause, next, previous, seek
    const auto with = [](bool C::*command) {
        PlayerFacts facts = Playing();
        facts.Commands = {};
        facts.Commands.*command = true;
        const PlayerProperties p = DescribePlayer(facts);
        return Abilities{p.CanPlay, p.CanPause, p.CanGoNext, p.CanGoPrevious, p.CanSeek};
    };
    EXPECT_EQ(with(&C::Play), (Abilities{true, false, false, false, false}));
    // Play also resumes.
    EXPECT_EQ(with(&C::Pause), (Abilities{true, true, false, false, false}));
    EXPECT_EQ(with(&C::Next), (Abilities{false, false, true, false, false}));
    EXPECT_EQ(with(&C::Previous), (Abilities{false, false, false, true, false}));
    EXPECT_EQ(with(&C::Skips), (Abilities{false, false, false, false, true}));
    for (bool C::*other : {&C::Stop, &C::Eject, &C::CloseTray, &C::Mark, &C::Mode, &C::GotoTrack,
                           &C::Programme, &C::Fit, &C::Edit, &C::Sample}) {
        EXPECT_EQ(with(other), Abilities{});
    }
}

TEST(MprisState, MetadataAndPositionInMicroseconds) {
    const PlayerProperties properties = DescribePlayer(Playing());
    ASSERT_TRUE(properties.Metadata);
    const TrackMetadata& metadata = *properties.Metadata;
    EXPECT_EQ(metadata.TrackId, "/org/sonatrix/track/3");
    EXPECT_EQ(metadata.LengthMicros, 200'493'333);  // 37 frames are 493,333 us
    EXPECT_EQ(metadata.Album, "Album");
    EXPECT_EQ(metadata.Artists, std::vector<std::string>{"Artist"});
    EXPECT_EQ(metadata.Title, "Third");
    EXPECT_EQ(metadata.TrackNumber, 3);
    EXPECT_EQ(properties.PositionMicros, 30'000'000);
    EXPECT_DOUBLE_EQ(properties.Volume, 1.0);

    // The position never leaves the track, whatever the device reports between two ticks.
    PlayerFacts facts = Playing();
    facts.Position = facts.TrackStart - 100;
    EXPECT_EQ(DescribePlayer(facts).PositionMicros, 0);
    facts.Position = facts.TrackStart + facts.TrackLength + 75;
    EXPECT_EQ(DescribePlayer(facts).PositionMicros, metadata.LengthMicros);
    facts.Artist.clear();
    EXPECT_TRUE(DescribePlayer(facts).Metadata->Artists.empty());
}

TEST(MprisState, LoopStatusTellsWhatRepeatStartsAgain) {
    EXPECT_EQ(LoopStatusName(false, PlayMode::Track), "None");
    EXPECT_EQ(LoopStatusName(true, PlayMode::Track), "Track");
    for (const PlayMode mode :
         {PlayMode::Disc, PlayMode::Shuffle, PlayMode::Intro, PlayMode::Custom}) {
        EXPECT_EQ(LoopStatusName(true, mode), "Playlist") << PlayModeName(mode);
    }
    EXPECT_EQ(LoopStatusName(true, PlayMode::Random), "None");
    EXPECT_EQ(RepeatForLoopStatus("None"), false);
    EXPECT_EQ(RepeatForLoopStatus("Track"), true);
    EXPECT_EQ(RepeatForLoopStatus("Playlist"), true);
    EXPECT_EQ(RepeatForLoopStatus("track"), std::nullopt);

    PlayerFacts facts = Playing();
    facts.Mode = PlayMode::Shuffle;
    EXPECT_TRUE(DescribePlayer(facts).Shuffle);
    facts.Mode = PlayMode::Random;
    EXPECT_FALSE(DescribePlayer(facts).Shuffle);
}

TEST(MprisState, RequestsKeepTheRulesOfTheButtons) {
    const PlayerProperties playing = DescribePlayer(Playing());
    const PlayerProperties paused =
        DescribePlayer(OnTrackThree(ButtonPattern::Playing, false, true));
    const PlayerProperties stopped =
        DescribePlayer(OnTrackThree(ButtonPattern::Stopped, false, false));
    const PlayerProperties empty = DescribePlayer(PlayerFacts{});

    EXPECT_EQ(CommandFor(MprisRequest::Play, stopped), TransportCommand::Play);
    EXPECT_EQ(CommandFor(MprisRequest::Play, paused), TransportCommand::TogglePause);
    EXPECT_EQ(CommandFor(MprisRequest::Play, playing), TransportCommand::None);
    EXPECT_EQ(CommandFor(MprisRequest::Play, empty), TransportCommand::None);
    // Pause is not a toggle: a second pause must not resume.
    EXPECT_EQ(CommandFor(MprisRequest::Pause, playing), TransportCommand::TogglePause);
    EXPECT_EQ(CommandFor(MprisRequest::Pause, paused), TransportCommand::None);
    EXPECT_EQ(CommandFor(MprisRequest::Pause, stopped), TransportCommand::None);
    EXPECT_EQ(CommandFor(MprisRequest::PlayPause, playing), TransportCommand::TogglePause);
    EXPECT_EQ(CommandFor(MprisRequest::PlayPause, paused), TransportCommand::TogglePause);
    EXPECT_EQ(CommandFor(MprisRequest::PlayPause, stopped), TransportCommand::Play);
    // A stop on a stopped disc would end an introduction scan into a play of the track.
    EXPECT_EQ(CommandFor(MprisRequest::Stop, stopped), TransportCommand::None);
    EXPECT_EQ(CommandFor(MprisRequest::Stop, paused), TransportCommand::Stop);
    EXPECT_EQ(CommandFor(MprisRequest::Next, stopped), TransportCommand::Next);
    EXPECT_EQ(CommandFor(MprisRequest::Previous, playing), TransportCommand::Previous);
    EXPECT_EQ(CommandFor(MprisRequest::Next, empty), TransportCommand::None);
}

TEST(MprisState, SeeksStayInTheTrackOrGoOnToTheNext) {
    const PlayerFacts facts = Playing();
    const SeekTarget ahead = SeekBy(facts, 10'000'000);
    EXPECT_EQ(ahead.Action, SeekTarget::Kind::MoveTo);
    EXPECT_EQ(ahead.Position, facts.TrackStart + 40 * kFramesPerSecond);
    const SeekTarget back = SeekBy(facts, -60'000'000);
    EXPECT_EQ(back.Action, SeekTarget::Kind::MoveTo);
    EXPECT_EQ(back.Position, facts.TrackStart);
    EXPECT_EQ(SeekBy(facts, 171'000'000).Action, SeekTarget::Kind::NextTrack);
    // Offsets from another program may be anything.
    EXPECT_EQ(SeekBy(facts, std::numeric_limits<std::int64_t>::max()).Action,
              SeekTarget::Kind::NextTrack);
    EXPECT_EQ(SeekBy(facts, std::numeric_limits<std::int64_t>::min()).Position, facts.TrackStart);
    EXPECT_EQ(SeekBy(OnTrackThree(ButtonPattern::Stopped, false, false), 1'000'000).Action,
              SeekTarget::Kind::None);

    const SeekTarget set = SeekToPosition(facts, "/org/sonatrix/track/3", 2'000'000);
    EXPECT_EQ(set.Action, SeekTarget::Kind::MoveTo);
    EXPECT_EQ(set.Position, facts.TrackStart + 150);
    EXPECT_EQ(SeekToPosition(facts, "/org/sonatrix/track/2", 0).Action, SeekTarget::Kind::None);
    EXPECT_EQ(SeekToPosition(facts, "/org/sonatrix/track/3", -1).Action, SeekTarget::Kind::None);
    EXPECT_EQ(SeekToPosition(facts, "/org/sonatrix/track/3", 200'493'334).Action,
              SeekTarget::Kind::None);
}

TEST(MprisState, OnlyChangedPropertiesAreAnnounced) {
    const PlayerProperties before = DescribePlayer(Playing());
    PlayerFacts moved = Playing();
    moved.Position += 75;
    EXPECT_TRUE(ChangedProperties(before, DescribePlayer(moved)).empty());

    PlayerFacts next = Playing();
    next.Track = 4;
    next.Paused = true;
    next.Playing = false;
    EXPECT_EQ(ChangedProperties(before, DescribePlayer(next)),
              (std::vector<std::string>{"PlaybackStatus", "Metadata"}));
    EXPECT_EQ(ChangedProperties(before, DescribePlayer(PlayerFacts{})),
              (std::vector<std::string>{"PlaybackStatus", "Volume", "Metadata", "CanGoNext",
                                        "CanGoPrevious", "CanPlay", "CanPause", "CanSeek"}));
}

}  // namespace
}  // namespace snx
