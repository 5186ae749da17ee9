// Writes a disc image as a BIN/CUE pair: one .bin of raw 2352-byte sectors (little-endian 16-bit
// samples, left then right) and a .cue describing its tracks and CD-Text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace snx {

struct CueTrack {
    std::int64_t Sectors = 0;
    bool Audio = true;  // a data track is written as zeroed MODE1/2352 sectors
    std::string Title;
    std::string Performer;
    // Fills one sector (588 stereo sample pairs) of an audio track; sector counts from 0 at
    // the track's start.
    std::function<void(std::int64_t sector, std::span<std::int16_t> samples)> Fill;
};

struct CueDisc {
    std::string Title;
    std::string Performer;
    std::string Songwriter;
    std::vector<CueTrack> Tracks;
};

// Writes cuePath and the .bin beside it with the same base name, each replaced whole. Throws
// FileWriteError.
void WriteCueImage(const std::filesystem::path& cuePath, const CueDisc& disc);

}  // namespace snx
