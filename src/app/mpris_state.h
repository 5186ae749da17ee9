// What the desktop's media controls see of the player: facts read from the engine, the player
// properties published from them, and which handset command each request becomes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cd/cd_types.h"
#include "cd/play_mode.h"
#include "player/command_availability.h"

namespace snx {

class PlayerEngine;

// The player at one moment, in the terms of the session bus.
struct PlayerFacts {
    bool MediaPresent = false;
    bool Playing = false;  // the device is sounding
    bool Paused = false;
    CommandAvailability Commands;
    PlayMode Mode = PlayMode::Disc;
    bool RepeatOn = false;
    int Track = 0;  // current track; 0 without a disc
    Lba TrackStart = 0;
    Lba TrackLength = 0;  // frames
    Lba Position = 0;     // on the disc
    std::string Album;    // UTF-8, as the handset shows them
    std::string Artist;
    std::string Title;
    std::string ArtUrl;  // file:// URL of the cover of the archive that plays; empty without
    std::int32_t VolumeLeft = 0;  // 0..65535
    std::int32_t VolumeRight = 0;
};

// Reads the device live, so a position asked between two ticks is the one being heard.
PlayerFacts GatherPlayerFacts(PlayerEngine& engine);

struct TrackMetadata {
    std::string TrackId;  // a D-Bus object path
    std::int64_t LengthMicros = 0;
    std::string Album;
    std::vector<std::string> Artists;  // empty when the record names none
    std::string Title;
    int TrackNumber = 0;
    std::string ArtUrl;  // empty: none

    bool operator==(const TrackMetadata&) const = default;
};

struct PlayerProperties {
    std::string PlaybackStatus = "Stopped";  // "Playing", "Paused" or "Stopped"
    std::string LoopStatus = "None";         // "None", "Track" or "Playlist"
    bool Shuffle = false;
    double Volume = 0;
    std::optional<TrackMetadata> Metadata;  // none without a current track
    std::int64_t PositionMicros = 0;        // into the current track
    bool CanGoNext = false;
    bool CanGoPrevious = false;
    bool CanPlay = false;
    bool CanPause = false;
    bool CanSeek = false;
};

PlayerProperties DescribePlayer(const PlayerFacts& facts);

// The properties whose change is announced by PropertiesChanged, in a fixed order. Position is
// never among them: clients follow it by the clock and the Seeked signal.
std::vector<std::string> ChangedProperties(const PlayerProperties& before,
                                           const PlayerProperties& after);

std::string TrackObjectPath(int track);
std::int64_t FramesToMicros(Lba frames);
// Whole frames, rounded towards zero.
Lba MicrosToFrames(std::int64_t micros);

// Repeat reads "Track" in single-track mode (the chosen track starts again) and "Playlist" where
// the disc, the scan, the programme or the shuffle order starts again; Random never repeats.
std::string_view LoopStatusName(bool repeatOn, PlayMode mode);
// Whether a LoopStatus asks for repeat; nothing for an unknown name.
std::optional<bool> RepeatForLoopStatus(std::string_view loopStatus);

enum class MprisRequest { Play, Pause, PlayPause, Stop, Next, Previous };
// The handset commands a request is carried out with.
enum class TransportCommand { None, Play, TogglePause, Stop, Next, Previous };

// Play resumes a paused disc and leaves a playing one alone, Pause only pauses what is playing,
// Stop leaves a stopped disc alone (a stop ends an introduction scan into a play of the track).
TransportCommand CommandFor(MprisRequest request, const PlayerProperties& now);

struct SeekTarget {
    enum class Kind { None, MoveTo, NextTrack };
    Kind Action = Kind::None;
    Lba Position = 0;  // for MoveTo: on the disc
};

// Seek: offset from the position in the current track. Before the track's start means its start;
// past its end means the next track.
SeekTarget SeekBy(const PlayerFacts& facts, std::int64_t offsetMicros);
// SetPosition: only for the current track's id and a position inside it.
SeekTarget SeekToPosition(const PlayerFacts& facts, std::string_view trackId, std::int64_t micros);

}  // namespace snx
