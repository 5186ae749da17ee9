// The running program below the command line: the settings, the catalogue, the recorder and its
// options dialog, the drive, the wave device and the main handset, assembled in one place. What a
// machine provides (the clock, the sound output, the drives and the data directory) comes from
// the caller, so a test runs the same program on a virtual clock without sound.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "app/mpris_service.h"
#include "audio/audio_output.h"
#include "audio/clock.h"
#include "catalogue/catalogue_session.h"
#include "cd/cd_device.h"
#include "handset/handset_window.h"
#include "samples/record_dialog.h"
#include "samples/sample_recorder.h"
#include "samples/sound_wave_backend.h"
#include "samples/wave_device.h"

namespace snx {

class SystemDrives;

struct ProgramParts {
    std::filesystem::path DataDirectory;
    std::filesystem::path HomeDirectory;
    Clock& clock;
    AudioOutputFactory Output;
    // Runs while a sample plays to its end.
    std::function<void()> WhileWaiting;
};

class Program {
  public:
    // Loads the settings of the data directory and prepares the catalogue, asking before a
    // damaged one is rebuilt; the handset opens with Start.
    explicit Program(ProgramParts parts);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Opens the main handset over these drives and shows it; autoPlay plays the disc at once.
    void Start(DriveList& drives, bool autoPlay);
    // As above; the machine's drives also give the archive its source.
    void Start(SystemDrives& drives, bool autoPlay);
    // Offers the handset to the desktop's media controls; opener takes the discs they name.
    void PublishOnBus(MprisService::DiscOpener opener);

  private:
    // Made first: everything below may read the settings.
    struct LoadedSettings {
        explicit LoadedSettings(const ProgramParts& parts);
    };
    LoadedSettings settings_;
    std::function<void()> whileWaiting_;

  public:
    // Public, so that a test may take the handset apart and build it again with parts of its own.
    // The record file layer ends last, after the handset has closed the drive.
    CatalogueSession session;
    SampleRecorder recorder;
    // Made once and reused, so the recording choices last until the program ends.
    TfrmRecord recordDialog;
    SoundWaveBackend waveBackend;
    std::optional<CdDevice> device;
    std::optional<WaveDevice> wave;
    std::optional<TSnx> window;

  private:
    void Open(DriveList& drives, bool autoPlay, SystemDrives* archiveDrives);

    std::optional<MprisService> mpris_;
};

}  // namespace snx
