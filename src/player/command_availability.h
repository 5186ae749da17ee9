// What each of the handset's commands may do now. The engine computes it once from the button
// pattern and the tray; the main handset, the small handset, the menus and the session bus only
// map it onto their controls.
#pragma once

#include "player/player_view.h"

namespace snx {

struct CommandAvailability {
    bool Play = false;
    bool Stop = false;
    bool Pause = false;
    bool Eject = false;
    bool CloseTray = false;
    bool Previous = false;
    bool Next = false;
    bool Skips = false;      // fast forward, fast rewind and back to the start of the track
    bool Mark = false;       // the bookmark's start
    bool Mode = false;       // the mode of play can be chosen
    bool GotoTrack = false;  // the track list
    bool Programme = false;
    bool Fit = false;
    bool Edit = false;    // the disc's record
    bool Sample = false;  // recording a sample

    bool operator==(const CommandAvailability&) const = default;
};

// Under Stopped a disc may be played and its mode chosen; under Playing it may be stopped,
// paused, skipped through and marked; under either the disc's tracks, programme and record are
// offered. Close is on exactly when the tray is open, eject exactly when it is not.
CommandAvailability AvailableCommands(ButtonPattern pattern, bool trayOpen);

}  // namespace snx
