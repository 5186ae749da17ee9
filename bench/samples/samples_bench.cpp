// What recording a sample costs: the share of a core that a recording takes beyond playing the
// disc (the tap's queueing and the worker's conversion), and converting a minute of disc audio
// to the smallest format.
#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <vector>

#include "samples/disc_recorder.h"
#include "samples/pcm_converter.h"
#include "samples/wave_format.h"

namespace {

constexpr int kSeconds = 60;
constexpr std::size_t kSectorFrames = 588;

// A minute of music-like disc audio: two tones and a little noise, left and right apart.
const std::vector<std::int16_t>& DiscAudio() {
    static const std::vector<std::int16_t> audio = [] {
        std::vector<std::int16_t> samples(static_cast<std::size_t>(44100 * kSeconds) * 2);
        std::uint32_t noise = 12345;
        for (std::size_t i = 0; i < samples.size() / 2; ++i) {
            const double t = static_cast<double>(i) / 44100;
            noise = noise * 1664525u + 1013904223u;
            const double hiss = static_cast<double>(noise >> 20) - 2048;
            samples[2 * i] = static_cast<std::int16_t>(9000 * std::sin(2 * M_PI * 440 * t) + hiss);
            samples[2 * i + 1] =
                static_cast<std::int16_t>(7000 * std::sin(2 * M_PI * 659 * t) + hiss);
        }
        return samples;
    }();
    return audio;
}

double ProcessSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A minute of the disc stream handed to a recorder sector by sector, as the disc player's
// output thread does, and the recording finished. Process CPU time counts the worker too;
// "core_share" is that time over the minute of audio.
void BM_RecordingCpu(benchmark::State& state) {
    const snx::WaveFormat format{static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                                 static_cast<int>(state.range(2))};
    const std::vector<std::int16_t>& audio = DiscAudio();
    double cpu = 0;
    for (auto _ : state) {
        const double before = ProcessSeconds();
        // Room for the whole minute, so no block is dropped and all of it is converted.
        snx::DiscRecorder recorder(format, audio.size() / (kSectorFrames * 2) + 1);
        for (std::size_t at = 0; at < audio.size(); at += kSectorFrames * 2) {
            recorder.TakePcm(std::span(audio).subspan(at, kSectorFrames * 2));
        }
        snx::DiscRecorder::Result result = recorder.Finish();
        benchmark::DoNotOptimize(result.Samples.data());
        cpu += ProcessSeconds() - before;
    }
    state.counters["core_share_%"] =
        100 * cpu / (static_cast<double>(state.iterations()) * kSeconds);
}
BENCHMARK(BM_RecordingCpu)
    ->Args({11025, 8, 1})
    ->Args({22050, 16, 2})
    ->Args({44100, 16, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A minute of disc audio to 11025 Hz 8-bit mono bytes, in one thread.
void BM_ConvertMinuteTo11kMono8(benchmark::State& state) {
    const std::vector<std::int16_t>& audio = DiscAudio();
    const snx::WaveFormat format{11025, 8, 1};
    for (auto _ : state) {
        snx::PcmConverter converter(44100, 2, 11025, 1);
        std::vector<std::int16_t> out;
        out.reserve(audio.size() / 8 + 4096);
        for (std::size_t at = 0; at < audio.size(); at += kSectorFrames * 2) {
            converter.Push(std::span(audio).subspan(at, kSectorFrames * 2), out);
        }
        converter.Flush(out);
        const std::vector<std::uint8_t> bytes = snx::EncodeSamples(format, out);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_ConvertMinuteTo11kMono8)->Unit(benchmark::kMillisecond);

}  // namespace
