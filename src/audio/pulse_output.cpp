#include "audio/pulse_output.h"

#include <pulse/simple.h>

namespace snx {

std::unique_ptr<PulseOutput> PulseOutput::Open() {
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16NE;
    spec.rate = kAudioSampleRate;
    spec.channels = 2;
    // A short buffer keeps pause and stop prompt; the server picks the rest.
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(150'000, &spec));
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    attributes.minreq = static_cast<std::uint32_t>(-1);
    attributes.fragsize = static_cast<std::uint32_t>(-1);
    int error = 0;
    pa_simple* stream = pa_simple_new(nullptr, "Sonatrix", PA_STREAM_PLAYBACK, nullptr, "CD audio",
                                      &spec, nullptr, &attributes, &error);
    if (stream == nullptr) {
        return nullptr;
    }
    return std::make_unique<PulseOutput>(std::unique_ptr<pa_simple, PulseStreamCloser>(stream));
}

void PulseStreamCloser::operator()(pa_simple* stream) const {
    pa_simple_free(stream);
}

bool PulseOutput::Write(std::span<const std::int16_t> samples) {
    int error = 0;
    return pa_simple_write(stream_.get(), samples.data(), samples.size_bytes(), &error) >= 0;
}

std::int64_t PulseOutput::LatencyFrames() {
    int error = 0;
    const pa_usec_t latency = pa_simple_get_latency(stream_.get(), &error);
    if (latency == static_cast<pa_usec_t>(-1)) {
        return 0;
    }
    return static_cast<std::int64_t>(latency * kAudioSampleRate / 1'000'000);
}

void PulseOutput::Flush() {
    int error = 0;
    pa_simple_flush(stream_.get(), &error);
}

bool PulseOutput::Drain() {
    int error = 0;
    return pa_simple_drain(stream_.get(), &error) >= 0;
}

AudioOutputFactory SoundServerOutputFactory() {
    return []() -> std::unique_ptr<AudioOutput> { return PulseOutput::Open(); };
}

}  // namespace snx
