#include "samples/sound_wave_backend.h"

#include <sndfile.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "audio/null_output.h"
#include "cd/cd_types.h"
#include "util/atomic_file.h"

namespace snx {

namespace {

// About a tenth of a second of element frames per write.
constexpr std::int64_t kBlockFrames = 4096;
// Output frames per write: two sectors of the disc.
constexpr std::size_t kWriteFrames = 1176;

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfilePtr = std::unique_ptr<SNDFILE, SndfileCloser>;

int BitsOf(int format) {
    return (format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_U8 ||
                   (format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_S8
               ? 8
               : 16;
}

}  // namespace

SoundWaveBackend::SoundWaveBackend(Clock& clock, AudioOutputFactory outputFactory)
    : clock_(clock), outputFactory_(std::move(outputFactory)) {}

SoundWaveBackend::~SoundWaveBackend() {
    Unload();
}

std::uint32_t SoundWaveBackend::Load(const std::string& fileName) {
    Unload();
    if (fileName.empty()) {
        format_ = WaveFormat{};
        return kDeviceOk;
    }
    SF_INFO info{};
    SndfilePtr file(sf_open(fileName.c_str(), SFM_READ, &info));
    if (!file) {
        return kWaveUnreadableFile;
    }
    if ((info.format & SF_FORMAT_TYPEMASK) != SF_FORMAT_WAV || info.channels < 1 ||
        info.channels > 2 || info.samplerate <= 0 || info.frames < 0 ||
        !PcmConverter::CanConvert(info.samplerate, kAudioSampleRate)) {
        return kWaveUnreadableFile;
    }
    WaveFormat format{info.samplerate, BitsOf(info.format), info.channels};
    std::vector<std::int16_t> samples(static_cast<std::size_t>(info.frames) *
                                      static_cast<std::size_t>(info.channels));
    const sf_count_t read = sf_readf_short(file.get(), samples.data(), info.frames);
    if (read < 0) {
        return kWaveUnreadableFile;
    }
    // A file cut short plays what it holds.
    samples.resize(static_cast<std::size_t>(read) * static_cast<std::size_t>(info.channels));
    format_ = format;
    samples_ = std::move(samples);
    return kDeviceOk;
}

void SoundWaveBackend::Unload() {
    Stop();
    samples_.clear();
    samples_.shrink_to_fit();
    format_ = WaveFormat{};
}

bool SoundWaveBackend::CanConvertTo(int rate) const {
    return PcmConverter::CanConvert(kAudioSampleRate, rate);
}

std::shared_ptr<PcmTap> SoundWaveBackend::StartRecording() {
    Stop();
    samples_.clear();
    recorder_ = std::make_shared<DiscRecorder>(format_);
    return recorder_;
}

std::uint32_t SoundWaveBackend::Stop() {
    StopPlayback();
    if (!recorder_) {
        return kDeviceOk;
    }
    DiscRecorder::Result result = recorder_->Finish();
    recorder_.reset();
    samples_ = std::move(result.Samples);
    return result.Overrun ? kWaveOverrun : kDeviceOk;
}

std::uint32_t SoundWaveBackend::Save(const std::string& fileName) {
    // Written beside the target and renamed over it, so a failure leaves an old file whole; a
    // link stays a link to the new file.
    const std::filesystem::path target = FollowLinks(fileName);
    std::filesystem::path partial = target;
    partial += ".part";
    SF_INFO info{};
    info.samplerate = format_.Rate;
    info.channels = format_.Channels;
    info.format = SF_FORMAT_WAV | (format_.Bits == 8 ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16);
    bool ok = false;
    {
        SndfilePtr file(sf_open(partial.c_str(), SFM_WRITE, &info));
        if (file) {
            const std::vector<std::uint8_t> bytes = EncodeSamples(format_, samples_);
            ok = sf_write_raw(file.get(), bytes.data(), static_cast<sf_count_t>(bytes.size())) ==
                 static_cast<sf_count_t>(bytes.size());
            sf_write_sync(file.get());
            ok = ok && sf_error(file.get()) == SF_ERR_NO_ERROR;
        }
    }
    std::error_code error;
    if (ok) {
        std::filesystem::rename(partial, target, error);
        ok = !error;
    }
    if (!ok) {
        std::filesystem::remove(partial, error);
        return kWaveWriteFailed;
    }
    return kDeviceOk;
}

std::int64_t SoundWaveBackend::Frames() const {
    return static_cast<std::int64_t>(samples_.size()) / format_.Channels;
}

std::int64_t SoundWaveBackend::LengthMilliseconds() const {
    return Frames() * 1000 / format_.Rate;
}

std::int64_t SoundWaveBackend::PositionMilliseconds() {
    std::lock_guard lock(positionMutex_);
    const std::int64_t frame =
        playFrom_ + heardFrames_ * format_.Rate / static_cast<std::int64_t>(kAudioSampleRate);
    return std::min(Frames(), frame) * 1000 / format_.Rate;
}

bool SoundWaveBackend::PlayFinished() {
    return finished_;
}

std::uint32_t SoundWaveBackend::Play(std::int64_t fromMilliseconds) {
    Stop();
    const std::int64_t from =
        std::clamp<std::int64_t>(fromMilliseconds * format_.Rate / 1000, 0, Frames());
    {
        std::lock_guard lock(positionMutex_);
        playFrom_ = from;
        heardFrames_ = 0;
    }
    quit_ = false;
    finished_ = false;
    // Attached before it starts, so a virtual clock never runs ahead of it.
    clock_.AttachThread();
    player_ = std::thread([this, from] {
        PlayLoop(from);
        clock_.DetachThread();
    });
    return kDeviceOk;
}

void SoundWaveBackend::StopPlayback() {
    if (!player_.joinable()) {
        return;
    }
    quit_ = true;
    clock_.Wake();
    player_.join();
}

void SoundWaveBackend::PlayLoop(std::int64_t fromFrame) {
    std::unique_ptr<AudioOutput> output = outputFactory_ ? outputFactory_() : nullptr;
    PcmConverter converter(format_.Rate, format_.Channels, kAudioSampleRate, 2);
    std::vector<std::int16_t> block;
    std::int64_t written = 0;
    const auto channels = static_cast<std::size_t>(format_.Channels);
    auto write = [&](std::span<const std::int16_t> samples) {
        // In slices of a few sectors, as the disc plays: a low-rate element converts to blocks
        // larger than an output's buffer, which it could only take after running dry.
        while (!samples.empty() && !quit_) {
            const std::span<const std::int16_t> slice =
                samples.first(std::min<std::size_t>(samples.size(), kWriteFrames * 2));
            samples = samples.subspan(slice.size());
            if (!output || !output->Write(slice)) {
                output = std::make_unique<NullOutput>(clock_);
                output->Write(slice);
            }
            written += static_cast<std::int64_t>(slice.size() / 2);
            const std::int64_t heard = written - output->LatencyFrames();
            std::lock_guard lock(positionMutex_);
            heardFrames_ = std::max(heardFrames_, heard);
        }
    };
    for (std::int64_t at = fromFrame; at < Frames() && !quit_; at += kBlockFrames) {
        const std::int64_t count = std::min(kBlockFrames, Frames() - at);
        block.clear();
        converter.Push(std::span(samples_).subspan(static_cast<std::size_t>(at) * channels,
                                                   static_cast<std::size_t>(count) * channels),
                       block);
        write(block);
    }
    if (!quit_) {
        block.clear();
        converter.Flush(block);
        write(block);
    }
    while (!quit_ && output && !output->Drain()) {
    }
    if (output) {
        if (quit_) {
            output->Flush();
        } else {
            std::lock_guard lock(positionMutex_);
            // Heard to the end: the position is the length exactly.
            heardFrames_ = (Frames() - fromFrame) * kAudioSampleRate / format_.Rate + 1;
        }
    }
    finished_ = true;
}

}  // namespace snx
