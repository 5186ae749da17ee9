// The program's one link to the CD drive: table of contents, transport, status, disc identity
// and volume, over the drive backends of a DriveList. Used from the user-interface thread only;
// every call returns at once (SeekTo returns with the position in place).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/pcm_tap.h"
#include "cd/cd_types.h"
#include "cd/disc_info.h"
#include "cd/play_mode.h"
#include "util/min_sec.h"

namespace snx {

class DriveBackend;
class DriveList;

// What decides where a play that a command starts ends: the mode of play, and the length of
// each piece of an introduction scan. The engine owns both and hands them to each command.
struct PlayRule {
    PlayMode Mode = PlayMode::Disc;
    MinSec IntroTime = 0.10;
};

class CdDevice {
  public:
    explicit CdDevice(DriveList& drives);
    ~CdDevice();
    CdDevice(const CdDevice&) = delete;
    CdDevice& operator=(const CdDevice&) = delete;

    // Operations marked "checks open" throw EMCIDeviceError("CD device not open") when closed.
    void OpenDrive(int driveIndex);
    void CloseDrive();
    void SetMsfTimeFormat();
    CdMode GetMode();
    bool IsDoorOpen();
    bool IsMediaPresent();
    Msf GetPosition();
    int GetCurrentTrack();
    int GetTrackCount();  // checks open
    Msf GetTrackStart(int track);
    Msf GetTrackLength(int track);  // checks open
    void ReadTableOfContents();
    // 16 upper-case hexadecimal digits. Throws std::invalid_argument without a readable disc.
    std::string GetDiscIdentity();
    // The last play request ran to its end by itself, however short it was (a play of nothing
    // but data ends at once); false once another request has replaced, stopped or paused it.
    bool PlayEnded();
    // The track holds audio; false for a data track or a track not on the disc.
    bool IsAudioTrack(int track);
    // The CD-Text of the disc in the drive; empty when it has none.
    CdText GetCdText();
    // A part of the disc the drive found unreadable (it plays as silence), each told once;
    // empty when there is none.
    std::string TakeUnplayable();
    // The table of contents and CD-Text of the disc in the drive; null without a readable disc.
    std::shared_ptr<const DiscInfo> GetDiscInfo();

    std::uint32_t PlayFrom(Msf from, int track, PlayMode mode, MinSec introTime);  // checks open
    void PlayRange(Msf from, Msf to);
    std::uint32_t Stop();   // checks open
    std::uint32_t Pause();  // checks open
    // A resume the drive refuses plays again from the position by rule.
    std::uint32_t Resume(PlayRule rule);  // checks open
    void TogglePause(PlayRule rule);      // checks open
    // The track jumps and skips move a paused play and leave it paused there; Resume plays on
    // from the new place.
    void NextTrack(PlayRule rule);                     // checks open
    void PreviousTrack(PlayRule rule);                 // checks open
    void GoToTrack(int track, PlayRule rule);          // checks open
    void SkipForward(MinSec skipTime, PlayRule rule);  // checks open
    void SkipBack(MinSec skipTime, PlayRule rule);     // checks open
    // Moves to target (kept on the disc): play goes on from there when playing, else the
    // position waits there.
    void MoveTo(Msf target, PlayRule rule);  // checks open
    std::uint32_t SeekTo(Msf position);      // checks open
    std::uint32_t OpenDoor();                // checks open
    std::uint32_t CloseDoor();               // checks open
    void FindCdAuxDevice();
    // The gains of the left and right channels, 0 to 65535.
    void ApplyVolume(std::int32_t left, std::int32_t right);  // checks open
    void FindCdDrives();
    // The virtual drive's index in DriveLetters, or -1; and a disc image put into it (false,
    // with the drive unchanged, when the image cannot be read).
    int VirtualDriveIndex() const;
    bool InsertImage(const std::string& imagePath);
    // What the drive plays is also handed to tap (null: to nothing), on the audio thread; kept
    // over a change of drive. This is how a sample is recorded from the disc.
    void SetPcmTap(std::shared_ptr<PcmTap> tap);

    bool IsOpen() const { return open_; }
    std::uint16_t DeviceId() const { return deviceId_; }

    std::uint32_t LastError = 0;
    int TrackCount = 0;
    std::array<Msf, kMaxTracks + 1> TrackStart{};  // [1..99]; [0] unused
    std::array<Msf, kMaxTracks + 1> TrackLength{};
    MinSec DiscStartTime = 0;
    MinSec DiscTotalTime = 0;
    bool Playing = false;
    bool Paused = false;
    bool Skipping = false;
    Msf IntroEnd = 0;
    Msf JumpTarget = 0;
    // The drives' labels (device paths, then the virtual drive), in the order OpenDrive counts.
    std::vector<std::string> DriveLetters;

    // The engine's status refresh, run after a successful open; without one the table of
    // contents is read when a disc is present.
    std::function<void()> RefreshStatus;

  private:
    DriveBackend& Backend();  // checks open
    void CheckOpen() const;
    void Jump(int track, PlayRule rule);
    void NoJump();
    Msf ClampToDisc(Msf target);
    int TrackAtMsf(Msf position) const;

    DriveList& drives_;
    DriveBackend* backend_ = nullptr;
    std::shared_ptr<PcmTap> tap_;
    bool open_ = false;
    std::uint16_t deviceId_ = 0;
};

}  // namespace snx
