// A CD device over the virtual drive on a virtual clock, with images made on demand.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <vector>

#include "audio/null_output.h"
#include "cd/cd_device.h"
#include "cd/system_drives.h"
#include "tests/support/image_generator.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/temp_dir.h"
#include "tests/support/virtual_clock.h"

namespace snx::test {

// The left sample of the first pair of every sector written, after the gains.
struct Capture {
    std::mutex Mutex;
    std::vector<std::int16_t> Left;
    std::vector<std::int16_t> Right;

    std::size_t Sectors() {
        std::lock_guard lock(Mutex);
        return Left.size();
    }
};

class CapturingOutput final : public NullOutput {
  public:
    CapturingOutput(Clock& clock, Capture& capture) : NullOutput(clock), capture_(capture) {}
    bool Write(std::span<const std::int16_t> samples) override {
        {
            std::lock_guard lock(capture_.Mutex);
            capture_.Left.push_back(samples[0]);
            capture_.Right.push_back(samples[1]);
        }
        return NullOutput::Write(samples);
    }

  private:
    Capture& capture_;
};

class DeviceTest : public ::testing::Test {
  protected:
    // Makes an image of the tracks, puts it in the virtual drive and opens the device on it.
    void Insert(const std::vector<TestTrack>& tracks, const TestDiscText& text = {}) {
        ASSERT_TRUE(drives.VirtualDrive().Insert(GenerateImage(dir.Path(), "disc", tracks, text)));
        device.OpenDrive(drives.VirtualDriveIndex());
        ASSERT_TRUE(device.IsOpen());
    }
    Lba Position() { return MsfToLba(device.GetPosition()); }
    Msf Start(int track) { return device.TrackStart[static_cast<std::size_t>(track)]; }

    TempDir dir;
    VirtualClock clock;
    ScriptedMessages messages;
    Capture capture;
    SystemDrives drives{
        {}, clock, [this] { return std::make_unique<CapturingOutput>(clock, capture); }};
    CdDevice device{drives};
};

}  // namespace snx::test
