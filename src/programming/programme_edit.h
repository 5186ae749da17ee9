// Building the disc's custom programme from the main handset: the lists filled from the disc's
// record, the dialog, and the record kept in step with its answer.
#pragma once

#include <functional>

#include "programming/programme_lists.h"

namespace snx {

class PlayerEngine;

// Shows the dialog modally over the filled lists; true for OK.
using ProgrammeDialog = std::function<bool(ProgrammeLists& lists)>;

// OK replaces the programme of the disc the dialog was opened for by the play list (its first
// 100 rows), stored when that disc is catalogued; Cancel keeps it. Returns whether OK was chosen.
bool EditProgramme(PlayerEngine& engine, ProgrammeFlavour flavour, const ProgrammeDialog& dialog);

}  // namespace snx
