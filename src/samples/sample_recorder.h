// Recording a sample of the disc in the drive: the empty WAVE file that sets the format, the
// two ways of playing the disc into the wave device (the introduction scan of every track, or
// the bookmark), and the end of the recording, which stores the sample in the catalogue or
// saves it as a file. User-interface thread only; the engine's tick ends a recording.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "player/current_disc.h"
#include "player/recording_hook.h"
#include "samples/wave_format.h"

namespace snx {

class DiscCatalogue;
class PlayerEngine;
class WaveDevice;

constexpr std::int16_t kSampleBlockType = 1026;

struct RecordOptions {
    bool Bookmark = false;  // else the opening seconds of every track
    WaveFormat Format;
};

// Writes the 44-byte header of an empty WAVE file in this format, replacing the file. False
// when it cannot be written whole.
bool WriteEmptyWave(const std::filesystem::path& file, const WaveFormat& format);

class SampleRecorder final : public RecordingHook {
  public:
    explicit SampleRecorder(DiscCatalogue& catalogue);

    // The engine that plays the disc and the device that records it; before any other call.
    void Attach(PlayerEngine& engine, WaveDevice& wave);
    bool Attached() const { return engine_ != nullptr; }
    // Requires: Attached().
    PlayerEngine& Engine() const { return *engine_; }
    WaveDevice& Wave() const { return *wave_; }

    // Both ends of the bookmark are marked.
    bool BookmarkSet() const;
    // Writes the empty WAVE file and starts the recording as options say. False, with nothing
    // recording and the disc in its previous mode, when the file cannot be written ("Cannot
    // open file") or the wave device cannot record (its error shown). Throws EMCIDeviceError,
    // with nothing recording, when the CD device is not open.
    bool Start(const RecordOptions& options);
    // Plays the bookmark without recording.
    void Preview();

    // RecordingHook: the engine calls EndRecording when play ends while recording.
    bool RecordingActive() const override { return active_; }
    void EndRecording() override;

    // Asks where to save a recording that is not kept as the disc's sample; nullopt when the
    // user cancels. The program shows a save dialog.
    std::function<std::optional<std::string>()> AskSaveName;

    std::filesystem::path TargetFile() const;
    std::filesystem::path SampleFile() const;

  private:
    void StoreAsDiscSample(const std::filesystem::path& sample);

    DiscCatalogue& catalogue_;
    PlayerEngine* engine_ = nullptr;
    WaveDevice* wave_ = nullptr;
    bool active_ = false;
    std::uint16_t recordingId_ = 0;  // the wave device's element being recorded
    DiscClaim disc_;                 // the disc the recording was started on
};

}  // namespace snx
