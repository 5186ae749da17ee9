// The wave device's device layer: WAVE files through libsndfile, recording through a
// DiscRecorder on the disc stream, playback on its own thread through the audio outputs the CD
// uses, converted by libsoxr to the output's 44100 Hz stereo.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/audio_output.h"
#include "audio/clock.h"
#include "samples/disc_recorder.h"
#include "samples/wave_device.h"

namespace snx {

class SoundWaveBackend final : public WaveBackend {
  public:
    // outputFactory is called on the playback thread; when it gives nothing, or the output
    // fails, a NullOutput on the clock keeps time instead.
    SoundWaveBackend(Clock& clock, AudioOutputFactory outputFactory);
    ~SoundWaveBackend() override;

    std::uint32_t Load(const std::string& fileName) override;
    void Unload() override;
    WaveFormat Format() const override { return format_; }
    bool CanPlay() const override { return true; }
    bool CanConvertTo(int rate) const override;
    std::shared_ptr<PcmTap> StartRecording() override;
    std::uint32_t Stop() override;
    std::uint32_t Save(const std::string& fileName) override;
    std::uint32_t Play(std::int64_t fromMilliseconds) override;
    bool PlayFinished() override;
    std::int64_t LengthMilliseconds() const override;
    std::int64_t PositionMilliseconds() override;

    // Disc blocks the running recording has taken but not yet kept; 0 when none runs.
    std::size_t RecordingBacklog() const { return recorder_ ? recorder_->Backlog() : 0; }
    // The element's samples, interleaved (for tests and tools).
    const std::vector<std::int16_t>& Samples() const { return samples_; }

  private:
    void PlayLoop(std::int64_t fromFrame);
    std::int64_t Frames() const;
    void StopPlayback();

    Clock& clock_;
    AudioOutputFactory outputFactory_;
    WaveFormat format_;
    std::vector<std::int16_t> samples_;  // read by the playback thread only while it runs
    std::shared_ptr<DiscRecorder> recorder_;

    std::thread player_;
    std::atomic<bool> quit_{false};
    std::atomic<bool> finished_{true};
    std::int64_t playFrom_ = 0;  // element frames
    // Published by the playback thread: output frames heard, at the element's position.
    std::mutex positionMutex_;
    std::int64_t heardFrames_ = 0;
};

}  // namespace snx
