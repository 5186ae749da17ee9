// The state of play of the disc in the drive, kept by the player engine and read by the views.
#pragma once

#include <cstdint>
#include <vector>

#include "cd/cd_types.h"
#include "cd/play_mode.h"
#include "util/min_sec.h"

namespace snx {

struct PlayerState {
    bool MediaPresent = false;
    bool DiscLoaded = false;
    bool DiscShown = false;
    CdMode DeviceMode = CdMode::NotReady;
    Msf Position = 0;
    std::int32_t CurrentTrack = 0;
    std::int32_t LastTimedTrack = 0;
    MinSec TrackStartTime = 0;
    MinSec TrackLengthTime = 0;
    MinSec TrackElapsed = 0;
    MinSec TrackRemaining = 0;
    MinSec DiscElapsed = 0;
    MinSec DiscRemaining = 0;
    PlayMode Mode = PlayMode::Disc;
    std::int32_t SingleTrackNumber = 0;
    std::int32_t ListPosition = 0;
    std::vector<std::uint8_t> ShuffleOrder;  // at most kMaxShuffle
    bool RepeatOn = false;
    bool AutoPlayRequested = false;
    Msf BookmarkStart = 0;
    Msf BookmarkEnd = 0;
};

}  // namespace snx
