// What archiving costs: the demo disc image copied into FLAC files with every checksum, as a
// multiple of real time, and the FLAC encoding of the same audio alone, for its share.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "archive/disc_archiver.h"
#include "archive/flac_track.h"
#include "cd/cdio_disc.h"
#include "cd/demo_disc.h"

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

}  // namespace
