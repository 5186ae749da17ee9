#include "audio/null_output.h"

#include <algorithm>

namespace snx {

namespace {

constexpr std::int64_t kUnitsPerFrame = 1'000'000;

}  // namespace

NullOutput::NullOutput(Clock& clock, std::int64_t bufferFrames)
    : clock_(clock), bufferFrames_(bufferFrames), lastTime_(clock.Now()) {}

void NullOutput::Advance() {
    const Micros now = clock_.Now();
    const std::int64_t limit = written_ * kUnitsPerFrame;
    if (consumedUnits_ < limit && now > lastTime_) {
        consumedUnits_ = std::min(limit, consumedUnits_ + (now - lastTime_) * kAudioSampleRate);
    }
    lastTime_ = std::max(lastTime_, now);
}

Micros NullOutput::TimeWhenConsumed(std::int64_t frames) const {
    const std::int64_t missing = frames * kUnitsPerFrame - consumedUnits_;
    return lastTime_ + (missing + kAudioSampleRate - 1) / kAudioSampleRate;
}

bool NullOutput::Write(std::span<const std::int16_t> samples) {
    const auto frames = static_cast<std::int64_t>(samples.size() / 2);
    // A wake means a request for the writer (stop, quit): take the samples at once, so it can
    // act on it; the latency still tells how much is waiting.
    const std::uint64_t seen = clock_.WakeCount();
    for (;;) {
        Advance();
        const std::int64_t consumed = consumedUnits_ / kUnitsPerFrame;
        if (written_ + frames - consumed <= bufferFrames_ || written_ == consumed ||
            clock_.WakeCount() != seen) {
            break;
        }
        clock_.WaitUntil(TimeWhenConsumed(written_ + frames - bufferFrames_), seen);
    }
    written_ += frames;
    return true;
}

std::int64_t NullOutput::LatencyFrames() {
    Advance();
    return written_ - consumedUnits_ / kUnitsPerFrame;
}

void NullOutput::Flush() {
    Advance();
    consumedUnits_ = written_ * kUnitsPerFrame;
}

bool NullOutput::Drain() {
    const std::uint64_t seen = clock_.WakeCount();
    for (;;) {
        Advance();
        if (consumedUnits_ >= written_ * kUnitsPerFrame) {
            return true;
        }
        if (clock_.WakeCount() != seen) {
            return false;
        }
        clock_.WaitUntil(TimeWhenConsumed(written_), seen);
    }
}

}  // namespace snx
