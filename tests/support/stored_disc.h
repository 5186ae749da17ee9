// A disc record changed as the program changes one: loaded under its identity (blank when new),
// edited, then stored with its tracks and notes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "catalogue/disc_catalogue.h"

namespace snx::test {

struct StoredDisc {
    DiscRecord Record;
    StringGrid Tracks;
    TextBox Notes;
};

// Returns the record number the store gave.
inline std::int32_t StoreDisc(DiscCatalogue& catalogue, const std::string& identity,
                              const std::function<void(StoredDisc&)>& edit) {
    StoredDisc disc;
    KeySnapshot keys;
    catalogue.LoadDiscRecord(identity, disc.Record, disc.Tracks, disc.Notes, keys);
    edit(disc);
    return catalogue.StoreDiscRecord(disc.Record, disc.Tracks, disc.Notes, keys);
}

}  // namespace snx::test
