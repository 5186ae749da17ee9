// Plays the demo disc through a real sound server: a private PulseAudio with a null sink.
#include "audio/pulse_output.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "cd/image_drive.h"
#include "tests/support/demo_image.h"
#include "tests/support/temp_dir.h"

namespace snx::test {
namespace {

class PrivateSoundServer {
  public:
    PrivateSoundServer() {
        environment_ = "PULSE_RUNTIME_PATH='" + dir_.Path().string() + "' HOME='" +
                       dir_.Path().string() + "' XDG_RUNTIME_DIR='" + dir_.Path().string() + "' ";
        // -D returns once the server is ready, or with an error.
        const std::string start = environment_ +
                                  "pulseaudio -D -n --exit-idle-time=-1 --use-pid-file=yes "
                                  "--disable-shm=yes -L module-null-sink "
                                  "-L module-native-protocol-unix >/dev/null 2>&1";
        started_ = std::system(start.c_str()) == 0;
        if (started_) {
            setenv("PULSE_RUNTIME_PATH", dir_.Path().c_str(), 1);
            setenv("PULSE_SERVER", ("unix:" + (dir_ / "native").string()).c_str(), 1);
        }
    }
    ~PrivateSoundServer() {
        if (started_) {
            unsetenv("PULSE_SERVER");
            unsetenv("PULSE_RUNTIME_PATH");
            std::system((environment_ + "pulseaudio -k >/dev/null 2>&1").c_str());
        }
    }
    bool Started() const { return started_; }

  private:
    TempDir dir_;
    std::string environment_;
    bool started_ = false;
};

TEST(PulseOutput, PlaysTwoSecondsOfTheDemoDiscThroughAPrivateServer) {
    // scripts/setup installs the server, so its absence is a failure, as for every test tool.
    ASSERT_EQ(std::system("command -v pulseaudio >/dev/null 2>&1"), 0)
        << "pulseaudio is missing: scripts/setup installs the package pulseaudio";
    PrivateSoundServer server;
    ASSERT_TRUE(server.Started()) << "a private pulseaudio server could not be started";
    SystemClock clock;
    std::atomic<int> opened{0};
    ImageDrive drive(clock, [&]() -> std::unique_ptr<AudioOutput> {
        std::unique_ptr<AudioOutput> output = PulseOutput::Open();
        opened += output != nullptr;
        return output;
    });
    ASSERT_TRUE(drive.Insert(DemoImage().string()));
    const Lba from = kLeadInFrames + 5 * kFramesPerSecond;
    const Lba to = from + 2 * kFramesPerSecond;
    ASSERT_EQ(drive.Play(from, to), kDeviceOk);

    // Real time has to pass here: the server plays at its own pace.
    const Micros giveUp = clock.Now() + 15'000'000;
    Lba furthest = from;
    DriveStatus status = drive.Status();
    while (status.Mode == CdMode::Playing && clock.Now() < giveUp) {
        clock.WaitUntil(clock.Now() + 20'000, clock.WakeCount());
        status = drive.Status();
        EXPECT_GE(status.Position, furthest);
        furthest = std::max(furthest, status.Position);
        EXPECT_LE(status.Position, to);
    }
    EXPECT_EQ(opened, 1) << "the sound server's output was not used";
    EXPECT_EQ(status.Mode, CdMode::Stopped);
    EXPECT_EQ(status.Position, to);
    EXPECT_GT(furthest, from);
}

}  // namespace
}  // namespace snx::test
