// A player engine over the virtual drive on a virtual clock, with a catalogue in a temporary data
// directory, a recording view and scripted messages.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/null_output.h"
#include "catalogue/disc_catalogue.h"
#include "cd/cd_device.h"
#include "cd/system_drives.h"
#include "player/player_engine.h"
#include "settings/settings.h"
#include "store/record_file/record_file.h"
#include "tests/support/image_generator.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/temp_dir.h"
#include "tests/support/virtual_clock.h"

namespace snx::test {

class FakeView final : public PlayerView {
  public:
    std::vector<ButtonPattern> Patterns;
    int DiscsShown = 0;
    int Redraws = 0;
    int Clears = 0;
    std::string Title;
    std::string Glyph = "LEDOFF";
    bool RepeatChecked = false;
    int Top = 0;
    int Left = 0;
    int SmallOpened = 0;
    bool TickEnabled = true;
    int TickInterval = 1000;
    bool SkipTimerEnabled = false;
    int SkipInterval = 0;

    void SetButtons(ButtonPattern pattern, const CommandAvailability&) override {
        Patterns.push_back(pattern);
    }
    void ShowDisc(const PlayerEngine&) override { ++DiscsShown; }
    void SetVolumeGauges(int, int) override {}
    void Redraw(const PlayerEngine&) override { ++Redraws; }
    void ClearDisc() override { ++Clears; }
    void SetTitle(std::string_view title) override { Title = title; }
    void SetRepeat(bool on, std::string_view glyph) override {
        RepeatChecked = on;
        Glyph = glyph;
    }
    int WindowTop() const override { return Top; }
    int WindowLeft() const override { return Left; }
    void OpenSmallHandset() override { ++SmallOpened; }
    void SetTickEnabled(bool enabled) override { TickEnabled = enabled; }
    void SetTickInterval(int milliseconds) override { TickInterval = milliseconds; }
    void SetSkipTimer(bool enabled, int milliseconds) override {
        SkipTimerEnabled = enabled;
        SkipInterval = milliseconds;
    }
    ButtonPattern Last() const { return Patterns.empty() ? ButtonPattern::Idle : Patterns.back(); }
};

class FakeRecording final : public RecordingHook {
  public:
    bool Active = false;
    int Ended = 0;
    bool RecordingActive() const override { return Active; }
    void EndRecording() override {
        Active = false;
        ++Ended;
    }
};

// Reports the drive stopped, whatever it does, while Stale is set: a drive slow to start. While
// Unread is set it reports a disc whose contents it has not read yet.
class LaggingDrives final : public DriveList {
    class Lagging final : public DriveBackend {
      public:
        Lagging(DriveBackend& inner, const bool& stale, const bool& unread)
            : inner_(inner), stale_(stale), unread_(unread) {}
        std::string Label() const override { return inner_.Label(); }
        DriveStatus Status() override {
            DriveStatus status = inner_.Status();
            if (stale_ && status.Mode == CdMode::Playing) {
                status.Mode = CdMode::Stopped;
            }
            if (unread_) {
                status.Disc = nullptr;
                status.Mode = CdMode::NotReady;
            }
            return status;
        }
        std::uint32_t Play(Lba from, Lba to) override { return inner_.Play(from, to); }
        std::uint32_t Pause() override { return inner_.Pause(); }
        std::uint32_t Resume() override { return inner_.Resume(); }
        std::uint32_t Stop() override { return inner_.Stop(); }
        std::uint32_t Seek(Lba to) override { return inner_.Seek(to); }
        std::uint32_t OpenTray() override { return inner_.OpenTray(); }
        std::uint32_t CloseTray() override { return inner_.CloseTray(); }
        void SetGains(double left, double right) override { inner_.SetGains(left, right); }
        void SetPcmTap(std::shared_ptr<PcmTap> tap) override { inner_.SetPcmTap(std::move(tap)); }

      private:
        DriveBackend& inner_;
        const bool& stale_;
        const bool& unread_;
    };

  public:
    explicit LaggingDrives(SystemDrives& inner)
        : drive_(inner.Drive(inner.VirtualDriveIndex()), Stale, Unread) {}
    int Count() const override { return 1; }
    DriveBackend& Drive(int) override { return drive_; }
    bool Stale = false;
    bool Unread = false;

  private:
    Lagging drive_;
};

// The settings and a new, empty catalogue in dir, as an engine test starts.
inline void StartCatalogue(const std::filesystem::path& dir, Tfvlf& holder,
                           std::optional<DiscCatalogue>& catalogue, ScriptedMessages& messages) {
    SetSettingsDirectories(dir, dir);
    LoadSettings();
    InitRecordFiles(8);
    catalogue.emplace(holder, nullptr);
    messages.Answer(true);
    catalogue->OpenDiscFiles();
    catalogue->CloseDiscFiles();
}

// Ends what StartCatalogue began, the engine and its drive first.
inline void EndEngine(std::optional<PlayerEngine>& engine, CdDevice& device,
                      std::optional<DiscCatalogue>& catalogue) {
    engine.reset();
    device.CloseDrive();
    catalogue.reset();
    ExitRecordFiles();
}

class EngineTest : public ::testing::Test {
  protected:
    EngineTest() {
        StartCatalogue(dir.Path(), holder, catalogue, messages);
        engine.emplace(device, *catalogue, view, recording, [this] { return ++seed; });
    }
    ~EngineTest() override { EndEngine(engine, device, catalogue); }

    // Puts a disc of these tracks in the drive (opening the device on the first) and ticks.
    void Insert(const std::vector<TestTrack>& tracks, const TestDiscText& text = {}) {
        const std::string name = "disc" + std::to_string(++images);
        ASSERT_TRUE(drives.VirtualDrive().Insert(GenerateImage(dir.Path(), name, tracks, text)));
        if (!device.IsOpen()) {
            device.OpenDrive(0);
            ASSERT_TRUE(device.IsOpen());
        }
        Tick();
    }
    void Remove() {
        drives.VirtualDrive().OpenTray();
        Tick();
    }
    void Tick() { engine->Tick(); }
    // Lets the disc play for the time, then ticks.
    void PlayFor(double seconds) {
        clock.AdvanceSeconds(seconds);
        Tick();
    }
    // Changes the disc's record as a dialog does: for this play only when it is not catalogued.
    void Change(const std::function<void(DiscRecord&)>& change) {
        engine->Disc().Store([&change](DiscTables& disc) { change(disc.Record); },
                             StoreWhen::Catalogued);
    }
    // Stores the disc in the drive, which makes it catalogued.
    void StoreDisc() {
        ASSERT_TRUE(engine->Disc().Store([](DiscTables&) {}, StoreWhen::Always));
    }
    Msf Start(int track) { return device.TrackStart[static_cast<std::size_t>(track)]; }
    PlayerState& State() { return engine->State; }
    // The track being heard, read from the drive.
    int Heard() { return device.GetCurrentTrack(); }
    bool DrivePlaying() { return device.GetMode() == CdMode::Playing; }
    std::vector<TestTrack> Tracks(int count, int seconds = 60) {
        return std::vector<TestTrack>(static_cast<std::size_t>(count), Track(0, seconds));
    }

    TempDir dir;
    ScriptedMessages messages;
    VirtualClock clock;
    SystemDrives drives{{}, clock, [this] { return std::make_unique<NullOutput>(clock); }};
    LaggingDrives lagging{drives};
    CdDevice device{lagging};
    Tfvlf holder{dir.Path()};
    std::optional<DiscCatalogue> catalogue;
    FakeView view;
    FakeRecording recording;
    std::uint32_t seed = 0;
    std::optional<PlayerEngine> engine;
    int images = 0;
};

}  // namespace snx::test
