// Rate and channel conversion of 16-bit interleaved PCM through libsoxr: the disc's 44100 Hz
// stereo to a recording's format, and a sample's format to the output's 44100 Hz stereo.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct soxr;

namespace snx {

struct SoxrCloser {
    void operator()(soxr* resampler) const;
};

class PcmConverter {
  public:
    // From inRate with inChannels to outRate with outChannels (1 or 2 each). Mono from stereo is
    // the mean of left and right; stereo from mono repeats the one channel.
    PcmConverter(int inRate, int inChannels, int outRate, int outChannels);

    // Appends the converted samples to out. The resampler holds back a few samples, which
    // Flush() gives out at the end.
    void Push(std::span<const std::int16_t> in, std::vector<std::int16_t>& out);
    void Flush(std::vector<std::int16_t>& out);

    // Whether libsoxr can convert from 44100 Hz to this rate.
    static bool CanConvert(int inRate, int outRate);

  private:
    void Resample(const std::int16_t* in, std::size_t frames, std::vector<std::int16_t>& out);

    int inRate_;
    int inChannels_;
    int outRate_;
    int outChannels_;
    std::unique_ptr<soxr, SoxrCloser> resampler_;  // null when the rates are equal
    std::vector<std::int16_t> mixed_;
};

}  // namespace snx
