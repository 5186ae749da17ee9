// An audio output without a sound device: it accepts samples into a short buffer and consumes
// them in real time on its clock, so play, positions and the end of play behave as with a sound
// card. Used where no sound server answers, and by tests on a virtual clock.
#pragma once

#include <cstdint>
#include <span>

#include "audio/audio_output.h"
#include "audio/clock.h"

namespace snx {

// Write and Drain return early when the clock is woken, so a waiting writer can take a request.
class NullOutput : public AudioOutput {
  public:
    explicit NullOutput(Clock& clock, std::int64_t bufferFrames = 4410);

    bool Write(std::span<const std::int16_t> samples) override;
    std::int64_t LatencyFrames() override;
    void Flush() override;
    bool Drain() override;

  private:
    void Advance();
    // The clock time at which `frames` sample pairs will have been consumed.
    Micros TimeWhenConsumed(std::int64_t frames) const;

    Clock& clock_;
    std::int64_t bufferFrames_;
    std::int64_t written_ = 0;
    // Consumption in frame-microseconds, so whole-microsecond clock steps never drift.
    std::int64_t consumedUnits_ = 0;
    Micros lastTime_;
};

}  // namespace snx
