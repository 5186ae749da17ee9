#include "app/program.h"

#include "archive/archive_source.h"
#include "catalogue/rebuild.h"
#include "cd/system_drives.h"
#include "settings/settings.h"
#include "util/user_messages.h"

namespace snx {

Program::LoadedSettings::LoadedSettings(const ProgramParts& parts) {
    SetSettingsDirectories(parts.DataDirectory, parts.HomeDirectory);
    LoadSettings();
}

Program::Program(ProgramParts parts)
    : settings_(parts),
      whileWaiting_(std::move(parts.WhileWaiting)),
      session(parts.DataDirectory),
      recorder(session.Catalogue()),
      recordDialog(recorder),
      waveBackend(parts.clock, std::move(parts.Output)) {
    // Made, after the user agrees, before anything reads it.
    session.Prepare([] { return Confirm(kRebuildQuestion); });
}

Program::~Program() {
    mpris_.reset();
    if (window) {
        window->close();
    }
    window.reset();
}

void Program::Start(DriveList& drives, bool autoPlay) {
    Open(drives, autoPlay, nullptr);
}

void Program::Start(SystemDrives& drives, bool autoPlay) {
    Open(drives, autoPlay, &drives);
}

void Program::Open(DriveList& drives, bool autoPlay, SystemDrives* archiveDrives) {
    mpris_.reset();
    window.reset();
    wave.reset();
    device.emplace(drives);
    wave.emplace(waveBackend, *device, device->LastError);
    wave->WhileWaiting = whileWaiting_;
    window.emplace(*device, session.Catalogue(), recordDialog, *wave, autoPlay);
    window->UseRecordDialog(recordDialog);
    if (archiveDrives != nullptr) {
        window->UseArchiveSource(
            [archiveDrives] { return ArchiveSourceOf(*archiveDrives, AppSettings().CdromInUse); });
    }
    window->show();
}

void Program::PublishOnBus(MprisService::DiscOpener opener) {
    mpris_.emplace(*window, std::move(opener));
    mpris_->Register();
}

}  // namespace snx
