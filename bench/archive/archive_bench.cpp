// What archiving costs: the demo disc image copied into FLAC files with every checksum, as a
// multiple of real time, and the FLAC encoding of the same audio alone, for its share. What
// playing the archive costs: decoding as a share of a core, and the wait from a play command at
// a track to its first sector reaching the output.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include <condition_variable>
#include <ctime>
#include <mutex>

#include "archive/archive_cue.h"
#include "archive/disc_archiver.h"
#include "archive/flac_image.h"
#include "archive/flac_track.h"
#include "audio/null_output.h"
#include "cd/cdio_disc.h"
#include "cd/demo_disc.h"
#include "cd/image_drive.h"

namespace {

// The demo image in a directory of its own, removed at exit.
struct Demo {
    Demo() {
        char pattern[] = "/tmp/sonatrix-bench-XXXXXX";
        Directory = ::mkdtemp(pattern);
        Cue = snx::EnsureDemoDisc(Directory);
        Disc = snx::ReadDiscInfo(snx::OpenImage(Cue.string()).get());
        AudioSeconds =
            static_cast<double>(Disc->LeadOut - snx::kLeadInFrames) / snx::kFramesPerSecond;
    }
    ~Demo() {
        std::error_code ignored;
        std::filesystem::remove_all(Directory, ignored);
    }

    std::filesystem::path Directory;
    std::filesystem::path Cue;
    std::shared_ptr<snx::DiscInfo> Disc;
    double AudioSeconds = 0;
};

const Demo& DemoDisc() {
    static const Demo demo;
    return demo;
}

void ArchiveDemoDisc(benchmark::State& state) {
    const Demo& demo = DemoDisc();
    const std::atomic<bool> cancel = false;
    for (auto _ : state) {
        snx::ArchiveRequest request;
        request.Disc = demo.Disc;
        request.Source = demo.Cue.string();
        const std::string path = demo.Cue.string();
        request.OpenReader = [path] { return snx::OpenImageReader(path); };
        request.Folder = demo.Directory / "archive";
        request.Metadata.Identity = snx::DiscIdentity(*demo.Disc);
        const snx::ArchiveReport report = snx::ExtractDisc(request, {}, cancel);
        if (!report.Error.empty()) {
            state.SkipWithError(report.Error.c_str());
            return;
        }
        state.PauseTiming();
        std::filesystem::remove_all(report.Folder);
        state.ResumeTiming();
    }
    state.counters["x_real_time"] =
        benchmark::Counter(demo.AudioSeconds, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(ArchiveDemoDisc)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same audio, already in memory, through the FLAC encoder alone.
void EncodeDemoDisc(benchmark::State& state) {
    const Demo& demo = DemoDisc();
    std::vector<std::int16_t> audio;
    const auto reader = snx::OpenImageReader(demo.Cue.string());
    std::vector<std::int16_t> sector(snx::kSamplesPerFrame * 2);
    for (snx::Lba lba = snx::kLeadInFrames; lba < demo.Disc->LeadOut; ++lba) {
        reader->Read(lba, sector);
        audio.insert(audio.end(), sector.begin(), sector.end());
    }
    const std::filesystem::path target = demo.Directory / "encoded.flac";
    constexpr std::size_t kChunk = 75 * snx::kSamplesPerFrame * 2;
    for (auto _ : state) {
        snx::FlacTrackWriter writer(target, audio.size() / 2, {}, std::nullopt);
        for (std::size_t at = 0; at < audio.size(); at += kChunk) {
            writer.Write(std::span(audio).subspan(at, std::min(kChunk, audio.size() - at)));
        }
        if (!writer.Finish()) {
            state.SkipWithError(writer.Error().c_str());
            return;
        }
    }
    state.counters["x_real_time"] =
        benchmark::Counter(demo.AudioSeconds, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(EncodeDemoDisc)->Unit(benchmark::kMillisecond)->UseRealTime();

// The demo disc's archive, made once.
const std::filesystem::path& DemoArchive() {
    static const std::filesystem::path cue = [] {
        const Demo& demo = DemoDisc();
        snx::ArchiveRequest request;
        request.Disc = demo.Disc;
        request.Source = demo.Cue.string();
        const std::string path = demo.Cue.string();
        request.OpenReader = [path] { return snx::OpenImageReader(path); };
        request.Folder = demo.Directory / "played";
        request.Metadata.Identity = snx::DiscIdentity(*demo.Disc);
        const std::atomic<bool> cancel = false;
        const snx::ArchiveReport report = snx::ExtractDisc(request, {}, cancel);
        return report.Error.empty() ? snx::CueSheetPath(report.Folder) : std::filesystem::path();
    }();
    return cue;
}

// The whole archive read sector by sector through the virtual drive's reader, as its reader
// thread reads it during play. cpu_percent: CPU time per second of audio, in percent of a core.
void DecodeArchiveForPlay(benchmark::State& state) {
    const snx::FlacImage image = snx::OpenFlacImage(DemoArchive());
    if (!image.Disc) {
        state.SkipWithError("no archive");
        return;
    }
    std::vector<std::int16_t> sector(snx::kSamplesPerFrame * 2);
    const std::clock_t before = std::clock();
    for (auto _ : state) {
        const auto reader = image.Readers();
        for (snx::Lba lba = image.Disc->TrackStart(1); lba < image.Disc->LeadOut; ++lba) {
            reader->Read(lba, sector);
        }
        benchmark::DoNotOptimize(sector.data());
    }
    const double cpu = static_cast<double>(std::clock() - before) / CLOCKS_PER_SEC;
    const double audio = static_cast<double>(image.Disc->LeadOut - image.Disc->TrackStart(1)) /
                         snx::kFramesPerSecond * static_cast<double>(state.iterations());
    state.counters["cpu_percent"] = 100 * cpu / audio;
}
BENCHMARK(DecodeArchiveForPlay)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// Tells when the first samples of a play reach it.
class FirstWrite final : public snx::NullOutput {
  public:
    using NullOutput::NullOutput;
    bool Write(std::span<const std::int16_t> samples) override {
        {
            std::lock_guard lock(mutex_);
            written_ = true;
        }
        changed_.notify_all();
        return NullOutput::Write(samples);
    }
    void Expect() {
        std::lock_guard lock(mutex_);
        written_ = false;
    }
    void Wait() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return written_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool written_ = false;
};

// A play command at each track in turn, on the virtual drive holding the archive, timed until
// its first sector reaches the output: the seek in the FLAC file, the decoding and the threads'
// hand-over.
void PlayArchiveTrack(benchmark::State& state) {
    snx::SystemClock clock;
    FirstWrite* output = nullptr;
    snx::ImageDrive drive(clock, [&clock, &output] {
        auto made = std::make_unique<FirstWrite>(clock);
        output = made.get();
        return made;
    });
    drive.SetImageOpener(snx::OpenArchiveImage);
    if (!drive.Insert(DemoArchive().string())) {
        state.SkipWithError("no archive");
        return;
    }
    const std::shared_ptr<const snx::DiscInfo> disc = drive.Status().Disc;
    // The output opens with the first play.
    drive.Play(disc->TrackStart(1), disc->LeadOut);
    while (output == nullptr) {
        std::this_thread::yield();
    }
    output->Wait();
    int track = 0;
    for (auto _ : state) {
        state.PauseTiming();
        drive.Stop();
        track = track % disc->TrackCount() + 1;
        // Its start, or for every other track its middle.
        const snx::Lba start = disc->TrackStart(track);
        const snx::Lba at = start + (track % 2 == 0 ? 0 : (disc->TrackEnd(track) - start) / 2);
        output->Expect();
        state.ResumeTiming();
        drive.Play(at, disc->LeadOut);
        output->Wait();
    }
    drive.Stop();
}
BENCHMARK(PlayArchiveTrack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(60);

}  // namespace
