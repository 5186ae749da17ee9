// Packs the catalogue: copies every live record, with fresh keys and its four block-file items,
// into a new set of files, and only then puts the new set in place of the old one.
#pragma once

#include <functional>
#include <string_view>

#include "catalogue/catalogue_swap.h"
#include "catalogue/disc_catalogue.h"

namespace snx {

struct RebuildHooks {
    std::function<void(int percent)> Progress;  // 0..100
    SwapCheckpoint Checkpoint;                  // tests stop the rebuild at each point
    // Asked at each step of the two passes, never once the files are being swapped: true
    // abandons the new files and leaves the catalogue as it was.
    std::function<bool()> Cancelled;
};

// driveIdentity: the identity of the disc in the drive, empty when there is none. Asks the
// user first; true when the new catalogue was put in place.
bool RebuildCatalogue(DiscCatalogue& catalogue, std::string_view driveIdentity,
                      const RebuildHooks& hooks = {});

}  // namespace snx
