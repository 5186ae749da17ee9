#include "cd/demo_disc.h"

#include <algorithm>
#include <memory>

#include "cd/cd_types.h"
#include "cd/cue_image.h"
#include "cd/demo_music.h"
#include "settings/file_names.h"

namespace snx {

namespace {

std::int64_t TrackSectors(int track) {
    return (DemoTrackFrames(track) + kSamplesPerFrame - 1) / kSamplesPerFrame;
}

}  // namespace

std::filesystem::path DemoDiscPath(const std::filesystem::path& dataDirectory) {
    return dataDirectory / data_file::kDemoFolder / data_file::kDemoImage;
}

bool DemoDiscPresent(const std::filesystem::path& dataDirectory) {
    const std::filesystem::path cue = DemoDiscPath(dataDirectory);
    std::filesystem::path bin = cue;
    bin.replace_extension(".bin");
    std::int64_t sectors = 0;
    for (int track = 0; track < kDemoTrackCount; ++track) {
        sectors += TrackSectors(track);
    }
    // A bin of another size is damaged or from another version: it is made again.
    std::error_code error;
    return std::filesystem::exists(cue, error) &&
           std::filesystem::file_size(bin, error) ==
               static_cast<std::uintmax_t>(sectors * kBytesPerSector);
}

std::filesystem::path EnsureDemoDisc(const std::filesystem::path& dataDirectory) {
    const std::filesystem::path cue = DemoDiscPath(dataDirectory);
    if (DemoDiscPresent(dataDirectory)) {
        return cue;
    }
    std::filesystem::create_directories(cue.parent_path());

    // One piece is rendered at a time, when the writer reaches its first sector.
    struct Rendered {
        int Track = -1;
        std::vector<std::int16_t> Samples;
    };
    auto rendered = std::make_shared<Rendered>();

    CueDisc disc{"Sonatrix Demo Disc", "The Sonatrix Synthesizers", "Sonatrix", {}};
    for (int track = 0; track < kDemoTrackCount; ++track) {
        CueTrack cueTrack;
        cueTrack.Sectors = TrackSectors(track);
        cueTrack.Title = DemoTrackTitle(track);
        cueTrack.Fill = [rendered, track](std::int64_t sector, std::span<std::int16_t> samples) {
            if (rendered->Track != track) {
                rendered->Samples = RenderDemoTrack(track);
                rendered->Track = track;
            }
            const auto from = static_cast<std::size_t>(sector) * samples.size();
            const std::span<const std::int16_t> source(rendered->Samples);
            if (from < source.size()) {
                const std::size_t count = std::min(samples.size(), source.size() - from);
                std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(from), count,
                            samples.begin());
            }
        };
        disc.Tracks.push_back(std::move(cueTrack));
    }
    WriteCueImage(cue, disc);
    return cue;
}

}  // namespace snx
