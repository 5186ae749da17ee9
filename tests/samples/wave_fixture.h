// A wave device over the CD device of the device fixture, both on its virtual clock; playback
// goes to a counting null output.
#pragma once

#include <atomic>
#include <thread>

#include "samples/sound_wave_backend.h"
#include "samples/wave_device.h"
#include "tests/samples/wave_test_support.h"
#include "tests/support/device_fixture.h"

namespace snx::test {

class CountingOutput final : public NullOutput {
  public:
    CountingOutput(Clock& clock, std::atomic<std::int64_t>& frames)
        : NullOutput(clock), frames_(frames) {}
    bool Write(std::span<const std::int16_t> samples) override {
        frames_ += static_cast<std::int64_t>(samples.size() / 2);
        return NullOutput::Write(samples);
    }

  private:
    std::atomic<std::int64_t>& frames_;
};

class WaveTest : public DeviceTest {
  protected:
    WaveTest() {
        wave.WhileWaiting = [this] { clock.Advance(100'000); };
        wave.SetTickInterval = [this](int milliseconds) { tick = milliseconds; };
    }
    ~WaveTest() override { wave.CloseWave(); }

    std::filesystem::path File(const char* name) { return dir.Path() / name; }
    // Plays the disc range and lets the clock run until the drive has stopped.
    void PlayThrough(Msf from, Msf to) {
        device.PlayRange(from, to);
        for (int i = 0; i < 100000 && device.GetMode() == CdMode::Playing; ++i) {
            clock.Advance(50'000);
            // As real time would, let the recorder keep what the disc played.
            while (backend.RecordingBacklog() > 0) {
                std::this_thread::yield();
            }
        }
    }

    std::atomic<std::int64_t> played{0};
    SoundWaveBackend backend{clock,
                             [this] { return std::make_unique<CountingOutput>(clock, played); }};
    std::uint32_t lastError = 0;
    WaveDevice wave{backend, device, lastError};
    int tick = 1000;
};

}  // namespace snx::test
