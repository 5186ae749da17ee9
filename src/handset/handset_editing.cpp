// The handset's commands that edit the catalogue: the disc's record, the catalogue browser and
// the reference lists.
#include <QLabel>

#include "catalogue/disc_catalogue.h"
#include "catalogue/fvlf.h"
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
    const std::string identity = engine_->Identity();
    if (identity.empty()) {
        return;  // no disc, so no record
    }
    Tfvlf& holder = catalogue_.Holder();
    // The tick runs on under the dialog; these copies keep the edit with its own disc even if
    // another disc is loaded meanwhile.
    DiscRecord record = engine_->Record();
    StringGrid tracks = holder.Tracks;
    TextBox memo = holder.Memo;
    KeySnapshot keys = engine_->Keys();
    DiscEditor editor = DiscEditor::Open(record, tracks, memo);
    {
        TfrmCDData dialog(editor, catalogue_, this);
        if (dialog.exec() == QDialog::Accepted) {
            editor.TakeOk(record, tracks, memo);
        } else {
            editor.TakeCancel(record);
        }
    }
    if (engine_->Identity() != identity) {
        catalogue_.StoreDiscRecord(record, tracks, memo, keys);
        return;
    }
    engine_->Record() = record;
    holder.Tracks = tracks;
    holder.Memo = memo;
    catalogue_.StoreDiscRecord(engine_->Record(), holder.Tracks, holder.Memo, engine_->Keys());
    ShowRecordLabels();
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
    const std::string identity = engine_->Identity();
    lookup_->Lookup(
        *toc, [this, identity](const LookupOutcome& outcome) { TakeLookup(identity, outcome); });
}

void TSnx::TakeLookup(const std::string& identity, const LookupOutcome& outcome) {
    // Another disc came meanwhile, or the user stored this one: its names are the user's now.
    const auto stillUnknown = [&] {
        return engine_->Identity() == identity && engine_->RecordNumber() == 0;
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
    ApplyCandidate(outcome.Candidates[choice->Index], engine_->Record(),
                   catalogue_.Holder().Tracks);
    // What the disc's own CD-Text names stays as the disc gives it.
    ApplyCdText(device_.GetCdText(), engine_->Record(), catalogue_.Holder().Tracks);
    ShowRecordLabels();
}

void TSnx::btnBrowseClick() {
    {
        TfrmCat dialog(catalogue_, wave_, *engine_, *printLayer_, this);
        dialog.exec();
    }
    if (!engine_->Identity().empty()) {
        ShowRecordLabels();
    }
}

void TSnx::mTypeClick(char letter) {
    EditReferenceList(this, letter, catalogue_.DataDirectory());
}

}  // namespace snx
