#include "player/shuffle.h"

namespace snx {

std::vector<std::uint8_t> DrawShuffleOrder(int trackCount, std::mt19937& generator) {
    std::vector<std::uint8_t> pool;
    for (int track = 1; track <= trackCount && track <= 255; ++track) {
        pool.push_back(static_cast<std::uint8_t>(track));
    }
    std::vector<std::uint8_t> order;
    while (pool.size() > 1) {
        std::uniform_int_distribution<std::size_t> draw(0, pool.size() - 1);
        const auto k = static_cast<std::ptrdiff_t>(draw(generator));
        if (order.size() < kMaxShuffle) {
            order.push_back(pool[static_cast<std::size_t>(k)]);
        }
        pool.erase(pool.begin() + k);
    }
    if (!pool.empty() && order.size() < kMaxShuffle) {
        order.push_back(pool.front());
    }
    return order;
}

}  // namespace snx
