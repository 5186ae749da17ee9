// The CRC-32 of a track's audio bytes as careful rippers log it (the polynomial of zip and PNG,
// over the little-endian samples as they lie on the disc).
#pragma once

#include <cstdint>
#include <span>

namespace snx {

class Crc32 {
  public:
    void Add(std::span<const std::int16_t> samples);
    std::uint32_t Value() const { return ~state_; }

  private:
    std::uint32_t state_ = 0xFFFFFFFFu;
};

}  // namespace snx
