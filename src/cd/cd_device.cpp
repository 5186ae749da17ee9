#include "cd/cd_device.h"

#include <algorithm>

#include "cd/drive_backend.h"
#include "util/user_messages.h"

namespace snx {

namespace {

constexpr const char* kNotOpen = "CD device not open";

}  // namespace

std::string DeviceResultText(std::uint32_t result) {
    switch (result) {
        case kDeviceOk:
            return "The request succeeded.";
        case kDeviceOpenFailed:
            return "The CD drive cannot be opened.";
        case kDeviceNotReady:
            return "The CD drive is not ready.";
        case kDeviceRefused:
            return "The CD drive cannot do this now.";
        case kDeviceOutOfRange:
            return "The position is outside the disc.";
        default:
            return "An unknown error has occurred";
    }
}

CdDevice::CdDevice(DriveList& drives) : drives_(drives) {}

CdDevice::~CdDevice() {
    CloseDrive();
}

void CdDevice::CheckOpen() const {
    if (!open_) {
        throw EMCIDeviceError(kNotOpen);
    }
}

DriveBackend& CdDevice::Backend() {
    CheckOpen();
    return *backend_;
}

void CdDevice::OpenDrive(int driveIndex) {
    if (open_) {
        CloseDrive();
    }
    Paused = false;
    if (driveIndex < 0 || driveIndex >= drives_.Count()) {
        LastError = kDeviceOpenFailed;
        ShowError(drives_.Count() == 0
                      ? std::string("There is no CD drive.")
                      : "There is no CD drive number " + std::to_string(driveIndex + 1) + ".");
        return;
    }
    DriveBackend& backend = drives_.Drive(driveIndex);
    if (backend.Open() != kDeviceOk) {
        // Taken as open, the drive would only ever report no disc.
        LastError = kDeviceOpenFailed;
        ShowError("The CD drive " + backend.Label() + " cannot be opened.");
        return;
    }
    LastError = kDeviceOk;
    backend_ = &backend;
    if (tap_) {
        backend_->SetPcmTap(tap_);
    }
    open_ = true;
    deviceId_ = static_cast<std::uint16_t>(driveIndex + 1);
    SetMsfTimeFormat();
    if (RefreshStatus) {
        RefreshStatus();
    } else if (IsMediaPresent()) {
        ReadTableOfContents();
    }
}

void CdDevice::CloseDrive() {
    Paused = false;
    if (deviceId_ == 0) {
        return;
    }
    // Digital play needs the device; nothing keeps sounding once it is closed.
    backend_->Stop();
    if (tap_) {
        backend_->SetPcmTap(nullptr);
    }
    LastError = kDeviceOk;
    backend_ = nullptr;
    open_ = false;
    deviceId_ = 0;
}

void CdDevice::SetPcmTap(std::shared_ptr<PcmTap> tap) {
    tap_ = std::move(tap);
    if (backend_ != nullptr) {
        backend_->SetPcmTap(tap_);
    }
}

void CdDevice::SetMsfTimeFormat() {
    // Backends speak MSF natively; the request cannot fail on an open device.
    if (!open_) {
        LastError = kDeviceNotReady;
        ShowError(DeviceResultText(LastError));
        return;
    }
    LastError = kDeviceOk;
}

CdMode CdDevice::GetMode() {
    if (!open_) {
        LastError = kDeviceNotReady;
        return CdMode::NotReady;
    }
    LastError = kDeviceOk;
    return backend_->Status().Mode;
}

bool CdDevice::IsDoorOpen() {
    return GetMode() == CdMode::Open;
}

bool CdDevice::IsMediaPresent() {
    if (!open_) {
        LastError = kDeviceNotReady;
        return false;
    }
    LastError = kDeviceOk;
    return backend_->Status().MediaPresent;
}

Msf CdDevice::GetPosition() {
    if (!open_) {
        LastError = kDeviceNotReady;
        return 0;
    }
    const DriveStatus status = backend_->Status();
    LastError = status.Disc ? kDeviceOk : kDeviceNotReady;
    return status.Disc ? LbaToMsf(status.Position) : 0;
}

int CdDevice::GetCurrentTrack() {
    if (!open_) {
        LastError = kDeviceNotReady;
        return 0;
    }
    const DriveStatus status = backend_->Status();
    if (!status.Disc || status.Disc->Tracks.empty()) {
        LastError = kDeviceNotReady;
        return 0;
    }
    LastError = kDeviceOk;
    return status.Disc->TrackAt(status.Position);
}

int CdDevice::GetTrackCount() {
    const DriveStatus status = Backend().Status();
    LastError = status.Disc ? kDeviceOk : kDeviceNotReady;
    return status.Disc ? status.Disc->TrackCount() : 0;
}

Msf CdDevice::GetTrackStart(int track) {
    if (!open_) {
        LastError = kDeviceNotReady;
        return 0;
    }
    const DriveStatus status = backend_->Status();
    if (!status.Disc || track < 1 || track > status.Disc->TrackCount()) {
        LastError = status.Disc ? kDeviceOutOfRange : kDeviceNotReady;
        return 0;
    }
    LastError = kDeviceOk;
    return LbaToMsf(status.Disc->TrackStart(track));
}

Msf CdDevice::GetTrackLength(int track) {
    const DriveStatus status = Backend().Status();
    if (!status.Disc || track < 1 || track > status.Disc->TrackCount()) {
        LastError = status.Disc ? kDeviceOutOfRange : kDeviceNotReady;
        return 0;
    }
    LastError = kDeviceOk;
    return LbaToMsf(status.Disc->TrackEnd(track) - status.Disc->TrackStart(track));
}

void CdDevice::ReadTableOfContents() {
    TrackStart.fill(0);
    TrackLength.fill(0);
    TrackCount = std::min(GetTrackCount(), kMaxTracks);
    for (int i = 1; i <= TrackCount; ++i) {
        TrackStart[static_cast<std::size_t>(i)] = GetTrackStart(i);
        TrackLength[static_cast<std::size_t>(i)] = GetTrackLength(i);
    }
    if (TrackCount == 0) {
        DiscStartTime = 0;
        DiscTotalTime = 0;
        return;
    }
    DiscStartTime = MsfToMinSec(TrackStart[1]);
    const auto last = static_cast<std::size_t>(TrackCount);
    DiscTotalTime = DiscPlayingTime(TrackStart[1], TrackStart[last], TrackLength[last]);
}

std::string CdDevice::GetDiscIdentity() {
    const DriveStatus status = open_ ? backend_->Status() : DriveStatus{};
    LastError = status.Disc ? kDeviceOk : kDeviceNotReady;
    // Without a disc the driver's text is empty, which is no number.
    return status.Disc ? DiscIdentity(*status.Disc) : FormatDiscIdentity("");
}

bool CdDevice::PlayEnded() {
    return open_ && backend_->Status().PlayEnded;
}

bool CdDevice::IsAudioTrack(int track) {
    const std::shared_ptr<const DiscInfo> disc = GetDiscInfo();
    return disc && track >= 1 && track <= disc->TrackCount() &&
           disc->Tracks[static_cast<std::size_t>(track - 1)].Audio;
}

CdText CdDevice::GetCdText() {
    if (!open_) {
        return {};
    }
    const DriveStatus status = backend_->Status();
    return status.Disc ? status.Disc->Text : CdText{};
}

std::string CdDevice::TakeUnplayable() {
    return open_ ? backend_->TakeUnplayable() : std::string();
}

std::shared_ptr<const DiscInfo> CdDevice::GetDiscInfo() {
    return open_ ? backend_->Status().Disc : nullptr;
}

std::uint32_t CdDevice::PlayFrom(Msf from, int track, PlayMode mode, MinSec introTime) {
    DriveBackend& backend = Backend();
    const DriveStatus status = backend.Status();
    Lba to = status.Disc ? status.Disc->LeadOut : 0;
    if (mode == PlayMode::Intro) {
        IntroEnd = MinSecToMsf(AddMinSec(MsfToMinSec(from), introTime));
        // The end drops the start's frames: a short intro must not end before it begins.
        to = std::max(MsfToLba(IntroEnd), MsfToLba(from));
    } else if (mode != PlayMode::Disc && track >= 1 && track < TrackCount) {
        to = MsfToLba(TrackStart[static_cast<std::size_t>(track + 1)]);
    }
    LastError = backend.Play(MsfToLba(from), to);
    Paused = false;
    Playing = true;
    return LastError;
}

void CdDevice::PlayRange(Msf from, Msf to) {
    SeekTo(from);
    LastError = backend_->Play(MsfToLba(from), MsfToLba(to));
    Paused = false;
    Playing = true;
}

std::uint32_t CdDevice::Stop() {
    LastError = Backend().Stop();
    Paused = false;
    Playing = false;
    return LastError;
}

std::uint32_t CdDevice::Pause() {
    LastError = Backend().Pause();
    if (LastError == kDeviceOk) {
        Paused = true;
    }
    return LastError;
}

std::uint32_t CdDevice::Resume(PlayRule rule) {
    LastError = Backend().Resume();
    if (LastError != kDeviceOk) {
        PlayFrom(GetPosition(), GetCurrentTrack(), rule.Mode, rule.IntroTime);
    }
    Paused = false;
    return LastError;
}

void CdDevice::TogglePause(PlayRule rule) {
    CheckOpen();
    if (Playing && !Paused) {
        Pause();
    } else if (Paused) {
        Resume(rule);
    }
}

void CdDevice::Jump(int track, PlayRule rule) {
    const Msf target = TrackStart[static_cast<std::size_t>(track)];
    JumpTarget = target;
    if (GetMode() == CdMode::Playing) {
        PlayFrom(target, track, rule.Mode, rule.IntroTime);
    } else {
        LastError = backend_->Seek(MsfToLba(target));
    }
}

void CdDevice::NextTrack(PlayRule rule) {
    CheckOpen();
    const int current = GetCurrentTrack();
    if (current >= TrackCount) {
        NoJump();
        return;
    }
    Skipping = true;
    Jump(current + 1, rule);
}

void CdDevice::PreviousTrack(PlayRule rule) {
    CheckOpen();
    const int current = GetCurrentTrack();
    if (current <= 1 || current > TrackCount) {
        NoJump();
        return;
    }
    Skipping = true;
    Jump(current - 1, rule);
}

void CdDevice::NoJump() {
    // A paused play stays exactly as it was at the ends of the disc.
    if (!Paused) {
        Skipping = true;
    }
}

void CdDevice::GoToTrack(int track, PlayRule rule) {
    CheckOpen();
    Skipping = true;
    if (track > TrackCount || track < 1) {
        return;
    }
    Jump(track, rule);
}

Msf CdDevice::ClampToDisc(Msf target) {
    const DriveStatus status = backend_->Status();
    if (!status.Disc || status.Disc->Tracks.empty()) {
        return target;
    }
    const Lba lba = std::clamp(MsfToLba(target), status.Disc->TrackStart(1), status.Disc->LeadOut);
    return LbaToMsf(lba);
}

void CdDevice::SkipForward(MinSec skipTime, PlayRule rule) {
    CheckOpen();
    MoveTo(MinSecToMsf(AddMinSec(MsfToMinSec(GetPosition()), skipTime)), rule);
}

void CdDevice::SkipBack(MinSec skipTime, PlayRule rule) {
    CheckOpen();
    MoveTo(MinSecToMsf(SubtractMinSec(MsfToMinSec(GetPosition()), skipTime)), rule);
}

void CdDevice::MoveTo(Msf target, PlayRule rule) {
    CheckOpen();
    target = ClampToDisc(target);
    JumpTarget = target;
    if (GetMode() == CdMode::Playing) {
        // The track at the target, so a single-track play that crossed a boundary ends where
        // the new track does.
        PlayFrom(target, TrackAtMsf(target), rule.Mode, rule.IntroTime);
    } else {
        SeekTo(target);
    }
}

int CdDevice::TrackAtMsf(Msf position) const {
    int track = TrackCount > 0 ? 1 : 0;
    for (int i = 2; i <= TrackCount; ++i) {
        if (MsfToLba(TrackStart[static_cast<std::size_t>(i)]) <= MsfToLba(position)) {
            track = i;
        }
    }
    return track;
}

std::uint32_t CdDevice::SeekTo(Msf position) {
    LastError = Backend().Seek(MsfToLba(position));
    return LastError;
}

std::uint32_t CdDevice::OpenDoor() {
    LastError = Backend().OpenTray();
    Paused = false;
    return LastError;
}

std::uint32_t CdDevice::CloseDoor() {
    LastError = Backend().CloseTray();
    Paused = false;
    return LastError;
}

void CdDevice::FindCdAuxDevice() {
    // Nothing to find: the volume is the gain stage of the digital output, present with every
    // drive, so there is no separate device to remember.
}

void CdDevice::ApplyVolume(std::int32_t left, std::int32_t right) {
    DriveBackend& backend = Backend();
    const std::uint32_t packed =
        (static_cast<std::uint32_t>(left) & 0xFFFFu) | (static_cast<std::uint32_t>(right) << 16);
    backend.SetGains((packed & 0xFFFFu) / 65535.0, (packed >> 16) / 65535.0);
    LastError = kDeviceOk;
}

void CdDevice::FindCdDrives() {
    DriveLetters = drives_.Labels();
}

int CdDevice::VirtualDriveIndex() const {
    return drives_.VirtualDriveIndex();
}

bool CdDevice::InsertImage(const std::string& imagePath) {
    return drives_.InsertImage(imagePath);
}

}  // namespace snx
