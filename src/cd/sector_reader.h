// Reads a disc's audio sectors; opened and used on the reader thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "cd/cd_types.h"

namespace snx {

class SectorReader {
  public:
    virtual ~SectorReader() = default;
    // Fills out (kSamplesPerFrame * 2 samples, little-endian order as on the disc, converted to
    // native integers) with the audio of one sector. False on a read error.
    virtual bool Read(Lba sector, std::span<std::int16_t> out) = 0;
};

using SectorReaderFactory = std::function<std::unique_ptr<SectorReader>()>;

}  // namespace snx
