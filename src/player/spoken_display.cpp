#include "player/spoken_display.h"

#include "player/led_segments.h"

namespace snx {

namespace {

// "01.23" as drawn reads as a decimal number; a colon reads as a time.
std::string SpokenTime(MinSec time) {
    std::string text = LedTimeText(time);
    for (char& c : text) {
        if (c == '.') {
            c = ':';
        }
    }
    return text;
}

std::string SpokenMode(std::string_view modeLine) {
    constexpr std::string_view kPrefix = "Mode: ";
    if (modeLine.starts_with(kPrefix)) {
        modeLine.remove_prefix(kPrefix.size());
    }
    while (modeLine.ends_with('.')) {
        modeLine.remove_suffix(1);
    }
    return std::string(modeLine);
}

}  // namespace

std::string SpokenTrackAndMode(const PlayerState& state, std::string_view modeLine) {
    return "track " + std::to_string(state.CurrentTrack) + ", mode " + SpokenMode(modeLine);
}

std::string SpokenDisplay(const PlayerState& state, std::string_view modeLine, bool discTimes) {
    const MinSec elapsed = discTimes ? state.DiscElapsed : state.TrackElapsed;
    const MinSec remaining = discTimes ? state.DiscRemaining : state.TrackRemaining;
    return "Elapsed " + SpokenTime(elapsed) + ", remaining " + SpokenTime(remaining) + ", " +
           SpokenTrackAndMode(state, modeLine);
}

}  // namespace snx
