// Audio output through the desktop's sound server (libpulse's simple API).
#pragma once

#include <memory>

#include "audio/audio_output.h"

struct pa_simple;

namespace snx {
struct PulseStreamCloser {
    void operator()(pa_simple* stream) const;
};
}  // namespace snx

namespace snx {

class PulseOutput final : public AudioOutput {
  public:
    // Connects to the sound server; null when none answers. Blocks: call it off the UI thread.
    static std::unique_ptr<PulseOutput> Open();
    explicit PulseOutput(std::unique_ptr<pa_simple, PulseStreamCloser> stream)
        : stream_(std::move(stream)) {}

    bool Write(std::span<const std::int16_t> samples) override;
    std::int64_t LatencyFrames() override;
    void Flush() override;
    bool Drain() override;

  private:
    std::unique_ptr<pa_simple, PulseStreamCloser> stream_;
};

// The sound server when it answers; DiscPlayer falls back to a null output otherwise.
AudioOutputFactory SoundServerOutputFactory();

}  // namespace snx
