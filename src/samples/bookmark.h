// The bookmark as the adjust dialog shows it: minutes, seconds and frames of each end, counted
// from the start of track 1, and the way back to absolute disc positions.
#pragma once

#include <array>
#include <cstdint>

#include "util/min_sec.h"

namespace snx {

constexpr std::int32_t MsfToFrames(Msf msf) {
    return static_cast<std::int32_t>(MsfMinutes(msf) * 4500 + MsfSeconds(msf) * 75 +
                                     MsfFrames(msf));
}

// A negative count is the start of the disc; minutes past 255 stay at 255.
constexpr Msf FramesToMsf(std::int32_t frames) {
    if (frames < 0) {
        return 0;
    }
    const auto n = static_cast<unsigned>(frames);
    const unsigned minutes = n / 4500 > 255 ? 255 : n / 4500;
    return PackMsf(minutes, (n % 4500) / 75, n % 75);
}

// Minutes, seconds, frames of one end.
using MsfFields = std::array<int, 3>;

struct BookmarkFields {
    MsfFields Start{};
    MsfFields End{};
    bool operator==(const BookmarkFields&) const = default;
};

// The fields for the bookmark: each end relative to track1 (the start of track 1), an end
// before it showing as 00:00:00 and minutes past what two digits hold as 99.
BookmarkFields FieldsOfBookmark(Msf start, Msf end, Msf track1);

// Both ends back from the fields, stored even when the bookmark is not valid. Valid when the
// end is not before the start.
bool ReadBookmark(const BookmarkFields& fields, Msf track1, Msf& start, Msf& end);

}  // namespace snx
