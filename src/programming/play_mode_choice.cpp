#include "programming/play_mode_choice.h"

#include "player/player_engine.h"
#include "util/user_messages.h"

namespace snx {

bool ChangePlayMode(PlayerEngine& engine, const ModeDialog& dialog) {
    if (engine.Device().GetMode() == CdMode::Playing) {
        ShowError(kModeWhilePlaying);
        return false;
    }
    const ModeChoice choice = dialog(ButtonOfMode(engine.State.Mode));
    if (choice.Accepted && choice.Marked) {
        engine.SetPlayMode(ModeOfButton(*choice.Marked));
    }
    engine.Record().SavedPlayMode = static_cast<std::int16_t>(engine.State.Mode);
    engine.StoreRecordIfCatalogued();
    return true;
}

}  // namespace snx
