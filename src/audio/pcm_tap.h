// A listener to the PCM an audio source sends to its output, as it is heard (after the gains).
// Called on the audio thread: an implementation must return at once and never block on I/O.
#pragma once

#include <cstdint>
#include <span>

namespace snx {

class PcmTap {
  public:
    virtual ~PcmTap() = default;
    // 44100 Hz, 16-bit signed, interleaved stereo: the samples just written to the output.
    virtual void TakePcm(std::span<const std::int16_t> samples) = 0;
};

}  // namespace snx
