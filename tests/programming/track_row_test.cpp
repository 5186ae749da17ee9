// Track rows: built from a record and its track grid, read back by position only.
#include "programming/track_row.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "catalogue/disc_record.h"
#include "store/block_file/string_grid.h"

namespace snx {
namespace {

TEST(TrackRow, ColumnsHoldNumberTimeAndNameAndReadBack) {
    const std::string row = TrackRow(7, PackMsf(3, 45, 12), "Allegro");
    EXPECT_EQ(row, " 703.45Allegro");
    EXPECT_EQ(RowTrackNumber(row), 7);
    EXPECT_DOUBLE_EQ(RowTime(row).value_or(-1), 3.45);
    EXPECT_EQ(RowName(row), "Allegro");

    EXPECT_EQ(TrackRow(12, PackMsf(0, 7, 0), "x"), "1200.07x");
    EXPECT_EQ(RowTrackNumber("1200.07x"), 12);
    EXPECT_DOUBLE_EQ(RowTime("1200.07x").value_or(-1), 0.07);
}

TEST(TrackRow, UnnamedTrackStillHasNumberAndTime) {
    const std::string row = TrackRow(5, PackMsf(4, 2, 0), "");
    EXPECT_EQ(row, " 504.02");
    EXPECT_EQ(RowTrackNumber(row), 5);
    EXPECT_DOUBLE_EQ(RowTime(row).value_or(-1), 4.02);
    EXPECT_TRUE(RowName(row).empty());
}

TEST(TrackRow, DamagedLengthKeepsTheNameInItsColumn) {
    // 150 minutes cannot be on a disc, but a damaged record may say so.
    const std::string row = TrackRow(3, PackMsf(150, 0, 0), "Name");
    EXPECT_EQ(row.substr(kRowNameStart), "Name");
    EXPECT_DOUBLE_EQ(RowTime(row).value_or(-1), 99.59);
}

TEST(TrackRow, TextThatIsNoRowHasNoNumberAndNoTime) {
    for (const std::string_view text : {"", " ", "ab03.45", "x7", "-"}) {
        EXPECT_EQ(RowTrackNumber(text), 0) << text;
    }
    for (const std::string_view text : {"", " 7", " 7ab.cd", " 7 3.4x", " 71e200"}) {
        EXPECT_EQ(RowTime(text), std::nullopt) << text;
    }
}

TEST(TrackRow, DiscRowsComeInTrackOrderAndSortAsTextByNumber) {
    DiscRecord record;
    StringGrid tracks(3, 100);
    for (int track = 1; track <= 12; ++track) {
        record.TrackLengths[static_cast<std::size_t>(track - 1)] = PackMsf(track, 30, 0);
        if (track % 2 == 1) {
            tracks.SetCell(0, track, "Song " + std::to_string(track));
        }
    }
    std::vector<std::string> rows = TrackRows(12, record, tracks);
    ASSERT_EQ(rows.size(), 12u);
    for (int track = 1; track <= 12; ++track) {
        const std::string& row = rows[static_cast<std::size_t>(track - 1)];
        EXPECT_EQ(RowTrackNumber(row), track);
        EXPECT_DOUBLE_EQ(RowTime(row).value_or(-1), track + 0.30);
        EXPECT_EQ(RowName(row), track % 2 == 1 ? "Song " + std::to_string(track) : "");
    }

    // The right-aligned number makes text order the track order (9 before 10).
    std::vector<std::string> shuffled = rows;
    std::mt19937 generator(7);
    std::shuffle(shuffled.begin(), shuffled.end(), generator);
    std::sort(shuffled.begin(), shuffled.end());
    EXPECT_EQ(shuffled, rows);

    // A track count beyond the record's table lists only the tracks it can hold.
    EXPECT_EQ(TrackRows(120, record, tracks).size(), static_cast<std::size_t>(kMaxTracks));
    EXPECT_TRUE(TrackRows(-1, record, tracks).empty());
}

}  // namespace
}  // namespace snx
