#include "player/shuffle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace snx {
namespace {

// Every one of the 120 orders of 5 tracks should be equally likely. With 119 degrees of freedom
// the chi-square statistic exceeds 173 with probability below 0.001.
TEST(Shuffle, OrdersOfFiveTracksAreUniform) {
    constexpr int kDraws = 24000;
    std::map<std::vector<std::uint8_t>, int> counts;
    for (std::uint32_t seed = 1; seed <= kDraws; ++seed) {
        std::mt19937 generator(seed);
        ++counts[DrawShuffleOrder(5, generator)];
    }
    ASSERT_EQ(counts.size(), 120u);
    const double expected = kDraws / 120.0;
    double chiSquare = 0;
    for (const auto& [order, count] : counts) {
        std::vector<std::uint8_t> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        ASSERT_EQ(sorted, (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
        chiSquare += (count - expected) * (count - expected) / expected;
    }
    EXPECT_LT(chiSquare, 173.0);
}

TEST(Shuffle, EdgeSizes) {
    std::mt19937 generator(7);
    EXPECT_TRUE(DrawShuffleOrder(0, generator).empty());
    EXPECT_TRUE(DrawShuffleOrder(-3, generator).empty());
    EXPECT_EQ(DrawShuffleOrder(1, generator), std::vector<std::uint8_t>{1});
    EXPECT_EQ(DrawShuffleOrder(99, generator).size(), 99u);
    EXPECT_EQ(DrawShuffleOrder(150, generator).size(), kMaxShuffle);
}

}  // namespace
}  // namespace snx
