// The main handset's catalogue commands: export, import and rebuild, and what keeps the rest of
// the program out of the catalogue while they run.
#include <QTimer>

#include "catalogue/disc_catalogue.h"
#include "catalogue/rebuild.h"
#include "cd/cd_device.h"
#include "exchange/export_dialog.h"
#include "exchange/import_dialog.h"
#include "handset/handset_window.h"
#include "player/player_engine.h"
#include "util/user_messages.h"
#include "widgets/progress_window.h"

namespace snx {

namespace {

constexpr int kRetryInterval = 100;  // milliseconds between tries of a command held back

// The disc in the drive shows its record as the catalogue now holds it.
void Reload(PlayerEngine& engine) {
    try {
        engine.ReloadRecord();
    } catch (const EMCIDeviceError& error) {
        ShowError(error.what());
    }
}

}  // namespace

void TSnx::Exportdatabase1Click() {
    TfrmExport dialog(catalogue_, this);
    dialog.exec();
}

void TSnx::Importdatabase1Click() {
    TfrmImport dialog(catalogue_, this);
    if (dialog.exec() == QDialog::Accepted) {
        Reload(*engine_);
    }
}

void TSnx::Rebuilddatabase1Click() {
    if (!engine_->Disc().Identity().empty()) {
        ShowError(kRemoveDiscToRebuild);
        return;
    }
    if (!Confirm(kRebuildQuestion)) {
        return;
    }
    bool rebuilt = false;
    {
        TProgForm progress(QStringLiteral("Rebuilding"), this);
        RebuildHooks hooks;
        hooks.Progress = [&progress](int percent) {
            // At 100 % the new files are going into place: that is not to be stopped.
            if (percent >= 100) {
                progress.SetCancellable(false);
            }
            progress.Report(percent);
        };
        hooks.Cancelled = progress.CancelHook();
        rebuilt = RebuildCatalogue(catalogue_, engine_->Disc().Identity(), hooks);
    }
    if (rebuilt) {
        Reload(*engine_);
    }
}

bool TSnx::EngineMayRun() const {
    return !TProgForm::WorkRunning() || engine_->State.DiscLoaded;
}

bool TSnx::LaterIfWorking(std::function<void()> command) {
    if (!TProgForm::WorkRunning()) {
        return false;
    }
    QTimer::singleShot(kRetryInterval, this, std::move(command));
    return true;
}

}  // namespace snx
