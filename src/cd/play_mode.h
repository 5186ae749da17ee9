// How the player moves through a disc; the engine owns the current mode, the device only reads it
// to decide where a play request ends.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace snx {

enum class PlayMode : std::uint8_t {
    Disc = 0,
    Track = 1,
    Random = 2,
    Shuffle = 3,
    Intro = 4,
    Custom = 5
};

// The names the handset shows, indexed by the mode's value.
constexpr std::array<std::string_view, 6> kPlayModeNames = {"Disc",    "Track", "Random",
                                                            "Shuffle", "Intro", "Custom"};

// A stored mode value; anything outside the enumeration is taken as Disc.
constexpr PlayMode PlayModeFromValue(int value) {
    return value >= 0 && value <= 5 ? static_cast<PlayMode>(value) : PlayMode::Disc;
}

constexpr std::string_view PlayModeName(PlayMode mode) {
    return kPlayModeNames[static_cast<std::size_t>(mode)];
}

// The mode as both handsets' mode lines show it.
inline std::string PlayModeLine(PlayMode mode) {
    return "Mode: " + std::string(PlayModeName(mode));
}

}  // namespace snx
