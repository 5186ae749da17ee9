// The player engine: moves the state of play forward on every tick of the main handset, loads
// each new disc's record, carries out the play modes and the handset's transport commands.
// Runs on the user-interface thread only.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <span>
#include <string>

#include "catalogue/disc_catalogue.h"
#include "cd/cd_device.h"
#include "player/current_disc.h"
#include "player/device_drive_table.h"
#include "player/handset_status.h"
#include "player/player_state.h"
#include "player/player_view.h"
#include "player/recording_hook.h"
#include "settings/settings.h"

namespace snx {

constexpr int kTickInterval = 1000;  // milliseconds
// The application title until the first tick with a disc replaces it.
constexpr const char* kTitleAtStart = "Sonatrix for Windows '95";

class PlayerEngine final : public HandsetStatus {
  public:
    // Seeds the shuffle; the program reads the clock, tests give fixed values.
    using SeedSource = std::function<std::uint32_t()>;

    // Installs itself as the device's status refresh and as the catalogue's drive.
    PlayerEngine(CdDevice& device, DiscCatalogue& catalogue, PlayerView& view,
                 RecordingHook& recording, SeedSource seed = ClockSeed);
    ~PlayerEngine() override;
    PlayerEngine(const PlayerEngine&) = delete;
    PlayerEngine& operator=(const PlayerEngine&) = delete;

    static std::uint32_t ClockSeed();

    // The tick and the status refresh it runs.
    void TimerTimer();
    void RefreshStatus();

    // The handset's commands.
    void btnPlayClick();
    void btnStopClick();
    void btnPauseClick();
    void btnBackClick();
    void btnForwardClick();
    void btnStartClick();
    void btnEjectClick();
    void btnCloseClick();
    void btnSkipBackClick();
    void BtnSkipForwardClick();
    void btnSkipBackMouseDown();
    void BtnSkipForwardMouseDown();
    void btnSkipBackMouseUp();
    void BtnSkipForwardMouseUp();
    void tmrSkipTimer();
    void btnRepeatClick();
    void btnBegClick();
    void SetTimer(int milliseconds);
    // Closes the device, forgets its disc and opens the drive of that index, whose disc the
    // next tick takes up as a new one. The tick runs exactly when the device is open.
    void ReopenDrive(int driveIndex);
    // Puts the image in the virtual drive, selects that drive and remembers both in the
    // settings (not saved here). False, with nothing changed, when the image cannot be read.
    bool InsertImage(const std::string& imagePath);
    // Moves to the start of track: playing on from there when the disc plays, else stopped.
    void GoToTrack(int track);
    // The mode the next play follows; the device takes it at once.
    void SetPlayMode(PlayMode mode);
    // Plays the stretch from..to of the disc in Disc mode (a bookmark), the handset as playing.
    void PlayRange(Msf from, Msf to);
    // Moves within the disc as the skip buttons do, to a chosen place (the desktop's seek).
    void MoveTo(Msf target);
    // The catalogue changed under the disc in the drive (an import, a rebuild): its record,
    // track names and notes are read again and shown; play goes on as it was.
    void ReloadRecord();

    // The four-way control was let go: the disc keeps the volumes now set, in the catalogue
    // when it is catalogued, else for this play only.
    void KeepDiscVolumes();
    // Sounds the settings' volumes on the device when it is open.
    void ApplyVolume();
    // Redraws the handset (status lines, track highlight, times) and sets the title to match.
    void RedrawHandset();

    // The tracks the track list offers: none once the disc has gone, although the device keeps
    // the last disc's table.
    int SelectableTrackCount() const;
    // The main handset's mode line: for a few ticks after the drive found a part of the disc
    // unreadable, which one; else "RECORDING..." while a sample is recorded, "Paused..." while
    // paused, else the mode.
    std::string ModeLine() const;
    // The title for the state of play: "SNX [3] 02.17", or "SNX [3] Paused".
    std::string StatusTitle() const;

    // HandsetStatus
    std::string DiscNameText() const override;
    std::string TrackNameText() const override;
    std::string TitleText() const override { return title_; }
    std::string PlayModeText() const override;
    CommandAvailability Commands() const override { return commands_; }

    PlayerState State;
    // Run when a new disc is not in the catalogue and its CD-Text names neither its title nor
    // its performer, after its fresh record is made; the handset may look it up online.
    std::function<void()> UnknownDisc;
    // Set by the handset when it is shown; the first tick after it may open the small handset.
    bool FirstTickAfterShow = true;

    // The disc in the drive, its record, tracks and notes.
    const CurrentDisc& Disc() const { return disc_; }
    CurrentDisc& Disc() { return disc_; }
    ButtonPattern Pattern() const { return pattern_; }
    int TickInterval() const { return tickInterval_; }
    CdDevice& Device() { return device_; }
    // How many times play was moved within the disc by a skip, a seek or a return to the start
    // of the track, for listeners that follow the position by the clock.
    std::uint32_t Repositions() const { return repositions_; }

  private:
    // False when the drive cannot yet give the disc's identity.
    bool LoadNewDisc();
    // The disc has gone: the handset is cleared and the next disc is a new one.
    void ForgetDisc();
    void EndOfPiece();
    void EndOfDisc();
    void StopRecording();
    void ApplyPattern(ButtonPattern pattern);
    void ShowTitle(std::string title);
    // The mode and introduction time the device's commands play by.
    PlayRule Rule() const;
    // Plays the track by the mode; a paused player only moves there.
    void PlayTrack(int track);
    // The first audio track from that one on, or 0.
    int NextAudioTrack(int from);
    // Plays the first playable entry of list from 1-based position, searching forward
    // (step 1) or backward (step -1); ListPosition moves to it. False when there is none.
    bool PlayListFrom(std::span<const std::uint8_t> list, int position, int step);
    std::span<const std::uint8_t> CurrentList() const;
    bool IsListMode() const;
    void StepList(bool forward);
    void Skip(bool forward);
    template <typename Move>
    void Reposition(Move move);
    void UpdateTrackTimes();

    CdDevice& device_;
    DiscCatalogue& catalogue_;
    PlayerView& view_;
    RecordingHook& recording_;
    SeedSource seed_;
    DeviceDriveTable driveTable_;
    CurrentDisc disc_;
    ButtonPattern pattern_ = ButtonPattern::Idle;
    CommandAvailability commands_;
    std::string title_ = kTitleAtStart;
    int tickInterval_ = kTickInterval;
    bool skipBackHeld_ = false;
    bool skipForwardHeld_ = false;
    std::uint32_t repositions_ = 0;
    std::string unplayable_;  // what the mode line tells while unplayableTicks_ last
    int unplayableTicks_ = 0;
};

}  // namespace snx
