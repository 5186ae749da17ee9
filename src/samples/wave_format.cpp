#include "samples/wave_format.h"

#include <algorithm>
#include <cstring>

#include "util/bytes.h"

namespace snx {

WaveHeader WaveHeaderTemplate(const WaveFormat& format) {
    WaveHeader header{};
    std::memcpy(header.data(), "RIFF", 4);
    PutU32(header, 4, 36);
    std::memcpy(header.data() + 8, "WAVEfmt ", 8);
    PutU32(header, 16, 16);
    PutU16(header, 20, 1);
    PutU16(header, 22, static_cast<std::uint16_t>(format.Channels));
    PutU32(header, 24, static_cast<std::uint32_t>(format.Rate));
    PutU32(header, 28, static_cast<std::uint32_t>(format.BytesPerSecond()));
    PutU16(header, 32, static_cast<std::uint16_t>(format.BlockAlign()));
    PutU16(header, 34, static_cast<std::uint16_t>(format.Bits));
    std::memcpy(header.data() + 36, "data", 4);
    PutU32(header, 40, 0);
    return header;
}

std::vector<std::uint8_t> EncodeSamples(const WaveFormat& format,
                                        std::span<const std::int16_t> samples) {
    std::vector<std::uint8_t> bytes;
    if (format.Bits == 8) {
        bytes.resize(samples.size());
        std::transform(samples.begin(), samples.end(), bytes.begin(), [](std::int16_t sample) {
            return static_cast<std::uint8_t>(std::min(255, ((sample + 128) >> 8) + 128));
        });
    } else {
        bytes.resize(samples.size() * 2);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const auto value = static_cast<std::uint16_t>(samples[i]);
            bytes[2 * i] = static_cast<std::uint8_t>(value & 0xFF);
            bytes[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
        }
    }
    return bytes;
}

}  // namespace snx
