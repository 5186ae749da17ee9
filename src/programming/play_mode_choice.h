// Choosing the play mode: the dialog's buttons, which come in a different order from the mode
// values, and the change itself, which keeps the disc's record in step with the mode.
#pragma once

#include <array>
#include <functional>
#include <optional>

#include "cd/play_mode.h"

namespace snx {

class PlayerEngine;

// The mode dialog's buttons, top to bottom.
enum class ModeButton { Disk, Track, Intro, Shuffle, Custom };

constexpr std::array<ModeButton, 5> kModeButtons = {ModeButton::Disk, ModeButton::Track,
                                                    ModeButton::Intro, ModeButton::Shuffle,
                                                    ModeButton::Custom};

constexpr PlayMode ModeOfButton(ModeButton button) {
    switch (button) {
        case ModeButton::Disk:
            return PlayMode::Disc;
        case ModeButton::Track:
            return PlayMode::Track;
        case ModeButton::Intro:
            return PlayMode::Intro;
        case ModeButton::Shuffle:
            return PlayMode::Shuffle;
        case ModeButton::Custom:
            return PlayMode::Custom;
    }
    return PlayMode::Disc;
}

// The button that stands for mode; Random has none.
constexpr std::optional<ModeButton> ButtonOfMode(PlayMode mode) {
    for (const ModeButton button : kModeButtons) {
        if (ModeOfButton(button) == mode) {
            return button;
        }
    }
    return std::nullopt;
}

constexpr const char* kModeWhilePlaying = "You may only change mode if the CD is not playing.";

// What the dialog gave back: whether it ended with OK, and the button marked then.
struct ModeChoice {
    bool Accepted = false;
    std::optional<ModeButton> Marked;
};
// Shows the dialog modally with marked (or nothing) marked.
using ModeDialog = std::function<ModeChoice(std::optional<ModeButton> marked)>;

// While the disc plays the user is told and no dialog opens. Otherwise OK with a button marked
// sets the mode; OK with none or Cancel keeps it. Whatever the answer, the mode goes into the
// record of the disc the dialog was opened for, stored when that disc is catalogued; a disc
// changed under the dialog keeps its own mode. Returns whether the dialog opened.
bool ChangePlayMode(PlayerEngine& engine, const ModeDialog& dialog);

}  // namespace snx
