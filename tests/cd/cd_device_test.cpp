#include "cd/cd_device.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "cd/cdio_disc.h"
#include "tests/support/device_fixture.h"

namespace snx::test {
namespace {

constexpr const char* kNotOpen = "CD device not open";

class EmptyDriveList final : public DriveList {
  public:
    int Count() const override { return 0; }
    DriveBackend& Drive(int) override { throw std::logic_error("no drives"); }
};

void ExpectNotOpen(const std::function<void()>& operation) {
    try {
        operation();
        ADD_FAILURE() << "no EMCIDeviceError";
    } catch (const EMCIDeviceError& error) {
        EXPECT_STREQ(error.what(), kNotOpen);
    }
}

TEST(CdDeviceWithoutDrive, ListIsEmptyOpenFailsAndTransportRaises) {
    ScriptedMessages messages;
    EmptyDriveList none;
    CdDevice device(none);
    device.FindCdDrives();
    EXPECT_TRUE(device.DriveLetters.empty());
    device.OpenDrive(0);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.LastError, kDeviceOpenFailed);
    EXPECT_EQ(messages.Errors().size(), 1u);
    ExpectNotOpen([&] { device.PlayFrom(PackMsf(0, 2, 0), 1, PlayMode::Disc, 0.10); });
    ExpectNotOpen([&] { device.Stop(); });
    ExpectNotOpen([&] { device.Pause(); });
    ExpectNotOpen([&] { device.Resume({}); });
    ExpectNotOpen([&] { device.TogglePause({}); });
    ExpectNotOpen([&] { device.NextTrack({}); });
    ExpectNotOpen([&] { device.PreviousTrack({}); });
    ExpectNotOpen([&] { device.GoToTrack(1, {}); });
    ExpectNotOpen([&] { device.SkipForward(0.10, {}); });
    ExpectNotOpen([&] { device.SkipBack(0.10, {}); });
    ExpectNotOpen([&] { device.SeekTo(0); });
    ExpectNotOpen([&] { device.OpenDoor(); });
    ExpectNotOpen([&] { device.CloseDoor(); });
    ExpectNotOpen([&] { device.ApplyVolume(0, 0); });
    ExpectNotOpen([&] { device.GetTrackCount(); });
    ExpectNotOpen([&] { device.GetTrackLength(1); });
    EXPECT_EQ(device.GetMode(), CdMode::NotReady);
    EXPECT_FALSE(device.Playing());
}

TEST_F(DeviceTest, StoredDriveIndexBeyondTheListLeavesTheDeviceClosed) {
    device.FindCdDrives();
    ASSERT_EQ(device.DriveLetters, std::vector<std::string>{"virtual: (empty)"});
    device.OpenDrive(1);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.LastError, kDeviceOpenFailed);
    ExpectNotOpen([&] { device.Stop(); });
    Insert({Track(1, 0)});
    EXPECT_EQ(device.DeviceId(), 1);
}

TEST_F(DeviceTest, ADriveWhoseDeviceCannotBeOpenedIsReportedOnceAndStaysClosed) {
    SystemDrives withMissing{{(dir / "no-such-drive").string()}, clock, {}};
    CdDevice other(withMissing);
    other.OpenDrive(0);
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(other.LastError, kDeviceOpenFailed);
    ASSERT_EQ(messages.Errors().size(), 1u);
    EXPECT_NE(messages.Errors()[0].find("no-such-drive"), std::string::npos);
    EXPECT_FALSE(other.IsMediaPresent());
    ExpectNotOpen([&] { other.Stop(); });
    ASSERT_TRUE(withMissing.VirtualDrive().Insert(GenerateImage(dir.Path(), "v", {Track(0, 5)})));
    other.OpenDrive(1);  // another drive can still be chosen
    EXPECT_TRUE(other.IsOpen());
    EXPECT_EQ(messages.Errors().size(), 1u);
}

TEST_F(DeviceTest, ReadsTheTableOfContentsOfTheImage) {
    Insert({Track(3, 0), Track(4, 30, 10), Track(2, 15)});
    EXPECT_EQ(device.TrackCount, 3);
    EXPECT_EQ(Start(1), PackMsf(0, 2, 0));
    EXPECT_EQ(Start(2), PackMsf(3, 2, 0));
    EXPECT_EQ(Start(3), PackMsf(7, 32, 10));
    EXPECT_EQ(device.TrackLength[2], PackMsf(4, 30, 10));
    EXPECT_EQ(device.TrackLength[3], PackMsf(2, 15, 0));
    EXPECT_EQ(device.TrackStart[4], 0u);
    EXPECT_EQ(std::lround(device.DiscStartTime * 100), 2);
    EXPECT_EQ(std::lround(device.DiscTotalTime * 100), 945);
    EXPECT_EQ(device.GetMode(), CdMode::Stopped);
    EXPECT_EQ(device.GetCurrentTrack(), 1);
    EXPECT_EQ(device.GetPosition(), PackMsf(0, 2, 0));
    // 512 + (3*65536 + 2*256) + (7*65536 + 32*256 + 10)
    EXPECT_EQ(device.GetDiscIdentity(), "00000000000A240A");
}

TEST_F(DeviceTest, CarriesTheCdTextOfTheCue) {
    std::vector<TestTrack> tracks{Track(0, 5), Track(0, 5)};
    tracks[0].Title = "Morning";
    tracks[1].Title = "Evening \"late\"";
    Insert(tracks, {"Day", "The Band", "A. Writer"});
    const CdText text = device.GetCdText();
    EXPECT_EQ(text.Title, "Day");
    EXPECT_EQ(text.Performer, "The Band");
    EXPECT_EQ(text.Songwriter, "A. Writer");
    EXPECT_EQ(text.TrackTitles, (std::vector<std::string>{"Morning", "Evening 'late'"}));
}

TEST_F(DeviceTest, TrackJumpsStopAtTheEndsOfTheDisc) {
    Insert({Track(0, 10), Track(0, 10), Track(0, 10)});
    device.PlayFrom(Start(1), 1, PlayMode::Disc, 0.10);
    device.Pause();
    device.NextTrack({});
    EXPECT_EQ(device.GetCurrentTrack(), 2);
    EXPECT_EQ(device.JumpTarget, Start(2));
    device.GoToTrack(3, {});
    ASSERT_EQ(device.GetCurrentTrack(), 3);
    EXPECT_TRUE(device.Paused());  // the jumps keep a pause

    device.Stop();
    device.ReleasePosition();
    device.NextTrack({});  // on the last track
    EXPECT_EQ(device.GetPosition(), Start(3));
    EXPECT_TRUE(device.Skipping());
    device.PlayFrom(Start(3), 3, PlayMode::Disc, 0.10);
    device.Pause();
    device.ReleasePosition();
    device.NextTrack({});  // paused: left exactly as it was
    EXPECT_FALSE(device.Skipping());
    EXPECT_TRUE(device.Paused());

    device.GoToTrack(4, {});  // past TrackCount
    EXPECT_EQ(device.GetPosition(), Start(3));

    device.GoToTrack(1, {});
    device.Stop();
    device.ReleasePosition();
    device.PreviousTrack({});  // on track 1
    EXPECT_EQ(device.GetPosition(), Start(1));
    EXPECT_TRUE(device.Skipping());
    EXPECT_EQ(device.GetMode(), CdMode::Stopped);
}

TEST_F(DeviceTest, NextTrackWhilePlayingPlaysOn) {
    Insert({Track(0, 10), Track(0, 10), Track(0, 10)});
    device.PlayFrom(Start(1), 1, PlayMode::Disc, 0.10);
    clock.AdvanceSeconds(1);
    device.NextTrack({});
    EXPECT_EQ(device.GetMode(), CdMode::Playing);
    clock.AdvanceSeconds(2);
    EXPECT_EQ(device.GetCurrentTrack(), 2);
    EXPECT_NEAR(Position(), MsfToLba(Start(2)) + 2 * 75, 1);
}

TEST_F(DeviceTest, SingleTrackPlayEndsAtTheNextTrackAndTheLastAtTheDiscEnd) {
    std::vector<TestTrack> tracks(12, Track(0, 4));
    Insert(tracks);
    device.PlayFrom(Start(5), 5, PlayMode::Track, 0.10);
    EXPECT_TRUE(device.Playing());
    clock.AdvanceSeconds(3.9);
    EXPECT_EQ(device.GetMode(), CdMode::Playing);
    clock.AdvanceSeconds(0.2);
    EXPECT_EQ(device.GetMode(), CdMode::Stopped);
    EXPECT_EQ(device.GetPosition(), Start(6));

    device.PlayFrom(Start(12), 12, PlayMode::Track, 0.10);
    clock.AdvanceSeconds(4.1);
    EXPECT_EQ(device.GetMode(), CdMode::Stopped);
    EXPECT_EQ(Position(), kLeadInFrames + 12 * 4 * 75);
}

TEST_F(DeviceTest, IntroPlayEndsIntroTimeLaterWithMinutesRollingOver) {
    Insert({Track(6, 0)});
    device.PlayFrom(PackMsf(3, 55, 0), 1, PlayMode::Intro, 0.10);
    EXPECT_EQ(device.IntroEnd, PackMsf(4, 5, 0));
    clock.AdvanceSeconds(9.9);
    EXPECT_EQ(device.GetMode(), CdMode::Playing);
    clock.AdvanceSeconds(0.2);
    EXPECT_EQ(device.GetMode(), CdMode::Stopped);
    EXPECT_EQ(device.GetPosition(), PackMsf(4, 5, 0));
}

TEST_F(DeviceTest, PauseKeepsThePositionHeardAndResumeGoesOnFromIt) {
    Insert({Track(1, 0)});
    device.PlayFrom(Start(1), 1, PlayMode::Disc, 0.10);
    clock.AdvanceSeconds(2);
    EXPECT_NEAR(Position(), 150 + 150, 1);
    ASSERT_EQ(device.Pause(), kDeviceOk);
    EXPECT_TRUE(device.Paused());
    const Lba paused = Position();
    clock.AdvanceSeconds(5);
    EXPECT_EQ(device.GetMode(), CdMode::Paused);
    EXPECT_EQ(Position(), paused);
    device.TogglePause({});
    EXPECT_FALSE(device.Paused());
    clock.AdvanceSeconds(1);
    EXPECT_EQ(device.GetMode(), CdMode::Playing);
    EXPECT_NEAR(Position(), paused + 75, 1);
    // Nothing heard twice or skipped: one second of sectors per second of play.
    clock.AdvanceSeconds(60);
    EXPECT_EQ(device.GetMode(), CdMode::Stopped);
    std::lock_guard lock(capture.Mutex);
    for (std::size_t i = 1; i < capture.Left.size(); ++i) {
        if (capture.Left[i] != capture.Left[i - 1] + 1) {
            // The only break is the resume, which restarts at the sector heard.
            EXPECT_EQ(capture.Left[i], PatternLeft(paused));
        }
    }
}

TEST_F(DeviceTest, RefusedResumeRestartsAtThePositionWithTheModeEndRule) {
    Insert({Track(0, 10), Track(0, 10), Track(0, 10)});
    device.PlayFrom(Start(2), 2, PlayMode::Track, 0.10);
    clock.AdvanceSeconds(3);
    device.Stop();
    EXPECT_FALSE(device.Playing());
    const Lba stoppedAt = Position();
    EXPECT_EQ(device.Resume({PlayMode::Track, 0.10}), kDeviceOk);  // the restart's result
    EXPECT_TRUE(device.Playing());
    EXPECT_FALSE(device.Paused());
    EXPECT_EQ(device.GetMode(), CdMode::Playing);
    EXPECT_EQ(Position(), stoppedAt);
    clock.AdvanceSeconds(8);
    EXPECT_EQ(device.GetMode(), CdMode::Stopped);
    EXPECT_EQ(device.GetPosition(), Start(3));
}

TEST_F(DeviceTest, RefusedPauseLeavesPausedFalse) {
    Insert({Track(0, 10)});
    EXPECT_EQ(device.Pause(), kDeviceRefused);
    EXPECT_FALSE(device.Paused());
    EXPECT_EQ(device.LastError, kDeviceRefused);
}

TEST_F(DeviceTest, PlayRangeEndsStoppedAtItsEnd) {
    Insert({Track(1, 0)});
    device.PlayRange(PackMsf(0, 10, 0), PackMsf(0, 12, 0));
    EXPECT_EQ(device.GetPosition(), PackMsf(0, 10, 0));
    clock.AdvanceSeconds(1.9);
    EXPECT_EQ(device.GetMode(), CdMode::Playing);
    clock.AdvanceSeconds(0.2);
    EXPECT_EQ(device.GetMode(), CdMode::Stopped);
    EXPECT_EQ(device.GetPosition(), PackMsf(0, 12, 0));
    EXPECT_EQ(capture.Sectors(), 150u);
}

TEST_F(DeviceTest, DataTracksAreNeverSentToTheOutput) {
    Insert({Track(0, 2), DataTrack(0, 2), Track(0, 2)});
    device.PlayFrom(Start(1), 1, PlayMode::Disc, 0.10);
    clock.AdvanceSeconds(3);
    EXPECT_EQ(device.GetCurrentTrack(), 3);
    clock.AdvanceSeconds(1.1);
    EXPECT_EQ(device.GetMode(), CdMode::Stopped);
    std::lock_guard lock(capture.Mutex);
    ASSERT_EQ(capture.Left.size(), 300u);
    EXPECT_EQ(capture.Left[149], PatternLeft(150 + 149));
    EXPECT_EQ(capture.Left[150], PatternLeft(150 + 300));
}

TEST_F(DeviceTest, TheLaterVolumeWins) {
    Insert({Track(0, 10)});
    device.ApplyVolume(65535, 0);
    device.ApplyVolume(16384, 65535);
    device.PlayFrom(Start(1), 1, PlayMode::Disc, 0.10);
    clock.AdvanceSeconds(0.5);
    std::lock_guard lock(capture.Mutex);
    ASSERT_FALSE(capture.Left.empty());
    const Lba first = 150;
    const int leftUnits = static_cast<int>(std::lround(16384 / 65535.0 * 65536));
    EXPECT_EQ(capture.Left[0], (PatternLeft(first) * leftUnits) >> 16);
    EXPECT_EQ(capture.Right[0], PatternRight(first));
}

TEST_F(DeviceTest, SkipsMoveBySkipTimeWithinTheDisc) {
    Insert({Track(0, 30), Track(0, 30)});
    device.SkipForward(0.20, {});
    EXPECT_EQ(device.GetPosition(), PackMsf(0, 22, 0));
    device.SkipForward(0.20, {});
    device.SkipForward(0.20, {});  // clamped to the end of the disc
    EXPECT_EQ(device.GetPosition(), PackMsf(1, 2, 0));
    device.SkipBack(0.20, {});
    EXPECT_EQ(device.GetPosition(), PackMsf(0, 42, 0));
    device.PlayFrom(device.GetPosition(), 2, PlayMode::Track, 0.10);
    device.SkipBack(0.20, {PlayMode::Track, 0.10});  // into track 1: the play now ends at track 2
    EXPECT_EQ(device.GetMode(), CdMode::Playing);
    clock.AdvanceSeconds(10.1);
    EXPECT_EQ(device.GetMode(), CdMode::Stopped);
    EXPECT_EQ(device.GetPosition(), Start(2));
    device.SkipBack(5.00, {});  // clamped to the start of the disc
    EXPECT_EQ(device.GetPosition(), Start(1));
}

TEST_F(DeviceTest, TheTrayTakesTheDiscOutAndPutsItBack) {
    Insert({Track(0, 10), Track(0, 10)});
    device.PlayFrom(Start(1), 1, PlayMode::Disc, 0.10);
    device.Pause();
    ASSERT_TRUE(device.Paused());
    device.OpenDoor();
    EXPECT_FALSE(device.Paused());
    EXPECT_TRUE(device.IsDoorOpen());
    EXPECT_FALSE(device.IsMediaPresent());
    EXPECT_EQ(device.GetTrackCount(), 0);
    EXPECT_EQ(device.PlayFrom(Start(1), 1, PlayMode::Disc, 0.10), kDeviceNotReady);
    device.CloseDoor();
    EXPECT_TRUE(device.IsMediaPresent());
    EXPECT_EQ(device.GetMode(), CdMode::Stopped);
    EXPECT_EQ(device.GetTrackCount(), 2);
}

TEST_F(DeviceTest, ImagesOpenAtOnceFromTwoThreads) {
    // A drive's reader opens its image while the window reads another one.
    const auto one = GenerateImage(dir.Path(), "one", {Track(0, 1), Track(0, 1)}).string();
    const auto two = GenerateImage(dir.Path(), "two", {Track(0, 1), Track(0, 1), Track(0, 1)});
    std::atomic<int> failures = 0;
    const auto open = [&failures](const std::string& path, std::size_t tracks) {
        for (int i = 0; i < 2000; ++i) {
            const auto disc = ReadDiscInfo(OpenImage(path).get());
            if (disc == nullptr || disc->Tracks.size() != tracks) {
                ++failures;
            }
        }
    };
    std::thread other(open, one, 2U);
    open(two.string(), 3U);
    other.join();
    EXPECT_EQ(failures, 0);
}

TEST_F(DeviceTest, AnUnreadableImageLeavesTheDriveEmpty) {
    WriteFileText(dir / "bad.cue",
                  "FILE \"missing.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 xx\n");
    EXPECT_FALSE(drives.VirtualDrive().Insert((dir / "bad.cue").string()));
    EXPECT_FALSE(drives.VirtualDrive().Insert((dir / "none.cue").string()));
    // A bin cut short of where the cue puts track 2.
    const auto cut = GenerateImage(dir.Path(), "cut", {Track(0, 10), Track(0, 10)});
    std::filesystem::resize_file(dir / "cut.bin", 5 * 75 * kBytesPerSector);
    EXPECT_FALSE(drives.VirtualDrive().Insert(cut.string()));
    WriteFileText(dir / "text.bin", "not a disc");
    EXPECT_FALSE(drives.VirtualDrive().Insert((dir / "text.bin").string()));
    device.OpenDrive(drives.VirtualDriveIndex());
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(device.GetMode(), CdMode::NotReady);
    EXPECT_EQ(device.TrackCount, 0);
    EXPECT_THROW(device.GetDiscIdentity(), std::invalid_argument);
}

// An output that stops working after a few sectors, as a sound server that goes away.
class FailingOutput final : public NullOutput {
  public:
    explicit FailingOutput(Clock& clock) : NullOutput(clock) {}
    bool Write(std::span<const std::int16_t> samples) override {
        return ++writes_ <= 10 && NullOutput::Write(samples);
    }

  private:
    int writes_ = 0;
};

TEST_F(DeviceTest, TheNullOutputTakesOverWhenTheOutputFails) {
    SystemDrives failing{{}, clock, [this] { return std::make_unique<FailingOutput>(clock); }};
    ASSERT_TRUE(failing.VirtualDrive().Insert(GenerateImage(dir.Path(), "f", {Track(0, 5)})));
    CdDevice other(failing);
    other.OpenDrive(0);
    other.PlayFrom(PackMsf(0, 2, 0), 1, PlayMode::Disc, 0.10);
    clock.AdvanceSeconds(2);
    EXPECT_EQ(other.GetMode(), CdMode::Playing);
    // What the failed output held (0.1 s) is lost, so the position may run that much ahead.
    EXPECT_NEAR(MsfToLba(other.GetPosition()), 150 + 150 + 4, 4);
    clock.AdvanceSeconds(3.1);
    EXPECT_EQ(other.GetMode(), CdMode::Stopped);
    EXPECT_EQ(other.GetPosition(), PackMsf(0, 7, 0));
}

TEST_F(DeviceTest, ClosingStopsPlayAndLaterCallsRaise) {
    Insert({Track(0, 10)});
    device.PlayFrom(Start(1), 1, PlayMode::Disc, 0.10);
    device.CloseDrive();
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.DeviceId(), 0);
    EXPECT_EQ(drives.VirtualDrive().Status().Mode, CdMode::Stopped);
    ExpectNotOpen([&] { device.Stop(); });
}

}  // namespace
}  // namespace snx::test
