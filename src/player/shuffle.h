// The order of play in Shuffle mode: every track once, each remaining track equally likely at
// each draw.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace snx {

constexpr std::size_t kMaxShuffle = 100;

// Tracks 1..trackCount (none when it is not positive) in a uniformly drawn order, at most
// kMaxShuffle entries.
std::vector<std::uint8_t> DrawShuffleOrder(int trackCount, std::mt19937& generator);

}  // namespace snx
