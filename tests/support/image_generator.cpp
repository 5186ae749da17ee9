#include "tests/support/image_generator.h"

#include "cd/cue_image.h"

namespace snx::test {

TestTrack Track(int minutes, int seconds, int frames) {
    return {(minutes * 60 + seconds) * kFramesPerSecond + frames, true, {}};
}

TestTrack DataTrack(int minutes, int seconds) {
    return {(minutes * 60 + seconds) * kFramesPerSecond, false, {}};
}

std::vector<TestTrack> EnhancedCd() {
    return {Track(0, 4), Track(0, 3), Track(0, 5), DataTrack(0, 30)};
}

std::vector<TestTrack> DataFirstDisc() {
    return {DataTrack(0, 30), Track(0, 4), Track(0, 3), Track(0, 5)};
}

std::int16_t PatternLeft(Lba sector) {
    return static_cast<std::int16_t>(1 + sector % 30000);
}

std::int16_t PatternRight(Lba sector) {
    return static_cast<std::int16_t>(-1 - sector % 30000);
}

std::filesystem::path GenerateImage(const std::filesystem::path& directory, const std::string& name,
                                    const std::vector<TestTrack>& tracks,
                                    const TestDiscText& text) {
    CueDisc disc{text.Title, text.Performer, text.Songwriter, {}};
    Lba start = kLeadInFrames;
    for (const TestTrack& track : tracks) {
        CueTrack cueTrack{track.Sectors, track.Audio, track.Title, {}, {}};
        cueTrack.Fill = [start](std::int64_t sector, std::span<std::int16_t> samples) {
            const Lba lba = start + static_cast<Lba>(sector);
            for (std::size_t i = 0; i + 1 < samples.size(); i += 2) {
                samples[i] = PatternLeft(lba);
                samples[i + 1] = PatternRight(lba);
            }
        };
        disc.Tracks.push_back(std::move(cueTrack));
        start += static_cast<Lba>(track.Sectors);
    }
    const std::filesystem::path cue = directory / (name + ".cue");
    WriteCueImage(cue, disc);
    return cue;
}

}  // namespace snx::test
