#include "player/volume_control.h"

#include <gtest/gtest.h>

namespace snx {
namespace {

struct Volumes {
    std::int32_t Left = 30000;
    std::int32_t Right = 30000;
    int Changes = 0;
    VolumeControl Control{Left, Right, [this] { ++Changes; }};
};

TEST(VolumeZones, FirstZoneInOrderTakesSharedPoints) {
    EXPECT_EQ(VolumeZoneAt(6, 7), VolumeArrow::Left);
    EXPECT_EQ(VolumeZoneAt(7, 7), VolumeArrow::Up);
    EXPECT_EQ(VolumeZoneAt(14, 14), VolumeArrow::Middle);
    EXPECT_EQ(VolumeZoneAt(14, 10), VolumeArrow::Middle);
    EXPECT_EQ(VolumeZoneAt(14, 9), VolumeArrow::Up);
    EXPECT_EQ(VolumeZoneAt(14, 27), VolumeArrow::Down);
    EXPECT_EQ(VolumeZoneAt(27, 14), VolumeArrow::Right);
    // Corners lie outside every diamond.
    EXPECT_EQ(VolumeZoneAt(0, 0), std::nullopt);
    EXPECT_EQ(VolumeZoneAt(29, 29), std::nullopt);
    EXPECT_EQ(VolumeZoneAt(1, 1), std::nullopt);
}

TEST(VolumeControl, MiddleEqualisesOnceAndDoesNotRepeat) {
    Volumes v;
    v.Left = 40000;
    v.Right = 1000;
    v.Control.Press(14, 14);
    EXPECT_EQ(v.Right, 40000);
    EXPECT_TRUE(v.Control.Held(VolumeArrow::Middle));
    v.Left = 5000;
    v.Control.Repeat();
    EXPECT_EQ(v.Right, 40000);
    EXPECT_EQ(v.Changes, 1);
}

TEST(VolumeControl, HoldingUpStopsAtTheTopAndDownAtZero) {
    Volumes v;
    v.Left = 65000;
    v.Right = 64000;
    v.Control.Press(14, 3);
    EXPECT_EQ(v.Left, 65535);
    EXPECT_EQ(v.Right, 64653);
    for (int i = 0; i < 5; ++i) {
        v.Control.Repeat();
    }
    EXPECT_EQ(v.Left, 65535);
    EXPECT_EQ(v.Right, 65535);
    v.Control.Release();
    v.Control.Repeat();
    EXPECT_EQ(v.Changes, 6);

    v.Left = 700;
    v.Right = 100;
    v.Control.Press(14, 25);
    EXPECT_EQ(v.Left, 47);
    EXPECT_EQ(v.Right, 0);
    v.Control.Repeat();
    EXPECT_EQ(v.Left, 0);
}

TEST(VolumeControl, SideArrowsRaiseOneChannelAndMissesChangeNothing) {
    Volumes v;
    v.Control.Press(3, 14);
    EXPECT_EQ(v.Left, 30653);
    EXPECT_EQ(v.Right, 30000);
    v.Control.Release();
    v.Control.Press(25, 14);
    EXPECT_EQ(v.Left, 30653);
    EXPECT_EQ(v.Right, 30653);
    v.Control.Release();
    v.Control.Press(0, 0);
    v.Control.Repeat();
    EXPECT_EQ(v.Changes, 2);
    EXPECT_EQ(v.Control.HeldArrows(), (std::array<bool, 5>{}));
}

}  // namespace
}  // namespace snx
