#include "programming/play_mode_choice.h"

#include "player/player_engine.h"
#include "util/user_messages.h"

namespace snx {

bool ChangePlayMode(PlayerEngine& engine, const ModeDialog& dialog) {
    if (engine.Device().GetMode() == CdMode::Playing) {
        ShowError(kModeWhilePlaying);
        return false;
    }
    CurrentDisc& disc = engine.Disc();
    const DiscClaim claim = disc.Claim();
    PlayMode mode = engine.State.Mode;
    const ModeChoice choice = dialog(ButtonOfMode(mode));
    if (choice.Accepted && choice.Marked) {
        mode = ModeOfButton(*choice.Marked);
    }
    // Another disc in the drive by now keeps its own mode; the choice goes to the disc the
    // dialog was opened for.
    if (disc.Holds(claim)) {
        engine.SetPlayMode(mode);
    }
    disc.Store(
        claim,
        [mode](DiscTables& tables) {
            tables.Record.SavedPlayMode = static_cast<std::int16_t>(mode);
        },
        StoreWhen::Catalogued);
    return true;
}

}  // namespace snx
