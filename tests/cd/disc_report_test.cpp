#include "cd/disc_report.h"

#include <gtest/gtest.h>

namespace snx {
namespace {

TEST(DiscReport, ListsTracksTimeIdentityAndText) {
    DiscInfo disc;
    disc.Tracks = {{150, true}, {MsfToLba(PackMsf(3, 10, 20)), false}};
    disc.LeadOut = MsfToLba(PackMsf(6, 0, 0));
    disc.Text.Title = "Album";
    disc.Text.TrackTitles = {"One", ""};
    EXPECT_EQ(DescribeDisc(disc),
              "Track  Start     Length    Type\n"
              "    1  00:02:00  03:08:20  audio\n"
              "    2  03:10:20  02:49:55  data\n"
              "Total time: 05.57\n"
              "Identity: 00000000000374F6\n"
              "Title: Album\n"
              "Track 1: One\n");
}

}  // namespace
}  // namespace snx
