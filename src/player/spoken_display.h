// The LED display as a screen reader says it: "Elapsed 01:23, remaining 02:34, track 3, mode Disc".
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "player/player_state.h"

namespace snx {

// modeLine is the mode line as drawn ("Mode: Disc", "Paused..."); discTimes picks the disc's
// clocks over the track's, as the display does.
std::string SpokenDisplay(const PlayerState& state, std::string_view modeLine, bool discTimes);

// The part of it that a reader announces when it changes: the track and the mode, not the time.
std::string SpokenTrackAndMode(const PlayerState& state, std::string_view modeLine);

// Whether that part differs from the one of the last call; the first call says it does.
class SpokenChange {
  public:
    bool Changed(const PlayerState& state, std::string_view modeLine) {
        std::string now = SpokenTrackAndMode(state, modeLine);
        if (now == last_) {
            return false;
        }
        last_ = std::move(now);
        return true;
    }

  private:
    std::string last_;
};

}  // namespace snx
