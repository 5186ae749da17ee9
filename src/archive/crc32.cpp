#include "archive/crc32.h"

#include <array>

namespace snx {

namespace {

constexpr std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[i] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

}  // namespace

void Crc32::Add(std::span<const std::int16_t> samples) {
    std::uint32_t c = state_;
    for (const std::int16_t sample : samples) {
        const auto value = static_cast<std::uint16_t>(sample);
        c = kTable[(c ^ value) & 0xFF] ^ (c >> 8);
        c = kTable[(c ^ (value >> 8)) & 0xFF] ^ (c >> 8);
    }
    state_ = c;
}

}  // namespace snx
