// The disc in the drive as the catalogue knows it: its identity, record, track table, notes,
// record number, index keys and the catalogue generation they were read at. Every other part of
// the program reads the disc from here and writes its record only through Store, so nobody keeps
// a copy that can fall out of step.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "catalogue/disc_catalogue.h"
#include "catalogue/disc_record.h"
#include "cd/disc_info.h"
#include "store/block_file/string_grid.h"

namespace snx {

// A disc's record with its track table and notes.
struct DiscTables {
    DiscRecord Record;
    StringGrid Tracks{3, 100};
    TextBox Memo;
};

// What one caller changes of a disc. It runs on the copy in memory and, when another program
// changed the record meanwhile, again on the record as stored now: only what it sets is written.
using DiscChange = std::function<void(DiscTables& disc)>;

enum class StoreWhen {
    Catalogued,  // an uncatalogued disc keeps the change for this play only
    Always,      // an uncatalogued disc becomes catalogued
};

// The disc a dialog or a recording was started for, as it was then. Its result goes to that
// disc's record, whatever the drive holds by the time it is stored.
struct DiscClaim {
    std::string Identity;  // empty: there was no disc
    std::int32_t Number = 0;
    DiscTables Tables;
    KeySnapshot Keys;
};

class CurrentDisc {
  public:
    explicit CurrentDisc(DiscCatalogue& catalogue) : catalogue_(catalogue) {}

    // Takes up the disc of identity: its catalogued record, else a new one named from its
    // CD-Text. An orphan record takes the drive's tracks and is stored. False when neither
    // the catalogue nor the CD-Text names the disc (track titles alone do not).
    bool Load(std::string_view identity, const CdText& text);
    // Reads the record again (the catalogue changed under the disc: an import, a rebuild, an
    // attach, a deletion). Nothing happens without a disc.
    void Reload();
    // The disc has gone.
    void Forget();

    bool Present() const { return !identity_.empty(); }
    // The only answer to "is the disc in the drive catalogued".
    bool Catalogued() const { return number_ > 0; }
    const std::string& Identity() const { return identity_; }
    std::int32_t Number() const { return number_; }
    const DiscRecord& Record() const { return tables_.Record; }
    const StringGrid& Tracks() const { return tables_.Tracks; }
    const TextBox& Memo() const { return tables_.Memo; }

    // The disc as it is now, for a dialog to hold over its life.
    DiscClaim Claim() const;
    // Whether the drive still holds the disc claim was made for (or still none).
    bool Holds(const DiscClaim& claim) const;

    // Applies change to the disc in the drive and writes its record: when it is catalogued, or
    // always. True when the record was written.
    bool Store(const DiscChange& change, StoreWhen when);
    // The same for the disc claim was made for: the disc in the drive when it still holds it,
    // else that disc's record in the catalogue (when it has one, or always), never the disc
    // now in the drive.
    bool Store(const DiscClaim& claim, const DiscChange& change, StoreWhen when);

  private:
    bool StoreElsewhere(const DiscClaim& claim, const DiscChange& change, StoreWhen when);

    DiscCatalogue& catalogue_;
    std::string identity_;
    std::int32_t number_ = 0;
    DiscTables tables_;
    KeySnapshot keys_;
    // The catalogue's change counter when tables_ was read.
    std::uint64_t generation_ = 0;
};

}  // namespace snx
