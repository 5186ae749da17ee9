// Units and results shared by the CD device and its backends: disc frames, modes, result codes
// and the device layer's exception.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "util/min_sec.h"

namespace snx {

// An absolute position on the disc in frames (sectors) of 1/75 s, the 150-frame lead-in
// included, so track 1 of an ordinary disc starts at 150 (00:02:00).
using Lba = std::int32_t;

constexpr int kFramesPerSecond = 75;
constexpr Lba kLeadInFrames = 150;
constexpr int kSamplesPerFrame = 588;  // stereo sample pairs in one sector
constexpr int kBytesPerSector = 2352;
constexpr int kSampleRate = 44100;
constexpr int kMaxTracks = 99;

constexpr Msf LbaToMsf(Lba lba) {
    const unsigned frames = lba < 0 ? 0u : static_cast<unsigned>(lba);
    return PackMsf(frames / (60 * kFramesPerSecond), frames / kFramesPerSecond % 60,
                   frames % kFramesPerSecond);
}
constexpr Lba MsfToLba(Msf msf) {
    return static_cast<Lba>((MsfMinutes(msf) * 60 + MsfSeconds(msf)) * kFramesPerSecond +
                            MsfFrames(msf));
}

// The device's modes, numbered as the callers store and compare them.
enum class CdMode : std::uint8_t {
    NotReady = 0,
    Stopped = 1,
    Playing = 2,
    Recording = 3,
    Seeking = 4,
    Paused = 5,
    Open = 6
};

// Results of device requests, kept in CdDevice::LastError; 0 is success.
enum DeviceResult : std::uint32_t {
    kDeviceOk = 0,
    kDeviceOpenFailed = 1,
    kDeviceNotReady = 2,   // no disc, tray open, or the drive has not read the disc yet
    kDeviceRefused = 3,    // the request does not apply in the current state
    kDeviceOutOfRange = 4  // a position outside the disc
};

std::string DeviceResultText(std::uint32_t result);

// The device layer's exception: one message text.
class EMCIDeviceError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace snx
