// The handset's archive command: the disc in the drive in use copied into the archive folder.
#include "archive/archive_names.h"
#include "catalogue/disc_catalogue.h"
#include "handset/handset_window.h"
#include "settings/settings.h"
#include "util/user_messages.h"

namespace snx {

void TSnx::UseArchiveSource(std::function<std::optional<ArchiveSource>()> source) {
    archiveSource_ = std::move(source);
}

void TSnx::ArchiveDiscClick() {
    if (archive_ && !archive_->Finished()) {
        archive_->raise();
        archive_->activateWindow();
        return;
    }
    const std::optional<ArchiveSource> source =
        archiveSource_ ? archiveSource_() : std::optional<ArchiveSource>();
    if (!source) {
        ShowError("There is no disc to archive in the drive.");
        return;
    }
    const Settings& settings = AppSettings();
    const std::filesystem::path archiveFolder =
        ArchiveFolderOf(settings.ArchiveFolder, settings.WindowsDirectory);
    ArchiveRequest request = MakeArchiveRequest(catalogue_, *source, settings, archiveFolder,
                                                std::string("Sonatrix ") + SONATRIX_VERSION);
    archive_.reset();
    archive_ = std::make_unique<ArchiveWindow>(
        std::move(request), std::filesystem::path(settings.ProgramDirectory), archiveFolder, this);
    archive_->show();
    archive_->Start();
}

}  // namespace snx
