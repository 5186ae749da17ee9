#include "programming/programme_edit.h"

#include "player/player_engine.h"

namespace snx {

bool EditProgramme(PlayerEngine& engine, const StringGrid& tracks, ProgrammeFlavour flavour,
                   const ProgrammeDialog& dialog) {
    ProgrammeLists lists(flavour);
    FillProgrammeLists(lists, engine.Record(), tracks);
    const bool accepted = dialog(lists);
    if (accepted) {
        engine.Record().Programme = ProgrammeOf(lists);
    }
    engine.StoreRecordIfCatalogued();
    return accepted;
}

}  // namespace snx
