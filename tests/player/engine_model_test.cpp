// Random discs played by random commands, ticks and clock moves, each step checked against a
// small reference model of the player's rules; the discs are made in memory, or archived to FLAC
// files and played from their cue sheet. The seed is printed on failure; SONATRIX_SEED replays
// one run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "archive/archive_cue.h"
#include "archive/disc_archiver.h"
#include "archive/flac_image.h"
#include "catalogue/disc_catalogue.h"
#include "cd/cd_device.h"
#include "player/player_engine.h"
#include "settings/settings.h"
#include "store/record_file/record_file.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/synthetic_drive.h"

namespace snx::test {
namespace {

constexpr int kSteps = 20000;
constexpr Micros kSecond = 1'000'000;
// Ends of play nearer than this to a step are not decided by the model: the drive's position
// runs on samples, the model's on frames.
constexpr Micros kEndMargin = 2000;

// The engine as the model sees it: every command and reading goes through here.
struct Engine {
    PlayerEngine& e;
    CdDevice& device;

    void Tick() { e.Tick(); }
    void Play() { e.Play(); }
    void Stop() { e.Stop(); }
    void Pause() { e.Pause(); }
    void Back() { e.Back(); }
    void Forward() { e.Forward(); }
    void StartOfTrack() { e.RestartTrack(); }
    void GoTo(int track) { e.GoToTrack(track); }
    void SkipBack() { e.Skip(SkipDirection::Back); }
    void SkipForward() { e.Skip(SkipDirection::Forward); }
    void Eject() { e.Eject(); }
    void Close() { e.CloseTray(); }
    void Repeat() { e.ToggleRepeat(); }
    void SetMode(PlayMode mode) { e.SetPlayMode(mode); }
    void SetProgramme(const std::vector<std::uint8_t>& list) {
        e.Disc().Store([&](DiscTables& disc) { disc.Record.Programme = list; },
                       StoreWhen::Catalogued);
    }

    PlayMode Mode() const { return e.State.Mode; }
    int Track() const { return e.State.CurrentTrack; }
    Lba Position() const { return MsfToLba(e.State.Position); }
    int ListPosition() const { return e.State.ListPosition; }
    const std::vector<std::uint8_t>& ShuffleOrder() const { return e.State.ShuffleOrder; }
    ButtonPattern Pattern() const { return e.Pattern(); }
    bool Playing() const { return device.Playing(); }
    bool Paused() const { return device.Paused(); }
    int RecordTracks() const { return e.Disc().Record().TrackCount; }
    bool RepeatOn() const { return e.State.RepeatOn; }
};

enum class DriveMode { Stopped, Playing, Paused };

// The reference model: a drive that plays [from, to) of a disc by the clock, passing over data
// tracks, and the player's rules over it.
class Model {
  public:
    // Reads the drive's position as heard, to settle the model's frame count at a step.
    std::function<Lba()> HeardPosition;
    std::string Fault;
    Micros Now = 0;
    int IntroSeconds = 10;
    int SkipSeconds = 30;

    // The disc.
    std::vector<TocTrack> Toc;
    Lba LeadOut = 0;
    bool TrayOpen = false;

    // The engine's side.
    bool DiscShown = false;
    bool DiscLoaded = false;
    PlayMode Mode = PlayMode::Disc;
    bool RepeatOn = false;
    int ListPosition = 0;
    std::vector<std::uint8_t> Shuffle;
    std::vector<std::uint8_t> Programme;
    int Single = 0;
    int CurrentTrack = 0;
    Lba TickPosition = 0;
    ButtonPattern Pattern = ButtonPattern::Idle;
    bool Playing = false;
    bool Paused = false;
    bool Skipping = false;

    bool HasDisc() const { return !TrayOpen && !Toc.empty(); }
    int Count() const { return static_cast<int>(Toc.size()); }
    Lba Start(int track) const { return Toc[static_cast<std::size_t>(track - 1)].Start; }
    Lba End(int track) const { return track < Count() ? Start(track + 1) : LeadOut; }
    bool Audio(int track) const { return Toc[static_cast<std::size_t>(track - 1)].Audio; }
    int TrackAt(Lba position) const {
        int track = 1;
        for (int i = 2; i <= Count(); ++i) {
            if (Start(i) <= position) {
                track = i;
            }
        }
        return track;
    }

    // When the play in force ends, or nothing.
    std::optional<Micros> EndTime() const {
        if (drive_ != DriveMode::Playing) {
            return std::nullopt;
        }
        return t0_ + (planLength_ * kSecond + kFramesPerSecond - 1) / kFramesPerSecond;
    }

    // Before a step, at the time it happens: the play in force is settled and its position
    // taken from the drive when it is within two frames of the model's.
    void BeginStep(Micros now) {
        Now = now;
        Settle();
        heardAdopted_.reset();
        if (drive_ != DriveMode::Playing) {
            return;
        }
        const std::int64_t heard = Heard();
        const Lba actual = HeardPosition();
        for (std::int64_t k = -2; k <= 2; ++k) {
            if (heard + k >= 0 && PlanPosition(heard + k) == actual) {
                heardAdopted_ = heard + k;
                return;
            }
        }
        Fail("heard position " + std::to_string(actual) + ", model " +
             std::to_string(PlanPosition(heard)));
        heardAdopted_ = heard;
    }

    void InsertDisc(std::vector<TocTrack> toc, Lba leadOut) {
        Toc = std::move(toc);
        LeadOut = leadOut;
        TrayOpen = false;
        NewDisc();
    }
    void RemoveDisc() {
        TrayOpen = true;
        NewDisc();
    }

    // --- The handset's commands ---

    void Play() {
        if (Mode == PlayMode::Custom || Mode == PlayMode::Shuffle) {
            ListPosition = 1;
            if (PlayListFrom(List(), 1, 1)) {
                Pattern = ButtonPattern::Playing;
            }
            return;
        }
        const Lba position = Position();
        Single = TrackAt(position);
        PlayFrom(position, Single);
        Pattern = ButtonPattern::Playing;
    }
    void Stop() {
        const bool wasPaused = Paused;
        DeviceStop();
        if (Mode != PlayMode::Intro || wasPaused) {
            Pattern = ButtonPattern::Stopped;
            return;
        }
        Mode = PlayMode::Track;
        const Lba position = Position();
        PlayFrom(position, TrackAt(position));
    }
    void Pause() {
        if (Playing && !Paused) {
            if (DrivePause()) {
                Paused = true;
            }
        } else if (Paused) {
            if (!DriveResume()) {
                const Lba position = Position();
                PlayFrom(position, TrackAt(position));
            }
            Paused = false;
        }
    }
    void Step(bool forward) {
        if (IsList()) {
            bool played = false;
            if (forward) {
                const int from = ListPosition + 1;
                played = PlayListFrom(List(), from, 1);
                if (!played) {
                    ListPosition = from;
                }
            } else {
                if (ListPosition > 1) {
                    --ListPosition;
                }
                played = PlayListFrom(List(), ListPosition, -1);
            }
            if (played) {
                Pattern = ButtonPattern::Playing;
            }
            return;
        }
        const int current = TrackAt(Position());
        const int target = forward ? current + 1 : current - 1;
        if (target < 1 || target > Count()) {
            // At the ends of the disc a paused player stays exactly as it was.
            if (!Paused) {
                Skipping = true;
            }
            return;
        }
        Skipping = true;
        Jump(target);
    }
    void GoTo(int track) {
        Skipping = true;
        if (track >= 1 && track <= Count()) {
            Jump(track);
        }
    }
    void Skip(bool forward) {
        const bool wasPlaying = DriveModeNow() == DriveMode::Playing;
        const MinSec now = MsfToMinSec(LbaToMsf(Position()));
        const MinSec by = SkipSeconds / 60 + SkipSeconds % 60 * 0.01;
        const Msf target = MinSecToMsf(forward ? AddMinSec(now, by) : SubtractMinSec(now, by));
        const Lba clamped = std::clamp(MsfToLba(target), Start(1), LeadOut);
        if (DriveModeNow() == DriveMode::Playing) {
            PlayFrom(clamped, TrackAt(clamped));
        } else {
            Seek(clamped);
        }
        if (!wasPlaying) {
            Skipping = true;
        }
    }
    void Eject() {
        TrayOpen = true;
        NewDisc();
        Paused = false;
        Pattern = ButtonPattern::Idle;
    }
    void Close() {
        TrayOpen = false;
        NewDisc();
        Paused = false;
    }

    // --- The tick ---

    void Tick() {
        if (!HasDisc()) {
            DiscLoaded = false;
            if (DiscShown) {
                Pattern = ButtonPattern::Idle;
                DiscShown = false;
                Playing = false;
                Paused = false;
            }
            return;
        }
        if (!DiscLoaded) {
            Shuffle.clear();
            Single = 0;
            DiscLoaded = true;
            Skipping = false;
            Paused = false;
            Playing = false;
            Pattern = ButtonPattern::Stopped;
            Mode = PlayMode::Disc;
            Programme.clear();
        }
        const DriveMode seen = DriveModeNow();
        // A piece that ended, however short, is followed; pieces that end at once (nothing of
        // them to hear) are followed in the same tick.
        for (int guard = 0; guard <= kMaxTracks; ++guard) {
            if (!(DriveModeNow() == DriveMode::Stopped && ended_ && Playing && !Paused &&
                  (Mode == PlayMode::Intro || IsList()))) {
                break;
            }
            EndOfPiece();
        }
        TickPosition = Position();
        if (seen == DriveMode::Stopped && Mode == PlayMode::Disc && !Skipping && !Paused &&
            TickPosition != Start(1)) {
            if (RepeatOn && Playing) {
                PlayTrack(1);
            } else {
                Skipping = true;
                Seek(Start(1));
                Playing = false;
                TickPosition = Start(1);
            }
        }
        if (seen == DriveMode::Stopped && Mode == PlayMode::Track && !Paused && RepeatOn &&
            Playing && Single >= 1 && Single <= Count()) {
            PlayTrack(Single);
        }
        if (DriveModeNow() != DriveMode::Stopped) {
            Skipping = false;
        } else if (Pattern != ButtonPattern::Stopped && Mode != PlayMode::Intro &&
                   Mode != PlayMode::Custom && !Paused) {
            Pattern = ButtonPattern::Stopped;
        }
        CurrentTrack = TrackAt(Position());
        if (!DiscShown) {
            DiscShown = true;
        }
    }

    bool IsList() const { return Mode == PlayMode::Custom || Mode == PlayMode::Shuffle; }
    const std::vector<std::uint8_t>& List() const {
        return Mode == PlayMode::Custom ? Programme : Shuffle;
    }

  private:
    void Fail(const std::string& what) {
        if (Fault.empty()) {
            Fault = what;
        }
    }

    void NewDisc() {
        drive_ = DriveMode::Stopped;
        ended_ = false;
        rest_ = HasDisc() ? Start(1) : 0;
    }

    std::int64_t Heard() const { return (Now - t0_) * kFramesPerSecond / kSecond; }
    Lba PlanPosition(std::int64_t heard) const {
        for (const auto& [from, to] : plan_) {
            if (heard < to - from) {
                return from + static_cast<Lba>(heard);
            }
            heard -= to - from;
        }
        return playTo_;
    }
    void Settle() {
        if (drive_ == DriveMode::Playing && Heard() >= planLength_) {
            drive_ = DriveMode::Stopped;
            rest_ = playTo_;
            ended_ = true;
        }
    }
    DriveMode DriveModeNow() {
        Settle();
        return drive_;
    }
    Lba Position() {
        Settle();
        if (!HasDisc()) {
            return 0;
        }
        if (drive_ != DriveMode::Playing) {
            return rest_;
        }
        // A play begun within this step is heard from its first sector.
        return PlanPosition(t0_ == Now ? 0 : heardAdopted_.value_or(Heard()));
    }

    // --- The drive ---

    bool DrivePlay(Lba from, Lba to) {
        if (!HasDisc()) {
            return false;
        }
        from = std::max(from, Start(1));
        to = std::min(to, LeadOut);
        if (from > to) {
            return false;
        }
        plan_.clear();
        planLength_ = 0;
        for (int track = 1; track <= Count(); ++track) {
            const Lba start = std::max(from, Start(track));
            const Lba end = std::min(to, End(track));
            if (Audio(track) && start < end) {
                plan_.emplace_back(start, end);
                planLength_ += end - start;
            }
        }
        drive_ = DriveMode::Playing;
        t0_ = Now;
        playTo_ = to;
        ended_ = false;
        return true;
    }
    bool DrivePause() {
        if (DriveModeNow() != DriveMode::Playing) {
            return false;
        }
        rest_ = Position();
        drive_ = DriveMode::Paused;
        return true;
    }
    bool DriveResume() {
        if (DriveModeNow() != DriveMode::Paused) {
            return false;
        }
        return DrivePlay(rest_, playTo_);
    }
    void DeviceStop() {
        if (DriveModeNow() == DriveMode::Playing) {
            rest_ = Position();
        }
        drive_ = DriveMode::Stopped;
        ended_ = false;
        Paused = false;
        Playing = false;
    }
    void Seek(Lba to) {
        if (!HasDisc()) {
            return;
        }
        rest_ = std::clamp(to, Start(1), LeadOut);
        drive_ = DriveMode::Stopped;
        ended_ = false;
    }

    // --- The device's requests ---

    void PlayFrom(Lba from, int track) {
        Lba to = LeadOut;
        if (Mode == PlayMode::Intro) {
            const MinSec intro = IntroSeconds / 60 + IntroSeconds % 60 * 0.01;
            to = MsfToLba(MinSecToMsf(AddMinSec(MsfToMinSec(LbaToMsf(from)), intro)));
            to = std::max(to, from);
        } else if (Mode != PlayMode::Disc && track >= 1 && track < Count()) {
            to = Start(track + 1);
        }
        DrivePlay(from, to);
        Paused = false;
        Playing = true;
    }
    void Jump(int track) {
        if (DriveModeNow() == DriveMode::Playing) {
            PlayFrom(Start(track), track);
        } else {
            Seek(Start(track));
        }
    }
    // A paused player moves to the track and stays paused.
    void PlayTrack(int track) {
        if (Paused) {
            GoTo(track);
        } else {
            PlayFrom(Start(track), track);
        }
    }
    bool PlayListFrom(const std::vector<std::uint8_t>& list, int position, int step) {
        for (int i = std::max(position, 1); i >= 1 && i <= static_cast<int>(list.size());
             i += step) {
            const int track = list[static_cast<std::size_t>(i - 1)];
            if (track >= 1 && track <= Count() && Audio(track)) {
                ListPosition = i;
                PlayTrack(track);
                return true;
            }
        }
        return false;
    }
    void EndOfPiece() {
        if (Mode == PlayMode::Intro) {
            const int current = TrackAt(Position());
            for (int t = current + 1; t <= Count(); ++t) {
                if (Audio(t)) {
                    PlayTrack(t);
                    return;
                }
            }
            if (RepeatOn) {
                for (int t = 1; t <= Count(); ++t) {
                    if (Audio(t)) {
                        PlayTrack(t);
                        return;
                    }
                }
            }
            Mode = PlayMode::Disc;
            Playing = false;
            return;
        }
        if (PlayListFrom(List(), ListPosition + 1, 1)) {
            return;
        }
        ++ListPosition;
        if (RepeatOn && PlayListFrom(List(), 1, 1)) {
            return;
        }
        Playing = false;
        Pattern = ButtonPattern::Stopped;
    }

    DriveMode drive_ = DriveMode::Stopped;
    Lba rest_ = 0;
    Lba playTo_ = 0;
    Micros t0_ = 0;
    std::vector<std::pair<Lba, Lba>> plan_;
    std::int64_t planLength_ = 0;
    bool ended_ = false;
    std::optional<std::int64_t> heardAdopted_;
};

// A random disc: mostly a handful of tracks of a few seconds, some shorter than a tick, data
// tracks first, in the middle or last, now and then a long disc.
std::pair<std::vector<TocTrack>, Lba> RandomDisc(std::mt19937& random) {
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const int count = pick(0, 19) == 0 ? pick(20, 99) : pick(1, 8);
    std::vector<TocTrack> tracks;
    Lba start = kLeadInFrames;
    const int layout = pick(0, 4);  // 0 none, 1 first, 2 middle, 3 last, 4 scattered
    for (int i = 1; i <= count; ++i) {
        bool audio = true;
        if ((layout == 1 && i == 1) || (layout == 3 && i == count) ||
            (layout == 2 && count > 2 && i == count / 2 + 1) || (layout == 4 && pick(0, 3) == 0)) {
            audio = false;
        }
        tracks.push_back({start, audio});
        const int kind = pick(0, 5);
        start += kind == 0 ? pick(1, 60) : pick(75, audio ? 8 * 75 : 20 * 75);
    }
    return {tracks, start};
}

std::string PatternName(ButtonPattern pattern) {
    switch (pattern) {
        case ButtonPattern::Playing:
            return "Playing";
        case ButtonPattern::Stopped:
            return "Stopped";
        default:
            return "Idle";
    }
}

// Where the drive's discs come from.
enum class DiscSource { Memory, Archive };

std::string SourceName(const ::testing::TestParamInfo<DiscSource>& info) {
    return info.param == DiscSource::Memory ? "Memory" : "Archive";
}

// The disc archived into folder from its pattern, as the archive's cue sheet and files give it.
FlacImage Archived(std::shared_ptr<const DiscInfo> disc, const std::filesystem::path& folder) {
    ArchiveRequest request;
    request.Disc = disc;
    request.Source = "pattern";
    request.OpenReader = [] { return std::make_unique<PatternReader>(); };
    request.Folder = folder;
    request.Metadata.Identity = DiscIdentity(*disc);
    const std::atomic<bool> cancel = false;
    const ArchiveReport report = ExtractDisc(request, {}, cancel);
    EXPECT_EQ(report.Error, "");
    return OpenFlacImage(CueSheetPath(report.Folder));
}

class EngineModelTest : public ::testing::TestWithParam<DiscSource> {
  protected:
    EngineModelTest() {
        StartCatalogue(dir.Path(), holder, catalogue, messages);
        engine.emplace(device, *catalogue, view, recording, [this] { return ++seed; });
    }
    ~EngineModelTest() override { EndEngine(engine, device, catalogue); }

    TempDir dir;
    ScriptedMessages messages;
    VirtualClock clock;
    SyntheticDrives drives{clock};
    CdDevice device{drives};
    Tfvlf holder{dir.Path()};
    std::optional<DiscCatalogue> catalogue;
    FakeView view;
    FakeRecording recording;
    std::uint32_t seed = 0;
    std::optional<PlayerEngine> engine;
};

std::uint32_t RunSeed() {
    if (const char* text = std::getenv("SONATRIX_SEED")) {
        return static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10));
    }
    return std::random_device{}();
}

TEST_P(EngineModelTest, RandomPlayFollowsTheRules) {
    // Each archived disc is encoded twice over; fewer steps keep the run short.
    const int steps = GetParam() == DiscSource::Memory ? kSteps : kSteps / 10;
    int archives = 0;
    const std::uint32_t runSeed = RunSeed();
    std::mt19937 random(runSeed);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    Engine e{*engine, device};
    Model model;
    model.HeardPosition = [this] { return MsfToLba(device.GetPosition()); };
    std::deque<std::string> log;
    std::string discText;
    const auto note = [&](std::string text) {
        log.push_back(std::move(text));
        if (log.size() > 40) {
            log.pop_front();
        }
    };

    const auto insert = [&] {
        auto [toc, leadOut] = RandomDisc(random);
        // A disc of data alone has nothing to archive.
        while (GetParam() == DiscSource::Archive &&
               std::none_of(toc.begin(), toc.end(), [](const TocTrack& t) { return t.Audio; })) {
            std::tie(toc, leadOut) = RandomDisc(random);
        }
        const int intro[] = {0, 1, 2, 3, 10};
        const int skip[] = {1, 2, 5, 30};
        model.IntroSeconds = intro[pick(0, 4)];
        model.SkipSeconds = skip[pick(0, 3)];
        AppSettings().IntroTime = model.IntroSeconds / 60 + model.IntroSeconds % 60 * 0.01;
        AppSettings().SkipTime = model.SkipSeconds / 60 + model.SkipSeconds % 60 * 0.01;
        auto made = std::make_shared<DiscInfo>();
        made->Tracks = toc;
        made->LeadOut = leadOut;
        std::shared_ptr<const DiscInfo> disc = made;
        SectorReaderFactory readers;
        if (GetParam() == DiscSource::Archive) {
            const FlacImage image = Archived(disc, dir / ("archive " + std::to_string(++archives)));
            ASSERT_TRUE(image.Disc) << image.Error << "; seed " << runSeed;
            ASSERT_EQ(DiscIdentity(*image.Disc), DiscIdentity(*disc)) << "seed " << runSeed;
            disc = image.Disc;
            readers = image.Readers;
        }
        drives.Only().Insert(disc, readers);
        model.InsertDisc(disc->Tracks, disc->LeadOut);
        std::ostringstream text;
        text << "insert " << toc.size() << " tracks, intro " << model.IntroSeconds << " s, skip "
             << model.SkipSeconds << " s:";
        for (const TocTrack& track : toc) {
            text << ' ' << track.Start << (track.Audio ? "" : "d");
        }
        text << " end " << leadOut;
        discText = text.str();
        note(discText);
    };

    insert();
    device.OpenDrive(0);
    ASSERT_TRUE(device.IsOpen());
    model.BeginStep(clock.Now());
    e.Tick();
    model.Tick();

    for (int step = 0; step < steps; ++step) {
        const int kind = pick(0, 99);
        const bool playingPattern = model.Pattern == ButtonPattern::Playing;
        const bool stoppedPattern = model.Pattern == ButtonPattern::Stopped;
        if (kind < 25) {
            // Time passes, but a step never falls on the very end of a play.
            Micros by = pick(0, 3) == 0 ? pick(1000, 3000) * 1000 : pick(1, 700) * 1000;
            if (const auto end = model.EndTime()) {
                const Micros at = clock.Now() + by;
                if (at > *end - kEndMargin && at < *end + kEndMargin) {
                    by += 2 * kEndMargin;
                }
            }
            clock.Advance(by);
            note("advance " + std::to_string(by / 1000) + " ms");
            continue;
        }
        model.BeginStep(clock.Now());
        if (kind < 55) {
            note("tick");
            e.Tick();
            model.Tick();
        } else if (kind < 57) {
            // A disc is changed over several ticks, as a tray takes its time.
            if (model.HasDisc()) {
                note("remove the disc");
                drives.Only().OpenTray();
                model.RemoveDisc();
            } else if (!model.DiscLoaded) {
                insert();
            }
            model.BeginStep(clock.Now());
            e.Tick();
            model.Tick();
        } else {
            const int command = pick(0, 14);
            std::string name;
            if (command == 0 && stoppedPattern) {
                name = "play";
                e.Play();
                if (model.Mode == PlayMode::Shuffle) {
                    std::vector<std::uint8_t> order = e.ShuffleOrder();
                    std::sort(order.begin(), order.end());
                    for (std::size_t i = 0; i < order.size(); ++i) {
                        ASSERT_EQ(order[i], i + 1) << "shuffle order; seed " << runSeed;
                    }
                    ASSERT_EQ(static_cast<int>(order.size()), e.RecordTracks())
                        << "seed " << runSeed;
                    model.Shuffle = e.ShuffleOrder();
                }
                model.Play();
            } else if (command == 1 && playingPattern) {
                name = "stop";
                e.Stop();
                model.Stop();
            } else if (command == 2 && playingPattern) {
                name = "pause";
                e.Pause();
                model.Pause();
            } else if (command == 3 && (playingPattern || stoppedPattern)) {
                name = "previous";
                e.Back();
                model.Step(false);
            } else if (command == 4 && (playingPattern || stoppedPattern)) {
                name = "next";
                e.Forward();
                model.Step(true);
            } else if (command == 5 && playingPattern) {
                name = "start of track";
                e.StartOfTrack();
                model.GoTo(model.CurrentTrack);
            } else if (command == 6 && (playingPattern || stoppedPattern)) {
                const int track = pick(1, model.Count() + 1);
                name = "go to " + std::to_string(track);
                e.GoTo(track);
                model.GoTo(track);
            } else if (command == 7 && playingPattern) {
                name = "rewind";
                e.SkipBack();
                model.Skip(false);
            } else if (command == 8 && playingPattern) {
                name = "fast forward";
                e.SkipForward();
                model.Skip(true);
            } else if (command == 9 && !model.TrayOpen) {
                name = "eject";
                e.Eject();
                model.Eject();
            } else if (command == 10 && model.TrayOpen) {
                name = "close";
                e.Close();
                model.Close();
            } else if (command == 11) {
                name = "repeat";
                e.Repeat();
                model.RepeatOn = !model.RepeatOn;
            } else if (command == 12 && stoppedPattern) {
                const auto mode = static_cast<PlayMode>(pick(0, 5));
                name = "mode " + std::string(kPlayModeNames[static_cast<std::size_t>(mode)]);
                e.SetMode(mode);
                model.Mode = mode;
            } else if (command == 13 && stoppedPattern) {
                std::vector<std::uint8_t> list(static_cast<std::size_t>(pick(0, 8)));
                name = "programme";
                for (std::uint8_t& entry : list) {
                    entry = static_cast<std::uint8_t>(pick(0, model.Count() + 2));
                    name += " " + std::to_string(entry);
                }
                e.SetProgramme(list);
                model.Programme = list;
            } else {
                continue;
            }
            note(name);
        }

        std::ostringstream diff;
        const auto check = [&](const char* what, auto got, auto want) {
            if (got != want) {
                diff << ' ' << what << " engine " << got << " model " << want << ';';
            }
        };
        check("mode", static_cast<int>(e.Mode()), static_cast<int>(model.Mode));
        check("playing", e.Playing(), model.Playing);
        check("paused", e.Paused(), model.Paused);
        check("repeat", e.RepeatOn(), model.RepeatOn);
        check("pattern", PatternName(e.Pattern()), PatternName(model.Pattern));
        if (model.DiscShown) {
            check("track", e.Track(), model.CurrentTrack);
            check("position", e.Position(), model.TickPosition);
        }
        if (model.IsList()) {
            check("list position", e.ListPosition(), model.ListPosition);
        }
        if (!model.Fault.empty()) {
            diff << ' ' << model.Fault;
        }
        if (!diff.str().empty()) {
            std::string trail;
            for (const std::string& line : log) {
                trail += "\n  " + line;
            }
            FAIL() << "seed " << runSeed << " (SONATRIX_SEED=" << runSeed << " replays it), step "
                   << step << ":" << diff.str() << "\n"
                   << discText << "\nlast steps:" << trail;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Discs, EngineModelTest,
                         ::testing::Values(DiscSource::Memory, DiscSource::Archive), SourceName);

}  // namespace
}  // namespace snx::test
