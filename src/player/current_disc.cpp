#include "player/current_disc.h"

#include <optional>

#include "player/cd_text_record.h"

namespace snx {

bool CurrentDisc::Load(std::string_view identity, const CdText& text) {
    identity_ = identity;
    number_ =
        catalogue_.LoadDiscRecord(identity_, tables_.Record, tables_.Tracks, tables_.Memo, keys_);
    generation_ = catalogue_.LastGeneration();
    bool named = number_ != 0;
    if (!named) {
        if (!text.Empty()) {
            ApplyCdText(text, tables_.Record, tables_.Tracks);
        }
        named = !text.Title.empty() || !text.Performer.empty();
    }
    if (tables_.Record.Orphan) {
        catalogue_.AdoptDriveDisc(tables_.Record, tables_.Tracks, tables_.Memo, keys_);
        generation_ = catalogue_.LastGeneration();
    }
    return named;
}

void CurrentDisc::Reload() {
    if (!Present()) {
        return;
    }
    // Names an uncatalogued disc took from its CD-Text or a lookup stay until it is stored.
    DiscTables fresh;
    KeySnapshot keys;
    const std::int32_t number =
        catalogue_.LoadDiscRecord(identity_, fresh.Record, fresh.Tracks, fresh.Memo, keys);
    generation_ = catalogue_.LastGeneration();
    if (number <= 0 && number_ <= 0) {
        return;
    }
    number_ = number;
    tables_ = std::move(fresh);
    keys_ = std::move(keys);
    if (tables_.Record.Orphan) {
        catalogue_.AdoptDriveDisc(tables_.Record, tables_.Tracks, tables_.Memo, keys_);
        generation_ = catalogue_.LastGeneration();
    }
}

void CurrentDisc::Forget() {
    identity_.clear();
    number_ = 0;
}

DiscClaim CurrentDisc::Claim() const {
    if (!Present()) {
        return {};
    }
    return {identity_, number_, tables_, keys_};
}

bool CurrentDisc::Holds(const DiscClaim& claim) const {
    // No disc then and none now counts as the same.
    return claim.Identity == identity_;
}

bool CurrentDisc::Store(const DiscChange& change, StoreWhen when) {
    if (!Present()) {
        return false;
    }
    change(tables_);
    if (number_ <= 0 && when == StoreWhen::Catalogued) {
        return false;
    }
    std::optional<CatalogueScope> scope;
    if (!catalogue_.Enter(scope, CatalogueAccess::Write)) {
        return false;
    }
    if (scope->Generation() != generation_) {
        // Changed by another program since it was read: this change goes onto the record as it
        // is now. A record deleted meanwhile leaves the disc uncatalogued.
        DiscTables fresh;
        KeySnapshot keys;
        const std::int32_t number =
            catalogue_.LoadDiscRecord(identity_, fresh.Record, fresh.Tracks, fresh.Memo, keys);
        if (number > 0 || number_ > 0) {
            number_ = number;
            tables_ = std::move(fresh);
            keys_ = std::move(keys);
            change(tables_);
        }
        generation_ = scope->Generation();
        if (number_ <= 0 && when == StoreWhen::Catalogued) {
            return false;
        }
    }
    const std::int32_t stored =
        catalogue_.StoreDiscRecord(tables_.Record, tables_.Tracks, tables_.Memo, keys_);
    if (!scope->Commit()) {
        return false;
    }
    number_ = stored;
    generation_ = scope->Generation();
    return stored > 0;
}

bool CurrentDisc::Store(const DiscClaim& claim, const DiscChange& change, StoreWhen when) {
    if (Holds(claim)) {
        return Store(change, when);
    }
    return StoreElsewhere(claim, change, when);
}

bool CurrentDisc::StoreElsewhere(const DiscClaim& claim, const DiscChange& change, StoreWhen when) {
    if (claim.Identity.empty() || (claim.Number <= 0 && when == StoreWhen::Catalogued)) {
        return false;
    }
    std::optional<CatalogueScope> scope;
    if (!catalogue_.Enter(scope, CatalogueAccess::Write)) {
        return false;
    }
    DiscTables tables;
    KeySnapshot keys;
    const std::int32_t number =
        catalogue_.LoadDiscRecord(claim.Identity, tables.Record, tables.Tracks, tables.Memo, keys);
    if (number <= 0) {
        if (when == StoreWhen::Catalogued) {
            return false;  // deleted meanwhile
        }
        // Not catalogued: the disc as it was in the drive, never a record made from the
        // drive's present disc.
        tables = claim.Tables;
        keys = claim.Keys;
    }
    change(tables);
    const std::int32_t stored =
        catalogue_.StoreDiscRecord(tables.Record, tables.Tracks, tables.Memo, keys);
    return scope->Commit() && stored > 0;
}

}  // namespace snx
