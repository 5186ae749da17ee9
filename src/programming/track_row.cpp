#include "programming/track_row.h"

#include <algorithm>
#include <charconv>

#include "catalogue/disc_record.h"
#include "store/block_file/string_grid.h"
#include "util/text.h"

namespace snx {

namespace {

// A damaged record can hold lengths past 99 minutes, whose six characters would push the name
// out of its column; such lengths show as the longest time that fits.
constexpr MinSec kLongestRowTime = 99.59;

std::string_view Field(std::string_view row, std::size_t start, std::size_t width) {
    if (start >= row.size()) {
        return {};
    }
    return TrimBlanks(row.substr(start, width));
}

}  // namespace

std::string TrackRow(int track, Msf length, std::string_view name) {
    std::string row = FormatNumber(static_cast<int>(kRowNumberWidth), std::clamp(track, 0, 99));
    row += FormatMinSec(std::min(MsfToMinSec(length), kLongestRowTime));
    row += name;
    return row;
}

std::vector<std::string> TrackRows(int trackCount, const DiscRecord& record,
                                   const StringGrid& tracks) {
    const int count = std::clamp(trackCount, 0, static_cast<int>(record.TrackLengths.size()));
    std::vector<std::string> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (int track = 1; track <= count; ++track) {
        rows.push_back(TrackRow(track, record.TrackLengths[static_cast<std::size_t>(track - 1)],
                                tracks.Cell(0, track)));
    }
    return rows;
}

int RowTrackNumber(std::string_view row) {
    const std::string_view digits = Field(row, 0, kRowNumberWidth);
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && end == digits.data() + digits.size() ? value : 0;
}

std::optional<MinSec> RowTime(std::string_view row) {
    return ParseMinSec(Field(row, kRowNumberWidth, kRowTimeWidth));
}

std::string_view RowName(std::string_view row) {
    return row.size() > kRowNameStart ? row.substr(kRowNameStart) : std::string_view();
}

}  // namespace snx
