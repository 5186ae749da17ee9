#include "player/command_availability.h"

namespace snx {

CommandAvailability AvailableCommands(ButtonPattern pattern, bool trayOpen) {
    const bool playing = pattern == ButtonPattern::Playing;
    const bool stopped = pattern == ButtonPattern::Stopped;
    const bool disc = playing || stopped;
    CommandAvailability can;
    can.Play = stopped;
    can.Mode = stopped;
    can.Stop = playing;
    can.Pause = playing;
    can.Skips = playing;
    can.Mark = playing;
    can.Previous = disc;
    can.Next = disc;
    can.GotoTrack = disc;
    can.Programme = disc;
    can.Fit = disc;
    can.Edit = disc;
    can.Sample = disc;
    can.Eject = !trayOpen;
    can.CloseTray = trayOpen;
    return can;
}

}  // namespace snx
