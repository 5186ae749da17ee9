// The handset's commands that edit the catalogue: the disc's record, the catalogue browser and
// the reference lists.
#include <QLabel>

#include "catalogue/disc_catalogue.h"
#include "catalogue_ui/catalogue_dialog.h"
#include "catalogue_ui/disc_data_dialog.h"
#include "catalogue_ui/list_dialog.h"
#include "cd/cd_device.h"
#include "handset/handset_window.h"
#include "lookup/lookup_chooser.h"
#include "lookup/online_lookup.h"
#include "player/cd_text_record.h"
#include "player/player_engine.h"
#include "settings/settings.h"

namespace snx {

void TSnx::btnDataClick() {
    CurrentDisc& disc = engine_->Disc();
    if (!disc.Present()) {
        return;  // no disc, so no record
    }
    // The tick runs on under the dialog: the edit stays with the disc it was opened for even if
    // another disc is loaded meanwhile.
    const DiscClaim claim = disc.Claim();
    DiscEditor editor =
        DiscEditor::Open(claim.Tables.Record, claim.Tables.Tracks, claim.Tables.Memo);
    bool accepted = false;
    {
        TfrmCDData dialog(editor, catalogue_, this);
        accepted = dialog.exec() == QDialog::Accepted;
    }
    disc.Store(
        claim,
        [&editor, accepted](DiscTables& tables) {
            if (accepted) {
                editor.TakeOk(tables.Record, tables.Tracks, tables.Memo);
            } else {
                editor.TakeCancel(tables.Record);
            }
        },
        StoreWhen::Always);
    if (disc.Holds(claim)) {
        ShowRecordLabels();
    }
}

void TSnx::LookUpUnknownDisc() {
    if (!AppSettings().LookUpUnknownDiscs) {
        return;
    }
    const std::shared_ptr<const DiscInfo> disc = device_.GetDiscInfo();
    const std::optional<DiscToc> toc = disc ? TocOfDisc(*disc) : std::nullopt;
    if (!toc) {
        return;
    }
    const std::string identity = engine_->Disc().Identity();
    lookup_->Lookup(
        *toc, [this, identity](const LookupOutcome& outcome) { TakeLookup(identity, outcome); });
}

void TSnx::TakeLookup(const std::string& identity, const LookupOutcome& outcome) {
    // Another disc came meanwhile, or the user stored this one: its names are the user's now.
    const auto stillUnknown = [&] {
        const CurrentDisc& disc = engine_->Disc();
        return disc.Identity() == identity && !disc.Catalogued();
    };
    if (!stillUnknown()) {
        return;
    }
    if (outcome.Candidates.empty()) {
        labTrack_->setText(QString::fromStdString(outcome.Message));
        return;
    }
    const std::optional<LookupChoice> choice = ChooseCandidate(this, outcome.Candidates, false);
    if (!choice || !stillUnknown()) {
        return;
    }
    // Kept in memory until the user stores the disc. What the disc's own CD-Text names stays as
    // the disc gives it.
    const LookupCandidate& candidate = outcome.Candidates[choice->Index];
    engine_->Disc().Store(
        [&candidate, text = device_.GetCdText()](DiscTables& tables) {
            ApplyCandidate(candidate, tables.Record, tables.Tracks);
            ApplyCdText(text, tables.Record, tables.Tracks);
        },
        StoreWhen::Catalogued);
    ShowRecordLabels();
}

void TSnx::btnBrowseClick() {
    {
        TfrmCat dialog(catalogue_, wave_, *engine_, *printLayer_, this);
        dialog.exec();
    }
    // An edit, an attach or a deletion in the browser may have changed the disc's record.
    engine_->ReloadRecord();
    if (engine_->Disc().Present()) {
        ShowRecordLabels();
    }
}

void TSnx::mTypeClick(char letter) {
    EditReferenceList(this, letter, catalogue_.DataDirectory());
}

}  // namespace snx
