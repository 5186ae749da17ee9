// The main handset as the other controllers of play see it (the small handset, the session bus):
// its transport commands, the lines it shows and the enabled state of its transport buttons.
#pragma once

#include <array>
#include <string>

namespace snx {

class PlayerEngine;

class HandsetCommands {
  public:
    virtual ~HandsetCommands() = default;

    // The transport commands of the buttons and menu items; a closed device is reported.
    virtual void btnPlayClick() = 0;
    virtual void btnStopClick() = 0;
    virtual void btnPauseClick() = 0;
    virtual void btnForwardClick() = 0;
    virtual void btnBackClick() = 0;
    virtual void btnEjectClick() = 0;
    virtual void btnCloseClick() = 0;
    // Starts the external volume program, asking for it when none is set.
    virtual void miVolClick() = 0;
    virtual void SaveSettingsReporting() = 0;

    virtual PlayerEngine& Engine() = 0;
    // The disc and track lines and the title the handset shows now.
    virtual std::string DiscNameText() const = 0;
    virtual std::string TrackNameText() const = 0;
    virtual std::string TitleText() const = 0;
    // Play, stop, pause, eject and close, in that order.
    virtual std::array<bool, 5> TransportEnabled() const = 0;
};

}  // namespace snx
