// Names for a disc the catalogue does not know, taken from the CD-Text the disc carries.
#pragma once

#include "catalogue/disc_record.h"
#include "cd/disc_info.h"
#include "store/block_file/string_grid.h"

namespace snx {

// Album title, performer and songwriter become Name, Artist and Composer, and the track titles
// the names in column 0 of tracks; fields the disc leaves empty keep what the record has.
void ApplyCdText(const CdText& text, DiscRecord& record, StringGrid& tracks);

}  // namespace snx
