#include "samples/sample_recorder.h"

#include "catalogue/disc_catalogue.h"
#include "cd/cd_device.h"
#include "player/player_engine.h"
#include "samples/wave_device.h"
#include "settings/file_names.h"
#include "settings/settings.h"
#include "util/atomic_file.h"
#include "util/user_messages.h"

namespace snx {

bool WriteEmptyWave(const std::filesystem::path& file, const WaveFormat& format) {
    try {
        AtomicFileWriter writer(file);
        writer.Write(WaveHeaderTemplate(format));
        writer.Commit();
        return true;
    } catch (const FileWriteError&) {
        return false;
    }
}

SampleRecorder::SampleRecorder(DiscCatalogue& catalogue) : catalogue_(catalogue) {}

void SampleRecorder::Attach(PlayerEngine& engine, WaveDevice& wave) {
    engine_ = &engine;
    wave_ = &wave;
}

std::filesystem::path SampleRecorder::TargetFile() const {
    return ResolveFileName(catalogue_.DataDirectory(), data_file::kRecording);
}

std::filesystem::path SampleRecorder::SampleFile() const {
    return ResolveFileName(catalogue_.DataDirectory(), data_file::kDiscSample);
}

bool SampleRecorder::BookmarkSet() const {
    return engine_->State.BookmarkStart != 0 && engine_->State.BookmarkEnd != 0;
}

bool SampleRecorder::Start(const RecordOptions& options) {
    const std::filesystem::path target = TargetFile();
    if (!WriteEmptyWave(target, options.Format)) {
        ShowError("Cannot open file");
        return false;
    }
    PlayerEngine& engine = *engine_;
    disc_ = engine.Disc().Claim();
    const PlayMode previous = engine.State.Mode;
    if (!options.Bookmark) {
        engine.Device().Stop();
        engine.GoToTrack(1);
        engine.SetPlayMode(PlayMode::Intro);
    }
    wave_->OpenWave(target.string());
    try {
        active_ = true;
        wave_->StartRecording();
    } catch (const EMCIDeviceError& error) {
        // Nothing was played yet: the disc stays stopped where it is, in the mode it had.
        active_ = false;
        engine.SetPlayMode(previous);
        DiscCatalogue::DeleteQuietly(target);
        ShowError(error.what());
        return false;
    }
    recordingId_ = wave_->DeviceId();
    try {
        if (options.Bookmark) {
            engine.PlayRange(engine.State.BookmarkStart, engine.State.BookmarkEnd);
        } else {
            engine.Play();
        }
    } catch (const EMCIDeviceError&) {
        // The disc would not play: no recording runs on without anything to end it.
        active_ = false;
        recordingId_ = 0;
        wave_->CloseWave();
        DiscCatalogue::DeleteQuietly(target);
        throw;
    }
    return true;
}

void SampleRecorder::Preview() {
    // The end of the preview must end no recording.
    active_ = false;
    engine_->PlayRange(engine_->State.BookmarkStart, engine_->State.BookmarkEnd);
}

void SampleRecorder::EndRecording() {
    // Ended once, whatever ends it: the question below runs the event loop, and the engine's
    // tick under it may see the end of play and end the recording again.
    if (!active_) {
        return;
    }
    active_ = false;
    // Another element opened meanwhile (a sample played) has taken the recording's place:
    // there is nothing left to keep.
    if (wave_->IsOpen() && wave_->DeviceId() == recordingId_) {
        wave_->StopWave();
        if (Confirm("Save Wave as disk sample?")) {
            const std::filesystem::path sample = SampleFile();
            wave_->SaveWave(sample.string());
            wave_->CloseWave();
            if (std::filesystem::exists(sample)) {
                StoreAsDiscSample(sample);
            }
            DiscCatalogue::DeleteQuietly(sample);
        } else {
            if (const std::optional<std::string> name =
                    AskSaveName ? AskSaveName() : std::nullopt) {
                wave_->SaveWave(*name);
            }
            // Kept or discarded, the recording is done with.
            wave_->CloseWave();
        }
    }
    DiscCatalogue::DeleteQuietly(TargetFile());
    recordingId_ = 0;
}

void SampleRecorder::StoreAsDiscSample(const std::filesystem::path& sample) {
    // The block and the record that links it are one change.
    std::optional<CatalogueScope> scope;
    if (!catalogue_.Enter(scope, CatalogueAccess::Write) || !catalogue_.OpenDiscVlf()) {
        return;
    }
    CurrentDisc& disc = engine_->Disc();
    // The sample belongs to the disc it was recorded from, even if another is in the drive now.
    const std::int32_t old =
        disc.Holds(disc_) ? disc.Record().SampleAddress : disc_.Tables.Record.SampleAddress;
    const std::int32_t address = catalogue_.Holder().Vlf.StoreFile(old, sample, kSampleBlockType);
    catalogue_.CloseDiscVlf();
    if (address == old) {
        return;
    }
    AppSettings().DeletedRecordsPresent = true;
    try {
        SaveSettings();
    } catch (const SettingsWriteError& error) {
        ShowError(error.what());
    }
    disc.Store(
        disc_, [address](DiscTables& tables) { tables.Record.SampleAddress = address; },
        StoreWhen::Always);
}

}  // namespace snx
