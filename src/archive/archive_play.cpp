#include "archive/archive_play.h"

#include "player/player_engine.h"

namespace snx {

bool PlayArchive(PlayerEngine& engine, const std::filesystem::path& cueSheet) {
    if (!engine.InsertImage(cueSheet.string())) {
        return false;
    }
    // The disc is taken up at once, so play starts by its record's mode as the handset's would.
    engine.TimerTimer();
    if (engine.State.DiscShown && engine.Device().GetMode() != CdMode::Playing) {
        engine.btnPlayClick();
    }
    return true;
}

}  // namespace snx
