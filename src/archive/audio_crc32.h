// The CRC-32 of a track's audio bytes as careful rippers log it (the polynomial of zip and PNG,
// over the little-endian samples as they lie on the disc).
#pragma once

#include <cstdint>
#include <span>

namespace snx {

class AudioCrc32 {
  public:
    void Add(std::span<const std::int16_t> samples);
    std::uint32_t Value() const { return value_; }

  private:
    std::uint32_t value_ = 0;
};

}  // namespace snx
