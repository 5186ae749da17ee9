// Playback costs: how much faster than real time a whole disc goes through reading, conversion
// and gains; the processor time of real-time play through the null output; a status call.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <thread>

#include "cd/cd_device.h"
#include "cd/cue_image.h"
#include "cd/demo_disc.h"
#include "cd/image_drive.h"
#include "cd/system_drives.h"

namespace snx {
namespace {

std::filesystem::path BenchDirectory() {
    static const std::filesystem::path directory = [] {
        auto path = std::filesystem::temp_directory_path() / "sonatrix-bench";
        std::filesystem::create_directories(path);
        return path;
    }();
    return directory;
}

// A 74-minute disc of 15 tracks with a changing signal, made once.
std::string LongImage() {
    const std::filesystem::path cue = BenchDirectory() / "long.cue";
    if (!std::filesystem::exists(cue)) {
        CueDisc disc;
        for (int track = 0; track < 15; ++track) {
            CueTrack t;
            t.Sectors = 74 * 60 * kFramesPerSecond / 15;
            t.Fill = [](std::int64_t sector, std::span<std::int16_t> samples) {
                for (std::size_t i = 0; i < samples.size(); ++i) {
                    samples[i] = static_cast<std::int16_t>(
                        (sector * 31 + static_cast<std::int64_t>(i) * 7) % 20000);
                }
            };
            disc.Tracks.push_back(std::move(t));
        }
        WriteCueImage(cue, disc);
    }
    return cue.string();
}

// Takes everything at once and keeps one sample, so the work cannot be skipped.
class DiscardingOutput final : public AudioOutput {
  public:
    explicit DiscardingOutput(std::atomic<std::int64_t>& sum) : sum_(sum) {}
    bool Write(std::span<const std::int16_t> samples) override {
        sum_ += samples[samples.size() / 2];
        return true;
    }
    std::int64_t LatencyFrames() override { return 0; }
    void Flush() override {}
    bool Drain() override { return true; }

  private:
    std::atomic<std::int64_t>& sum_;
};

void WaitWhilePlaying(DriveBackend& drive) {
    while (drive.Status().Mode == CdMode::Playing) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void BM_WholeDiscFasterThanRealTime(benchmark::State& state) {
    const std::string image = LongImage();
    SystemClock clock;
    std::atomic<std::int64_t> sum{0};
    ImageDrive drive(clock, [&] { return std::make_unique<DiscardingOutput>(sum); });
    drive.Insert(image);
    drive.SetGains(0.7, 0.9);
    const DriveStatus status = drive.Status();
    const double discSeconds =
        static_cast<double>(status.Disc->LeadOut - kLeadInFrames) / kFramesPerSecond;
    double elapsed = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        drive.Play(kLeadInFrames, status.Disc->LeadOut);
        WaitWhilePlaying(drive);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        elapsed += took.count();
        state.SetIterationTime(took.count());
    }
    benchmark::DoNotOptimize(sum.load());
    state.counters["x_real_time"] = discSeconds * static_cast<double>(state.iterations()) / elapsed;
}
BENCHMARK(BM_WholeDiscFasterThanRealTime)->UseManualTime()->Iterations(2)->Unit(benchmark::kSecond);

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void BM_RealTimePlayNullOutputCpu(benchmark::State& state) {
    const std::filesystem::path cue = EnsureDemoDisc(BenchDirectory());
    SystemClock clock;
    ImageDrive drive(clock, nullptr);  // no factory: the null output plays
    drive.Insert(cue.string());
    const DriveStatus status = drive.Status();
    for (auto _ : state) {
        const double cpuStart = ProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        drive.Play(kLeadInFrames, status.Disc->LeadOut);
        std::this_thread::sleep_for(std::chrono::seconds(10));
        drive.Stop();
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(wall.count());
        state.counters["cpu_percent_of_core"] =
            100 * (ProcessCpuSeconds() - cpuStart) / wall.count();
    }
}
BENCHMARK(BM_RealTimePlayNullOutputCpu)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_StatusCallWhilePlaying(benchmark::State& state) {
    const std::filesystem::path cue = EnsureDemoDisc(BenchDirectory());
    SystemClock clock;
    SystemDrives drives({}, clock, nullptr);
    drives.VirtualDrive().Insert(cue.string());
    CdDevice device(drives);
    device.OpenDrive(drives.VirtualDriveIndex());
    device.PlayFrom(device.TrackStart[1], 1, PlayMode::Disc, 0.10);
    for (auto _ : state) {
        benchmark::DoNotOptimize(device.GetMode());
        benchmark::DoNotOptimize(device.GetPosition());
        benchmark::DoNotOptimize(device.GetCurrentTrack());
    }
    device.Stop();
}
BENCHMARK(BM_StatusCallWhilePlaying)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace snx
