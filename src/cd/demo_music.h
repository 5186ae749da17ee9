// The demo disc's music, made by the program itself: six short pieces, each a melody over a
// chord progression, played by simple additive-synthesis voices with envelopes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace snx {

constexpr int kDemoTrackCount = 6;

// Requires: 0 <= track < kDemoTrackCount.
std::string DemoTrackTitle(int track);
// The piece's length in stereo sample pairs at 44100 Hz.
std::int64_t DemoTrackFrames(int track);
// Interleaved stereo 16-bit samples, DemoTrackFrames(track) pairs.
std::vector<std::int16_t> RenderDemoTrack(int track);

}  // namespace snx
