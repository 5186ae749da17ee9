#include "cd/disc_info.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace snx {
namespace {

DiscInfo Disc(std::initializer_list<Msf> starts, Msf leadOut) {
    DiscInfo disc;
    for (const Msf start : starts) {
        disc.Tracks.push_back({MsfToLba(start), true});
    }
    disc.LeadOut = MsfToLba(leadOut);
    return disc;
}

std::string Identity(const DiscInfo& disc) {
    return DiscIdentity(disc);
}

TEST(DiscIdentity, TwoTracksAddTheFirstFramesAndTheDiscLength) {
    const DiscInfo disc = Disc({PackMsf(0, 2, 0), PackMsf(3, 10, 20)}, PackMsf(6, 0, 0));
    EXPECT_EQ(MediaIdentity(disc), 226550u);
    EXPECT_EQ(Identity(disc), "00000000000374F6");
}

TEST(DiscIdentity, ThreeTracksAreTheSumOfTheStartsOnly) {
    // 512 + 262144 + (524288 + 7680 + 15)
    const DiscInfo disc =
        Disc({PackMsf(0, 2, 0), PackMsf(4, 0, 0), PackMsf(8, 30, 15)}, PackMsf(12, 0, 0));
    EXPECT_EQ(MediaIdentity(disc), 794639u);
    EXPECT_EQ(Identity(disc), "00000000000C200F");
}

TEST(DiscIdentity, OneTrackAddsItsLengthInFrames) {
    // 512 + 0 + (202500 - 150)
    EXPECT_EQ(Identity(Disc({PackMsf(0, 2, 0)}, PackMsf(45, 0, 0))), "000000000003186E");
    // A start with frames counts them twice: 545 + 33 + (2410 - 183)
    EXPECT_EQ(Identity(Disc({PackMsf(0, 2, 33)}, PackMsf(0, 32, 10))), "0000000000000AF5");
}

TEST(DiscIdentity, TextIsReadAsASigned32BitNumber) {
    EXPECT_EQ(FormatDiscIdentity("-1"), "00000000FFFFFFFF");
    EXPECT_EQ(FormatDiscIdentity("2147483647"), "000000007FFFFFFF");
    EXPECT_THROW(FormatDiscIdentity(""), std::invalid_argument);
    EXPECT_THROW(FormatDiscIdentity("12x"), std::invalid_argument);
    EXPECT_THROW(FormatDiscIdentity("2147483648"), std::invalid_argument);
}

TEST(DiscInfo, TrackAtAndTrackEnd) {
    const DiscInfo disc =
        Disc({PackMsf(0, 2, 0), PackMsf(4, 0, 0), PackMsf(8, 30, 15)}, PackMsf(12, 0, 0));
    EXPECT_EQ(disc.TrackAt(0), 1);
    EXPECT_EQ(disc.TrackAt(MsfToLba(PackMsf(3, 59, 74))), 1);
    EXPECT_EQ(disc.TrackAt(MsfToLba(PackMsf(4, 0, 0))), 2);
    EXPECT_EQ(disc.TrackAt(MsfToLba(PackMsf(20, 0, 0))), 3);
    EXPECT_EQ(disc.TrackEnd(2), MsfToLba(PackMsf(8, 30, 15)));
    EXPECT_EQ(disc.TrackEnd(3), MsfToLba(PackMsf(12, 0, 0)));
}

}  // namespace
}  // namespace snx
