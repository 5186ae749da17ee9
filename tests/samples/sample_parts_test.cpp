#include <gtest/gtest.h>

#include "samples/bookmark.h"
#include "samples/sample_list.h"

namespace snx::test {
namespace {

TEST(Bookmark, FieldsCountFromTrackOneAndReadBackToDiscPositions) {
    const Msf track1 = PackMsf(0, 2, 0);
    EXPECT_EQ(MsfToFrames(PackMsf(1, 2, 3)), 4500 + 150 + 3);
    EXPECT_EQ(FramesToMsf(4653), PackMsf(1, 2, 3));
    EXPECT_EQ(FieldsOfBookmark(PackMsf(0, 12, 5), PackMsf(1, 1, 74), track1),
              (BookmarkFields{{0, 10, 5}, {0, 59, 74}}));
    // A position in the lead-in before track 1 shows as its start.
    EXPECT_EQ(FieldsOfBookmark(PackMsf(0, 1, 0), PackMsf(0, 1, 0), track1).Start,
              (MsfFields{0, 0, 0}));

    Msf start = 0;
    Msf end = 0;
    EXPECT_TRUE(ReadBookmark({{0, 10, 0}, {0, 10, 0}}, track1, start, end));
    EXPECT_EQ(start, PackMsf(0, 12, 0));
    EXPECT_EQ(end, start);
    EXPECT_FALSE(ReadBookmark({{0, 10, 0}, {0, 9, 74}}, track1, start, end));
    EXPECT_EQ(end, PackMsf(0, 11, 74)) << "stored even when refused";
    // Carried over the minute.
    EXPECT_TRUE(ReadBookmark({{0, 59, 0}, {99, 59, 74}}, track1, start, end));
    EXPECT_EQ(start, PackMsf(1, 1, 0));
    EXPECT_EQ(end, PackMsf(100, 1, 74));
}

TEST(SampleListRow, PadsTheIdentityAndTrimsItForTheLookup) {
    DiscRecord record;
    record.Identity = "ABC";
    record.Name = "Name of disc";
    record.SampleAddress = 0;
    const std::string without = SampleListRow(record);
    EXPECT_EQ(without, "ABC             NName of disc");
    EXPECT_FALSE(RowHasSample(without));
    record.SampleAddress = 77;
    const std::string with = SampleListRow(record);
    EXPECT_TRUE(RowHasSample(with));
    EXPECT_EQ(RowIdentity(with), "ABC");
    EXPECT_EQ(RowName(with), "Name of disc");
    EXPECT_EQ(RowIdentity("short"), "short");
    EXPECT_EQ(RowName("0123456789ABCDEF"), "");
}

}  // namespace
}  // namespace snx::test
