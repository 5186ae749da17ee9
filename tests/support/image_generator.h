// Small disc images for tests: tracks of chosen lengths whose samples tell where they came
// from, so a test can check what reached the output.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "cd/cd_types.h"

namespace snx::test {

struct TestTrack {
    std::int64_t Sectors = 0;
    bool Audio = true;
    std::string Title;
};

// A track of minutes:seconds (and frames).
TestTrack Track(int minutes, int seconds, int frames = 0);
TestTrack DataTrack(int minutes, int seconds);

// An enhanced CD: three audio tracks of a few seconds, then a data track.
std::vector<TestTrack> EnhancedCd();
// A disc whose first track holds data, followed by three audio tracks.
std::vector<TestTrack> DataFirstDisc();

struct TestDiscText {
    std::string Title;
    std::string Performer;
    std::string Songwriter;
};

// Writes directory/name.cue and .bin; returns the .cue path.
std::filesystem::path GenerateImage(const std::filesystem::path& directory, const std::string& name,
                                    const std::vector<TestTrack>& tracks,
                                    const TestDiscText& text = {});

// The samples the generator puts in every pair of a sector at an absolute disc position.
std::int16_t PatternLeft(Lba sector);
std::int16_t PatternRight(Lba sector);

}  // namespace snx::test
