// The browser's "A&ttach": the disc in the drive takes over a catalogued record, typically one
// imported or typed in before the disc was ever inserted.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/browse_tree.h"
#include "catalogue/disc_catalogue.h"

namespace snx {

// Asked before an attach that deletes the current record (when the disc in the drive has one).
constexpr const char* kSelectToAttach = "Please first select the data record to attach to.";
std::string AttachQuestion(std::string_view nodeText);

// selected is the selected node (null for none); currentNumber the record number of the disc in
// the drive (0 when it has no record yet), driveIdentity its identity. Requires: when
// currentNumber is not 0 and a node is selected, the user agreed to AttachQuestion. The current
// record is deleted first; then the selected record is re-keyed to the drive's
// identity, takes the drive's track count, lengths and playing time, loses its orphan mark and
// is stored with its tracks and notes.
// True when the catalogue changed (the record was attached, or only the current record was
// deleted before a later step failed): the caller reloads the disc's record and its tree.
bool AttachDriveDisc(DiscCatalogue& catalogue, const BrowseNode* selected,
                     std::int32_t currentNumber, std::string_view driveIdentity);

}  // namespace snx
