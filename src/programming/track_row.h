// The one-line text of a track that every track list shares: number in characters 1-2, time in
// 3-7, name from 8. Lists read rows back by position only, so the columns never move.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/min_sec.h"

namespace snx {

class StringGrid;
struct DiscRecord;

constexpr std::size_t kRowNumberWidth = 2;
constexpr std::size_t kRowTimeWidth = 5;
constexpr std::size_t kRowNameStart = kRowNumberWidth + kRowTimeWidth;

// length is MSF-packed; name is the track's stored text, kept as it is.
std::string TrackRow(int track, Msf length, std::string_view name);

// The rows of tracks 1 to trackCount: lengths from the record, names from column 0 of the grid.
std::vector<std::string> TrackRows(int trackCount, const DiscRecord& record,
                                   const StringGrid& tracks);

// The track number of characters 1-2 (a leading blank allowed); 0 when they hold none.
int RowTrackNumber(std::string_view row);
// The time of characters 3-7; none when they hold no time.
std::optional<MinSec> RowTime(std::string_view row);
// Characters 8 onward.
std::string_view RowName(std::string_view row);

}  // namespace snx
