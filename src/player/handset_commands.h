// The main handset as the other controllers of play see it (the small handset, the session bus):
// its transport commands, and the state of play it shows, read from the engine.
#pragma once

namespace snx {

class HandsetStatus;
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
    // An arrow key (a Qt key code) on a volume control: one step of the four-way control's arrow
    // (up and down both channels, left and right one), kept for the disc; false for any other key.
    virtual bool VolumeKey(int key) = 0;
    // The disc data editor on the disc in the drive, and the catalogue browser.
    virtual void btnDataClick() = 0;
    virtual void btnBrowseClick() = 0;
    virtual void SaveSettingsReporting() = 0;
    // Brings the handset in use forward, restoring it when minimised.
    virtual void ComeForward() = 0;
    // Closes the main handset, which ends the program.
    virtual void Exit1Click() = 0;

    virtual PlayerEngine& Engine() = 0;
    // The lines, title, mode and transport buttons the handset shows now.
    virtual const HandsetStatus& Status() const = 0;
};

}  // namespace snx
