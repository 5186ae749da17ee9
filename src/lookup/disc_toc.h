// A disc's table of contents as the public music databases know it, and the ids they look it up
// by: the MusicBrainz disc id, the freedb disc id and the TOC text for fuzzy matches.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cd/cd_types.h"
#include "cd/disc_info.h"

namespace snx {

struct DiscToc {
    int FirstTrack = 1;
    Lba LeadOut = 0;
    std::vector<Lba> Offsets;  // [0] is FirstTrack's start, lead-in of 150 frames included

    int LastTrack() const { return FirstTrack + static_cast<int>(Offsets.size()) - 1; }
    int TrackCount() const { return static_cast<int>(Offsets.size()); }
    bool operator==(const DiscToc&) const = default;
};

// The audio session of a disc: a data track after the audio (an enhanced disc) is left out, and
// the lead-out moved back over the gap between the sessions, as the databases count it.
// Nothing when the disc has no audio track.
std::optional<DiscToc> TocOfDisc(const DiscInfo& disc);

// A table of contents rebuilt from a catalogue record's track lengths, for a record edited
// without its disc: exact for discs whose first track starts at 150 and whose tracks are all
// audio, close enough for the fuzzy matches otherwise.
std::optional<DiscToc> TocOfTrackLengths(std::span<const Msf> lengths);

struct DiscIds {
    std::string MusicBrainz;  // 28 characters of [A-Za-z0-9._-]
    std::string Freedb;       // 8 lower-case hexadecimal digits
    std::string Toc;          // "first last lead-out offsets...", blank-separated
};

// Nothing when the table is not one a disc can have (no track, offsets out of order, more than
// 99 tracks, past the lead-out).
std::optional<DiscIds> ComputeDiscIds(const DiscToc& toc);

}  // namespace snx
