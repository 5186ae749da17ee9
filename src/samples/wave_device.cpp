#include "samples/wave_device.h"

#include "util/user_messages.h"

namespace snx {

namespace {

constexpr const char* kNotOpen = "Wave device not open";
constexpr int kRecordingTick = 50;

}  // namespace

WaveDevice::WaveDevice(WaveBackend& backend, CdDevice& cd, std::uint32_t& lastError)
    : backend_(backend), cd_(cd), lastError_(lastError) {}

WaveDevice::~WaveDevice() {
    CloseWave();
}

void WaveDevice::CheckOpen() const {
    if (!open_) {
        throw EMCIDeviceError(kNotOpen);
    }
}

void WaveDevice::OpenWave(const std::string& fileName) {
    if (open_) {
        CloseWave();
    }
    CanPlay = false;
    CanRecord = false;
    lastError_ = backend_.Load(fileName);
    if (lastError_ != kDeviceOk) {
        return;
    }
    open_ = true;
    // Ids are never 0, which means closed.
    lastId_ = static_cast<std::uint16_t>(lastId_ == 0xFFFF ? 1 : lastId_ + 1);
    deviceId_ = lastId_;
    QueryWaveCaps();
}

bool WaveDevice::QueryWaveCaps() {
    CanPlay = backend_.CanPlay();
    // The source of a recording is the disc stream, so there is one while a CD device is open.
    CanRecord = cd_.IsOpen();
    lastError_ = kDeviceOk;
    return CanRecord;
}

void WaveDevice::CloseWave() {
    if (!open_) {
        return;
    }
    StopWave();
    backend_.Unload();
    open_ = false;
    deviceId_ = 0;
    lastError_ = kDeviceOk;
}

void WaveDevice::StartRecording() {
    CheckOpen();
    StopWave();
    cd_.SetPcmTap(backend_.StartRecording());
    recording_ = true;
    lastError_ = kDeviceOk;
    if (SetTickInterval) {
        SetTickInterval(kRecordingTick);
    }
}

void WaveDevice::StopWave() {
    if (!open_) {
        return;
    }
    if (recording_) {
        // Detach first: the tap sees nothing more once the disc player has let go of it.
        cd_.SetPcmTap(nullptr);
        recording_ = false;
    }
    lastError_ = backend_.Stop();
    if (lastError_ == kWaveOverrun) {
        ShowError("Part of the recording was lost: the disc played faster than it could be kept.");
    }
}

void WaveDevice::SaveWave(const std::string& fileName) {
    CheckOpen();
    if (recording_) {
        StopWave();
    }
    lastError_ = backend_.Save(fileName);
    if (lastError_ != kDeviceOk) {
        ShowError("Error saving file");
    }
}

std::uint32_t WaveDevice::PlayWave(bool wait) {
    CheckOpen();
    // Positions and lengths are milliseconds from here on: the device has no other time format.
    lastError_ = PlayWaveFrom(0);
    if (lastError_ == kDeviceOk && wait) {
        while (!backend_.PlayFinished()) {
            if (WhileWaiting) {
                WhileWaiting();
            }
        }
    }
    return lastError_;
}

std::uint32_t WaveDevice::PlayWaveFrom(std::int64_t milliseconds) {
    CheckOpen();
    if (recording_) {
        StopWave();
    }
    lastError_ = backend_.Play(milliseconds);
    return lastError_;
}

std::int64_t WaveDevice::GetWaveLength() {
    CheckOpen();
    lastError_ = kDeviceOk;
    return backend_.LengthMilliseconds();
}

std::int64_t WaveDevice::GetWavePosition() {
    CheckOpen();
    lastError_ = kDeviceOk;
    return backend_.PositionMilliseconds();
}

bool WaveDevice::IsRecordFormatSupported(int samplesPerSecond) const {
    return backend_.CanConvertTo(samplesPerSecond);
}

}  // namespace snx
