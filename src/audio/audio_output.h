// Where played samples go: the sound server, or a null output that consumes them in real time.
// Every call is made from the audio thread; none is made from the user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace snx {

// The rate every output plays at: CD audio and, after conversion, samples.
constexpr int kAudioSampleRate = 44100;

// 44100 Hz, 16-bit signed, interleaved stereo.
class AudioOutput {
  public:
    virtual ~AudioOutput() = default;
    // Blocks until the samples are accepted, at the pace they are heard. False when the output
    // failed; it is then not used again.
    virtual bool Write(std::span<const std::int16_t> samples) = 0;
    // Sample pairs written but not yet heard.
    virtual std::int64_t LatencyFrames() = 0;
    // Drops what has not been heard yet.
    virtual void Flush() = 0;
    // Blocks until everything written has been heard, or the output failed. False when it
    // returned early so that its caller can take a request; the caller then drains again.
    virtual bool Drain() = 0;
};

// Opens an output; nullptr when none can be opened (no sound server).
using AudioOutputFactory = std::function<std::unique_ptr<AudioOutput>()>;

}  // namespace snx
