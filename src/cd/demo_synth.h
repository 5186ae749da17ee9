// The demo music's synthesiser: additive voices under envelopes, mixed into a stereo piece.
// Rendering calls no maths library per sample, only plain arithmetic over arrays, so its speed
// does not depend on the state earlier code (a GUI's start-up) left the processor in.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace snx::demo {

constexpr double kRate = 44100.0;

struct Voice {
    std::array<double, 8> Harmonics;         // amplitude of partials 1..8
    double Attack, Decay, Sustain, Release;  // seconds, and the sustain level
    double Pan;                              // -1 left .. 1 right
    double Level;
    double HarmonicDecay;  // extra decay per second of the upper partials, for plucked sounds
};

// Collects a piece's notes, then renders them all at once. A piece repeats its notes (the same
// chords every four bars, arpeggios over them), so each voice's sound at a pitch is rendered
// once and each note is that sound under its envelope, added in.
class Mixer {
  public:
    explicit Mixer(std::int64_t frames);

    // A note of `length` seconds from `start`, then its voice's release; the voice must
    // outlive the mixer.
    void Note(const Voice& voice, int midi, double start, double length, double velocity);
    // The piece normalised to a little below full scale: interleaved stereo 16-bit samples.
    std::vector<std::int16_t> Finish() const;

  private:
    struct Scored {
        const Voice* Sound;
        int Midi;
        std::size_t First;    // the sample it starts at
        std::size_t Held;     // samples until its release
        std::size_t Samples;  // samples in all, with the release
        double Velocity;
    };

    std::size_t frames_;
    std::vector<Scored> notes_;
};

}  // namespace snx::demo
