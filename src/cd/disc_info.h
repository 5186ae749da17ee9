// What a drive knows about the disc in it: the table of contents, the CD-Text, and the disc
// identity computed from them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cd/cd_types.h"

namespace snx {

struct TocTrack {
    Lba Start = 0;
    bool Audio = true;
};

struct CdText {
    std::string Title;
    std::string Performer;
    std::string Songwriter;
    std::vector<std::string> TrackTitles;  // [0] is track 1; may be shorter than the track list

    bool Empty() const;
};

struct DiscInfo {
    std::vector<TocTrack> Tracks;  // [0] is track 1
    Lba LeadOut = 0;
    CdText Text;

    int TrackCount() const { return static_cast<int>(Tracks.size()); }
    // Requires: 1 <= track <= TrackCount().
    Lba TrackStart(int track) const { return Tracks[static_cast<std::size_t>(track - 1)].Start; }
    Lba TrackEnd(int track) const;
    // The track holding the position: the last one starting at or before it, at least 1.
    int TrackAt(Lba position) const;
};

// The media identity as the platform's CD audio driver computes it: the sum of every track's
// start as minutes x 65536 + seconds x 256 + frames, plus, on discs of fewer than 3 tracks, the
// frames of track 1's start and the disc's length in frames; 32-bit unsigned arithmetic.
std::uint32_t MediaIdentity(const DiscInfo& disc);

// The identity of the disc as GetDiscIdentity shows it: 16 upper-case hexadecimal digits.
std::string DiscIdentity(const DiscInfo& disc);

// The disc's playing time in whole seconds, from the start of its first track to the end of its
// last: frames are dropped from each time before the arithmetic.
MinSec DiscPlayingTime(Msf firstStart, Msf lastStart, Msf lastLength);

// The identity text of 16 upper-case hexadecimal digits made from the decimal media identity.
// Throws std::invalid_argument when the text is not a signed 32-bit decimal integer.
std::string FormatDiscIdentity(std::string_view decimalIdentity);

}  // namespace snx
