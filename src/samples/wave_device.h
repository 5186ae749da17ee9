// The wave audio device: one element (a WAVE file, or a new one) at a time, recorded from the
// disc stream, saved as a WAVE file, played with positions in milliseconds. The rules live here;
// the file and sound work is a WaveBackend from the device layer.
//
// Typical use, playing a sample:
//     wave.OpenWave(path);          // LastError != 0 and !IsOpen() when it cannot be read
//     wave.PlayWave(false);         // then GetWavePosition() / GetWaveLength() on a timer
//     wave.PlayWaveFrom(5000);      // restart at 5 s
//     wave.CloseWave();
// Recording: OpenWave on a file holding only a header (WaveHeaderTemplate) picks the format;
// StartRecording, play the disc, StopWave, SaveWave. User-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "cd/cd_device.h"
#include "samples/wave_format.h"

namespace snx {

// Results kept in LastError besides those of the CD device.
constexpr std::uint32_t kWaveUnreadableFile = 20;  // not a WAVE file the device can play
constexpr std::uint32_t kWaveWriteFailed = 21;
constexpr std::uint32_t kWaveOverrun = 22;  // the recording fell behind the disc: samples lost

class WaveBackend {
  public:
    virtual ~WaveBackend() = default;
    // Loads the element: a WAVE file, or an empty element in the default format for "".
    virtual std::uint32_t Load(const std::string& fileName) = 0;
    // Stops whatever runs and forgets the element.
    virtual void Unload() = 0;
    virtual WaveFormat Format() const = 0;
    // An output to play on can be made (the null output always can).
    virtual bool CanPlay() const = 0;
    // Whether samples can be made at this rate from the disc's 44100 Hz.
    virtual bool CanConvertTo(int rate) const = 0;
    // The tap the disc stream feeds while recording; the recording replaces the element's
    // samples from its start.
    virtual std::shared_ptr<PcmTap> StartRecording() = 0;
    // Ends a recording (its samples are then all in the element) or a playback.
    virtual std::uint32_t Stop() = 0;
    virtual std::uint32_t Save(const std::string& fileName) = 0;
    virtual std::uint32_t Play(std::int64_t fromMilliseconds) = 0;
    // True once a playback has been heard to its end (or none runs).
    virtual bool PlayFinished() = 0;
    virtual std::int64_t LengthMilliseconds() const = 0;
    // Of the samples heard.
    virtual std::int64_t PositionMilliseconds() = 0;
};

class WaveDevice {
  public:
    // lastError is shared with the CD device; recording takes its samples from cd's disc.
    WaveDevice(WaveBackend& backend, CdDevice& cd, std::uint32_t& lastError);
    ~WaveDevice();
    WaveDevice(const WaveDevice&) = delete;
    WaveDevice& operator=(const WaveDevice&) = delete;

    // Operations marked "checks open" throw EMCIDeviceError("Wave device not open") when closed.
    void OpenWave(const std::string& fileName);
    void CloseWave();
    // Reads CanPlay and CanRecord; returns CanRecord.
    bool QueryWaveCaps();
    void StartRecording();  // checks open
    void StopWave();
    // Shows "Error saving file" when it fails; the element stays open.
    void SaveWave(const std::string& fileName);  // checks open
    // With wait, returns once the sample has been heard, calling WhileWaiting meanwhile.
    std::uint32_t PlayWave(bool wait);                      // checks open
    std::uint32_t PlayWaveFrom(std::int64_t milliseconds);  // checks open
    std::int64_t GetWaveLength();                           // checks open
    std::int64_t GetWavePosition();                         // checks open
    // 8-bit mono recording at this rate.
    bool IsRecordFormatSupported(int samplesPerSecond) const;

    bool IsOpen() const { return open_; }
    std::uint16_t DeviceId() const { return deviceId_; }
    bool CanPlay = false;
    bool CanRecord = false;

    // Sets the engine's tick; StartRecording asks for 50 ms so that the end of the sample is
    // noticed quickly.
    std::function<void(int milliseconds)> SetTickInterval;
    // Called over and over while PlayWave waits: the program keeps its windows painted (and
    // lets a little time pass), tests move their clock.
    std::function<void()> WhileWaiting;

  private:
    void CheckOpen() const;

    WaveBackend& backend_;
    CdDevice& cd_;
    std::uint32_t& lastError_;
    bool open_ = false;
    bool recording_ = false;
    std::uint16_t deviceId_ = 0;
    std::uint16_t lastId_ = 0;
};

}  // namespace snx
