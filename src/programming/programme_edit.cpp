#include "programming/programme_edit.h"

#include "player/player_engine.h"

namespace snx {

bool EditProgramme(PlayerEngine& engine, ProgrammeFlavour flavour, const ProgrammeDialog& dialog) {
    CurrentDisc& disc = engine.Disc();
    // The dialog works on the disc it was opened for, whatever the drive holds by its OK.
    const DiscClaim claim = disc.Claim();
    ProgrammeLists lists(flavour);
    FillProgrammeLists(lists, claim.Tables.Record, claim.Tables.Tracks);
    if (!dialog(lists)) {
        return false;
    }
    disc.Store(
        claim,
        [programme = ProgrammeOf(lists)](DiscTables& tables) {
            tables.Record.Programme = programme;
        },
        StoreWhen::Catalogued);
    return true;
}

}  // namespace snx
