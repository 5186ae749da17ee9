// What the windows that stand in for the main handset (the small handset, the session bus) read
// of the state of play: the disc and track lines, the title, the mode and which commands are
// on. The engine answers it, so none of them copies the main handset's controls.
#pragma once

#include <string>

#include "player/command_availability.h"

namespace snx {

class HandsetStatus {
  public:
    virtual ~HandsetStatus() = default;

    // The disc's name and the current track's title (UTF-8); empty while no disc is shown.
    virtual std::string DiscNameText() const = 0;
    virtual std::string TrackNameText() const = 0;
    // The application title the handset shows now.
    virtual std::string TitleText() const = 0;
    // "Mode: " and the name of the current play mode.
    virtual std::string PlayModeText() const = 0;
    // What each command may do, as the last button pattern left it.
    virtual CommandAvailability Commands() const = 0;
};

}  // namespace snx
