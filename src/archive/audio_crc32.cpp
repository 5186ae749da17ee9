#include "archive/audio_crc32.h"

#include <algorithm>
#include <array>
#include <bit>

#include "util/crc32.h"

namespace snx {

void AudioCrc32::Add(std::span<const std::int16_t> samples) {
    if constexpr (std::endian::native == std::endian::little) {
        value_ = Crc32Extend(
            value_, {reinterpret_cast<const std::uint8_t*>(samples.data()), samples.size_bytes()});
        return;
    }
    // The samples' little-endian bytes, a block at a time.
    std::array<std::uint8_t, 4096> bytes{};
    while (!samples.empty()) {
        const std::size_t count = std::min(samples.size(), bytes.size() / 2);
        for (std::size_t i = 0; i < count; ++i) {
            const auto value = static_cast<std::uint16_t>(samples[i]);
            bytes[2 * i] = static_cast<std::uint8_t>(value);
            bytes[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
        }
        value_ = Crc32Extend(value_, std::span(bytes).first(2 * count));
        samples = samples.subspan(count);
    }
}

}  // namespace snx
