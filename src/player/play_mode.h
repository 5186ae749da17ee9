// How the player moves through a disc; the engine owns the current mode, the device only reads it
// to decide where a play request ends.
#pragma once

#include <cstdint>

namespace snx {

enum class PlayMode : std::uint8_t {
    Disc = 0,
    Track = 1,
    Random = 2,
    Shuffle = 3,
    Intro = 4,
    Custom = 5
};

}  // namespace snx
