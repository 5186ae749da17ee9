// The PCM formats a sample is recorded in, the empty WAVE file that declares one, and the
// conversion of samples to the bytes of a WAVE data chunk.
//
// WaveHeaderTemplate, little-endian:
// OFFSET SIZE CONTENT
// 0      4    "RIFF"
// 4      4    36, the RIFF length with an empty data chunk
// 8      8    "WAVEfmt "
// 16     4    16, the format chunk's length
// 20     2    1, PCM
// 22     2    channels (1 or 2)
// 24     4    samples per second
// 28     4    bytes per second = rate * channels * (bits / 8)
// 32     2    block alignment = channels * (bits / 8)
// 34     2    bits per sample (8 or 16)
// 36     4    "data"
// 40     4    0, the data length
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace snx {

struct WaveFormat {
    int Rate = 11025;
    int Bits = 8;  // 8: unsigned samples; 16: signed
    int Channels = 1;

    int BlockAlign() const { return Channels * (Bits / 8); }
    int BytesPerSecond() const { return Rate * BlockAlign(); }
    bool operator==(const WaveFormat&) const = default;
};

// The rates the recording dialog offers, in its order.
constexpr std::array<int, 6> kRecordRates = {4000, 5510, 8000, 11025, 22050, 44100};

constexpr std::size_t kWaveHeaderSize = 44;
using WaveHeader = std::array<std::uint8_t, kWaveHeaderSize>;
static_assert(sizeof(WaveHeader) == 44);

WaveHeader WaveHeaderTemplate(const WaveFormat& format);

// Interleaved 16-bit samples as the data chunk holds them: little-endian 16-bit, or 8-bit
// unsigned rounded to the nearest step.
std::vector<std::uint8_t> EncodeSamples(const WaveFormat& format,
                                        std::span<const std::int16_t> samples);

}  // namespace snx
