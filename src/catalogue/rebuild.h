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

constexpr const char* kRemoveDiscToRebuild = "Please remove CD before selecting this option.";
// Asked of the user before every rebuild, by the window or the tool that starts it.
constexpr const char* kRebuildQuestion =
    "This routine will pack the CD catalog recovering unused space. Only proceed if you have a "
    "backup of your data files. Do you wish to continue?";

// driveIdentity: the identity of the disc in the drive, empty when there is none (a disc there
// is refused). Requires: the user agreed to kRebuildQuestion. True when the new catalogue was put
// in place; failures go to ReportFailure.
bool RebuildCatalogue(DiscCatalogue& catalogue, std::string_view driveIdentity,
                      const RebuildHooks& hooks = {});

}  // namespace snx
