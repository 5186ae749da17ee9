#include "player/player_engine.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "player/shuffle.h"
#include "settings/settings.h"
#include "util/text.h"
#include "util/user_messages.h"

namespace snx {

namespace {

constexpr const char* kStoppedTitle = "SNX [Stopped]";
constexpr const char* kBookmarkPrompt = "Click [OK] to mark end of bookmark";
// Long enough to be read, short enough not to hide the mode for long.
constexpr int kUnplayableTicks = 5;

}  // namespace

PlayerEngine::PlayerEngine(CdDevice& device, DiscCatalogue& catalogue, PlayerView& view,
                           RecordingHook& recording, SeedSource seed)
    : device_(device),
      catalogue_(catalogue),
      view_(view),
      recording_(recording),
      seed_(std::move(seed)),
      driveTable_(device),
      disc_(catalogue) {
    device_.RefreshStatus = [this] { RefreshStatus(); };
    catalogue_.SetDrive(&driveTable_);
    commands_ = AvailableCommands(pattern_, device_.IsOpen() && device_.IsDoorOpen());
}

PlayerEngine::~PlayerEngine() {
    device_.RefreshStatus = nullptr;
    catalogue_.SetDrive(nullptr);
}

std::uint32_t PlayerEngine::ClockSeed() {
    return static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

PlayRule PlayerEngine::Rule() const {
    return {State.Mode, AppSettings().IntroTime};
}

void PlayerEngine::ApplyPattern(ButtonPattern pattern) {
    pattern_ = pattern;
    // The tray as it is now: the buttons keep this until the next pattern.
    commands_ = AvailableCommands(pattern, device_.IsOpen() && device_.IsDoorOpen());
    view_.SetButtons(pattern, commands_);
}

void PlayerEngine::ShowTitle(std::string title) {
    title_ = std::move(title);
    view_.SetTitle(title_);
}

void PlayerEngine::RedrawHandset() {
    view_.Redraw(*this);
    ShowTitle(StatusTitle());
}

std::string PlayerEngine::ModeLine() const {
    if (unplayableTicks_ > 0) {
        return "Cannot read " + unplayable_;
    }
    if (device_.Paused()) {
        return "Paused...";
    }
    return recording_.RecordingActive() ? "RECORDING..." : PlayModeLine(State.Mode);
}

std::string PlayerEngine::StatusTitle() const {
    const std::string prefix = "SNX [" + std::to_string(State.CurrentTrack) + "] ";
    return device_.Paused() ? prefix + "Paused" : prefix + FormatMinSec(State.TrackElapsed);
}

std::string PlayerEngine::PlayModeText() const {
    return PlayModeLine(State.Mode);
}

std::string PlayerEngine::DiscNameText() const {
    return State.DiscShown ? StoredTextToUtf8(disc_.Record().Name) : std::string();
}

std::string PlayerEngine::TrackNameText() const {
    if (!State.DiscShown || State.CurrentTrack < 0) {
        return {};
    }
    return StoredTextToUtf8(disc_.Tracks().Cell(0, State.CurrentTrack));
}

int PlayerEngine::SelectableTrackCount() const {
    return State.DiscLoaded ? device_.TrackCount : 0;
}

void PlayerEngine::KeepDiscVolumes() {
    const Settings& settings = AppSettings();
    disc_.Store(
        [left = settings.VolumeLeft, right = settings.VolumeRight](DiscTables& disc) {
            disc.Record.SavedVolumeLeft = left;
            disc.Record.SavedVolumeRight = right;
        },
        StoreWhen::Catalogued);
}

void PlayerEngine::ApplyVolume() {
    if (device_.IsOpen()) {
        const Settings& settings = AppSettings();
        device_.ApplyVolume(settings.VolumeLeft, settings.VolumeRight);
    }
}

void PlayerEngine::StopRecording() {
    if (recording_.RecordingActive()) {
        recording_.EndRecording();
        SetTickInterval(kTickInterval);
    }
}

void PlayerEngine::Tick() {
    // A modal box opened inside the tick runs the event loop; no tick may start inside it.
    view_.SetTickEnabled(false);
    Settings& settings = AppSettings();
    if (view_.WindowTop() != settings.MainTop || view_.WindowLeft() != settings.MainLeft) {
        settings.MainTop = view_.WindowTop();
        settings.MainLeft = view_.WindowLeft();
        try {
            SaveSettings();
        } catch (const SettingsWriteError& error) {
            ShowError(error.what());
        }
    }
    if (unplayableTicks_ > 0) {
        --unplayableTicks_;
    }
    RefreshStatus();
    if (!State.MediaPresent && !State.DiscShown) {
        view_.SetTickEnabled(true);
        return;
    }
    if (State.MediaPresent) {
        if (!State.DiscShown) {
            view_.ShowDisc(*this);
            view_.SetVolumeGauges(settings.VolumeLeft, settings.VolumeRight);
            State.DiscShown = true;
            if ((settings.AutoPlayOnStartup || State.AutoPlayRequested) &&
                device_.GetMode() != CdMode::Playing) {
                Play();
            }
            if (device_.GetMode() == CdMode::Playing) {
                ApplyPattern(ButtonPattern::Playing);
                device_.NotePlaying();
            }
        }
        RedrawHandset();
        view_.SetTickEnabled(true);
        if (settings.StartSmall && FirstTickAfterShow) {
            view_.OpenSmallHandset();
        }
        FirstTickAfterShow = false;
        return;
    }
    ForgetDisc();
    view_.SetTickEnabled(true);
}

void PlayerEngine::ForgetDisc() {
    // Play has ended with the disc: a recording ends now, before another disc could be heard
    // in it and kept as this one's sample.
    StopRecording();
    ApplyPattern(ButtonPattern::Idle);
    State.DiscShown = false;
    State.DiscLoaded = false;
    State.MediaPresent = false;
    unplayableTicks_ = 0;
    disc_.Forget();
    view_.ClearDisc();
    device_.ForgetPlay();
    ShowTitle(kStoppedTitle);
}

void PlayerEngine::ReopenDrive(int driveIndex) {
    StopRecording();
    device_.CloseDrive();
    ForgetDisc();
    device_.FindCdDrives();
    device_.OpenDrive(driveIndex);
    view_.SetTickEnabled(device_.IsOpen());
}

bool PlayerEngine::InsertImage(const std::string& imagePath) {
    if (!device_.InsertImage(imagePath)) {
        return false;
    }
    Settings& settings = AppSettings();
    settings.VirtualDriveImage = imagePath;
    settings.CdromInUse = device_.VirtualDriveIndex();
    ReopenDrive(settings.CdromInUse);
    return true;
}

bool PlayerEngine::LoadNewDisc() {
    // A drive can report a disc before it has read its contents; it is taken up on a later tick.
    std::string identity;
    try {
        identity = device_.GetDiscIdentity();
    } catch (const std::invalid_argument&) {
        return false;
    }
    device_.ReadTableOfContents();
    State.ShuffleOrder.clear();
    State.LastTimedTrack = 0;
    // A track chosen on the previous disc may not exist on this one.
    State.SingleTrackNumber = 0;
    State.DiscLoaded = true;
    device_.TakeUpDisc();
    ApplyPattern(ButtonPattern::Stopped);

    const bool named = disc_.Load(identity, device_.GetCdText());
    Settings& settings = AppSettings();
    settings.VolumeLeft = disc_.Record().SavedVolumeLeft;
    settings.VolumeRight = disc_.Record().SavedVolumeRight;
    State.Mode = PlayModeFromValue(disc_.Record().SavedPlayMode);
    device_.ApplyVolume(settings.VolumeLeft, settings.VolumeRight);
    if (!named && UnknownDisc) {
        UnknownDisc();
    }
    return true;
}

void PlayerEngine::ReloadRecord() {
    if (!State.DiscLoaded || !disc_.Present()) {
        return;
    }
    disc_.Reload();
    if (State.DiscShown) {
        view_.ShowDisc(*this);
        view_.Redraw(*this);
    }
}

void PlayerEngine::RefreshStatus() {
    State.MediaPresent = device_.IsMediaPresent();
    if (!State.MediaPresent) {
        State.DeviceMode = device_.GetMode();
        State.DiscLoaded = false;
        disc_.Forget();
        return;
    }
    if (!State.DiscLoaded && !LoadNewDisc()) {
        State.MediaPresent = false;
        State.DeviceMode = device_.GetMode();
        return;
    }
    State.DeviceMode = device_.GetMode();
    if (std::string unplayable = device_.TakeUnplayable(); !unplayable.empty()) {
        unplayable_ = std::move(unplayable);
        unplayableTicks_ = kUnplayableTicks;
    }
    // Known from the drive, so a piece too short for any tick to see playing is followed too;
    // a piece with nothing to hear (a data track, an intro of 0 s) ends at once and the next
    // is started in this same tick.
    for (int pieces = 0; pieces <= kMaxTracks && (State.Mode == PlayMode::Intro || IsListMode()) &&
                         device_.Playing() && !device_.Paused() && device_.PlayEnded();
         ++pieces) {
        EndOfPiece();
    }
    State.Position = device_.GetPosition();
    EndOfDisc();
    if (State.DeviceMode == CdMode::Stopped && State.Mode == PlayMode::Track && !device_.Paused() &&
        State.RepeatOn && device_.Playing() && State.SingleTrackNumber >= 1 &&
        State.SingleTrackNumber <= device_.TrackCount) {
        PlayTrack(State.SingleTrackNumber);
    }
    State.DeviceMode = device_.GetMode();
    if (State.DeviceMode != CdMode::Stopped) {
        device_.ReleasePosition();
    } else if (pattern_ != ButtonPattern::Stopped && State.Mode != PlayMode::Intro &&
               State.Mode != PlayMode::Custom && !device_.Paused()) {
        ApplyPattern(ButtonPattern::Stopped);
    }
    UpdateTrackTimes();
    const MinSec p = MsfToMinSec(State.Position);
    State.TrackElapsed = SubtractMinSec(p, State.TrackStartTime);
    State.TrackRemaining = SubtractMinSec(State.TrackLengthTime, State.TrackElapsed);
    State.DiscElapsed = SubtractMinSec(p, device_.DiscStartTime);
    State.DiscRemaining = SubtractMinSec(device_.DiscTotalTime, State.DiscElapsed);
}

void PlayerEngine::UpdateTrackTimes() {
    State.CurrentTrack = device_.GetCurrentTrack();
    if (State.CurrentTrack == State.LastTimedTrack) {
        return;
    }
    const int track = std::clamp(State.CurrentTrack, 0, kMaxTracks);
    State.TrackStartTime = MsfToMinSec(device_.TrackStart[static_cast<std::size_t>(track)]);
    State.TrackLengthTime = MsfToMinSec(device_.TrackLength[static_cast<std::size_t>(track)]);
    State.LastTimedTrack = State.CurrentTrack;
}

void PlayerEngine::EndOfPiece() {
    if (State.Mode == PlayMode::Intro) {
        // The scan passes over data tracks; it ends after the last audio track.
        State.CurrentTrack = device_.GetCurrentTrack();
        if (const int next = NextAudioTrack(State.CurrentTrack + 1)) {
            PlayTrack(next);
            return;
        }
        StopRecording();
        if (const int first = NextAudioTrack(1); State.RepeatOn && first != 0) {
            PlayTrack(first);
        } else {
            State.Mode = PlayMode::Disc;
            device_.EndPlay();
        }
        return;
    }
    if (!IsListMode()) {
        return;
    }
    const std::span<const std::uint8_t> list = CurrentList();
    if (PlayListFrom(list, State.ListPosition + 1, 1)) {
        return;
    }
    ++State.ListPosition;
    if (State.RepeatOn && PlayListFrom(list, 1, 1)) {
        return;
    }
    device_.EndPlay();
    ApplyPattern(ButtonPattern::Stopped);
}

void PlayerEngine::EndOfDisc() {
    if (State.DeviceMode != CdMode::Stopped || State.Mode != PlayMode::Disc || device_.Skipping() ||
        device_.Paused() || State.Position == device_.TrackStart[1]) {
        return;
    }
    StopRecording();
    if (State.RepeatOn && device_.Playing()) {
        PlayTrack(1);
        return;
    }
    device_.KeepPosition();
    device_.SeekTo(device_.TrackStart[1]);
    device_.EndPlay();
    State.Position = device_.TrackStart[1];
}

int PlayerEngine::NextAudioTrack(int from) {
    for (int track = std::max(from, 1); track <= device_.TrackCount; ++track) {
        if (device_.IsAudioTrack(track)) {
            return track;
        }
    }
    return 0;
}

void PlayerEngine::PlayTrack(int track) {
    if (device_.Paused()) {
        // A paused player moves to the piece and stays paused there.
        device_.GoToTrack(track, Rule());
        return;
    }
    device_.PlayFrom(device_.TrackStart[static_cast<std::size_t>(track)], track, State.Mode,
                     AppSettings().IntroTime);
}

bool PlayerEngine::IsListMode() const {
    return State.Mode == PlayMode::Custom || State.Mode == PlayMode::Shuffle;
}

std::span<const std::uint8_t> PlayerEngine::CurrentList() const {
    if (State.Mode == PlayMode::Custom) {
        return disc_.Record().Programme;
    }
    return State.ShuffleOrder;
}

bool PlayerEngine::PlayListFrom(std::span<const std::uint8_t> list, int position, int step) {
    // Entries outside the disc (from old imported records) and data tracks are passed over.
    for (int i = std::max(position, 1); i >= 1 && i <= static_cast<int>(list.size()); i += step) {
        const int track = list[static_cast<std::size_t>(i - 1)];
        if (track >= 1 && track <= device_.TrackCount && device_.IsAudioTrack(track)) {
            State.ListPosition = i;
            PlayTrack(track);
            return true;
        }
    }
    return false;
}

void PlayerEngine::Play() {
    if (State.Mode == PlayMode::Custom) {
        State.ListPosition = 1;
        if (PlayListFrom(disc_.Record().Programme, 1, 1)) {
            ApplyPattern(ButtonPattern::Playing);
        }
        return;
    }
    if (State.Mode == PlayMode::Shuffle) {
        std::mt19937 generator(seed_());
        State.ListPosition = 1;
        State.ShuffleOrder = DrawShuffleOrder(disc_.Record().TrackCount, generator);
        if (PlayListFrom(State.ShuffleOrder, 1, 1)) {
            ApplyPattern(ButtonPattern::Playing);
        }
        return;
    }
    State.SingleTrackNumber = device_.GetCurrentTrack();
    device_.PlayFrom(device_.GetPosition(), device_.GetCurrentTrack(), State.Mode,
                     AppSettings().IntroTime);
    ApplyPattern(ButtonPattern::Playing);
}

void PlayerEngine::Stop() {
    // The disc stops before a recording's question, so nothing plays on under it; a recording
    // of the tracks would otherwise run on with nothing left to end it. Stopped while paused,
    // the scan has nothing being heard to play on.
    const bool paused = device_.Paused();
    device_.Stop();
    StopRecording();
    if (State.Mode != PlayMode::Intro || paused) {
        ApplyPattern(ButtonPattern::Stopped);
        return;
    }
    // The scan ends on the track being heard, which plays on to its end.
    State.Mode = PlayMode::Track;
    device_.PlayFrom(device_.GetPosition(), device_.GetCurrentTrack(), State.Mode,
                     AppSettings().IntroTime);
}

void PlayerEngine::Pause() {
    device_.TogglePause(Rule());
}

void PlayerEngine::StepList(bool forward) {
    const std::span<const std::uint8_t> list = CurrentList();
    bool played = false;
    if (forward) {
        const int from = State.ListPosition + 1;
        played = PlayListFrom(list, from, 1);
        if (!played) {
            State.ListPosition = from;
        }
    } else {
        if (State.ListPosition > 1) {
            --State.ListPosition;
        }
        played = PlayListFrom(list, State.ListPosition, -1);
    }
    if (played) {
        ApplyPattern(ButtonPattern::Playing);
    }
}

void PlayerEngine::Back() {
    if (IsListMode()) {
        StepList(false);
    } else {
        device_.PreviousTrack(Rule());
    }
}

void PlayerEngine::Forward() {
    if (IsListMode()) {
        StepList(true);
    } else {
        device_.NextTrack(Rule());
    }
}

void PlayerEngine::RestartTrack() {
    device_.GoToTrack(State.CurrentTrack, Rule());
    ++repositions_;
}

void PlayerEngine::Eject() {
    device_.OpenDoor();
    ApplyPattern(ButtonPattern::Idle);
}

void PlayerEngine::CloseTray() {
    device_.CloseDoor();
}

template <typename Move>
void PlayerEngine::Reposition(Move move) {
    const bool playing = device_.GetMode() == CdMode::Playing;
    move();
    ++repositions_;
    // A stopped disc keeps the position it was moved to instead of winding back to track 1.
    if (!playing) {
        device_.KeepPosition();
    }
}

void PlayerEngine::Skip(SkipDirection direction) {
    Reposition([this, direction] {
        if (direction == SkipDirection::Forward) {
            device_.SkipForward(AppSettings().SkipTime, Rule());
        } else {
            device_.SkipBack(AppSettings().SkipTime, Rule());
        }
    });
}

void PlayerEngine::MoveTo(Msf target) {
    Reposition([this, target] { device_.MoveTo(target, Rule()); });
}

void PlayerEngine::StartSkip(SkipDirection direction) {
    Skip(direction);
    (direction == SkipDirection::Forward ? skipForwardHeld_ : skipBackHeld_) = true;
    view_.SetSkipTimer(true, AppSettings().SkipRepeatInterval);
}

void PlayerEngine::EndSkip(SkipDirection direction) {
    view_.SetSkipTimer(false, AppSettings().SkipRepeatInterval);
    (direction == SkipDirection::Forward ? skipForwardHeld_ : skipBackHeld_) = false;
}

void PlayerEngine::SkipTick() {
    const int interval = AppSettings().SkipRepeatInterval;
    view_.SetSkipTimer(false, interval);
    if (skipBackHeld_) {
        Skip(SkipDirection::Back);
    }
    if (skipForwardHeld_) {
        Skip(SkipDirection::Forward);
    }
    view_.SetSkipTimer(true, interval);
}

void PlayerEngine::ToggleRepeat() {
    State.RepeatOn = !State.RepeatOn;
    view_.SetRepeat(State.RepeatOn, State.RepeatOn ? "LEDON" : "LEDOFF");
}

void PlayerEngine::MarkBookmark() {
    State.BookmarkStart = device_.GetPosition();
    ShowError(kBookmarkPrompt);
    State.BookmarkEnd = device_.GetPosition();
}

void PlayerEngine::GoToTrack(int track) {
    device_.GoToTrack(track, Rule());
}

void PlayerEngine::SetPlayMode(PlayMode mode) {
    State.Mode = mode;
}

void PlayerEngine::PlayRange(Msf from, Msf to) {
    SetPlayMode(PlayMode::Disc);
    device_.PlayRange(from, to);
    ApplyPattern(ButtonPattern::Playing);
}

void PlayerEngine::SetTickInterval(int milliseconds) {
    tickInterval_ = milliseconds;
    view_.SetTickInterval(milliseconds);
}

}  // namespace snx
