#include "cd/demo_synth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <utility>

namespace snx::demo {

namespace {

// The sample loops run over blocks of a fixed size on unaliased arrays, which the compiler
// turns into vector code.
constexpr std::size_t kBlock = 8;
constexpr double kCycle = 4294967296.0;  // 2^32: one cycle of a 32-bit phase

std::size_t Blocks(std::size_t samples) {
    return (samples + kBlock - 1) / kBlock;
}

// sin(2π · phase / 2^32), within a few millionths.
inline float SineOf(std::uint32_t phase) {
    // The angle as πx, x in [-1, 1); sin(πa) = sin(π(1 - a)) folds |x| into [0, 1/2].
    const float x = static_cast<float>(static_cast<std::int32_t>(phase)) * (1.0f / 2147483648.0f);
    const float a = std::abs(x);
    const float angle = std::min(a, 1.0f - a) * std::numbers::pi_v<float>;
    const float a2 = angle * angle;
    const float sine =
        angle *
        (1 + a2 * (-1.0f / 6 + a2 * (1.0f / 120 + a2 * (-1.0f / 5040 + a2 * (1.0f / 362880)))));
    return std::copysign(sine, x);
}

// The fundamental's phase step at each sample from `first` on: its frequency with a slight vibrato
// that grows over the first half second and keeps long notes alive.
void VibratoSteps(std::int32_t* __restrict steps, std::size_t first, std::size_t blocks,
                  float step) {
    const auto vibratoStep = static_cast<std::uint32_t>(5.0 / kRate * kCycle);
    const auto growth = static_cast<float>(2 / kRate);
    for (std::size_t b = 0; b < blocks; ++b) {
        for (std::size_t j = 0; j < kBlock; ++j) {
            const std::size_t i = b * kBlock + j;
            const auto n = static_cast<std::uint32_t>(first + i);
            const float ramp = static_cast<float>(static_cast<std::int32_t>(n)) * growth;
            const float depth = 0.5f * (ramp + 1 - std::abs(ramp - 1));  // min(ramp, 1), unbranched
            const float vibrato = SineOf(n * vibratoStep);
            steps[i] = static_cast<std::int32_t>(step * (1 + 0.002f * depth * vibrato));
        }
    }
}

// Adds one partial, `multiple` times the fundamental's phase, and fades it once more.
void AddPartial(float* __restrict tone, float* __restrict fade, const float* __restrict decay,
                const std::uint32_t* __restrict phases, std::size_t blocks, float amplitude,
                std::uint32_t multiple, std::uint32_t offset) {
    for (std::size_t b = 0; b < blocks; ++b) {
        for (std::size_t j = 0; j < kBlock; ++j) {
            const std::size_t i = b * kBlock + j;
            tone[i] += amplitude * fade[i] * SineOf(phases[i] * multiple + offset);
            fade[i] *= decay[i];
        }
    }
}

// Adds a note, its voice's tone under its envelope, to both channels.
void AddNote(float* __restrict left, float* __restrict right, const float* __restrict tone,
             const float* __restrict envelope, std::size_t blocks, float leftGain,
             float rightGain) {
    for (std::size_t b = 0; b < blocks; ++b) {
        for (std::size_t j = 0; j < kBlock; ++j) {
            const std::size_t i = b * kBlock + j;
            const float sound = tone[i] * envelope[i];
            left[i] += sound * leftGain;
            right[i] += sound * rightGain;
        }
    }
}

// The largest magnitude over whole blocks, kept per lane so that no sample waits for another.
float Peak(const float* __restrict samples, std::size_t blocks) {
    std::array<float, kBlock> lanes{};
    for (std::size_t b = 0; b < blocks; ++b) {
        for (std::size_t j = 0; j < kBlock; ++j) {
            const float magnitude = std::abs(samples[b * kBlock + j]);
            lanes[j] = lanes[j] < magnitude ? magnitude : lanes[j];
        }
    }
    return *std::max_element(lanes.begin(), lanes.end());
}

// A voice's sound at one pitch without its envelope, the sum of its partials, for at least
// `count` samples. It is made a chunk at a time, so that the working arrays stay in the cache.
std::vector<float> RenderTone(const Voice& voice, int midi, std::size_t count) {
    constexpr std::size_t kChunk = 64 * kBlock;
    const double frequency = 440.0 * std::pow(2.0, (midi - 69) / 12.0);
    const auto step = static_cast<float>(frequency / kRate * kCycle);
    std::vector<float> tone(Blocks(count) * kBlock);

    // Upper partials of plucked sounds die away faster: partial h + 1 fades as decay(t)^h.
    std::array<float, kChunk> decay;
    for (std::size_t i = 0; i < kChunk; ++i) {
        decay[i] =
            static_cast<float>(std::exp(-voice.HarmonicDecay * static_cast<double>(i) / kRate));
    }
    std::size_t partials = voice.Harmonics.size();
    while (partials > 0 && voice.Harmonics[partials - 1] == 0) {
        --partials;
    }
    std::array<std::int32_t, kChunk> steps;
    std::array<std::uint32_t, kChunk> phases;
    std::array<float, kChunk> fade;
    std::uint32_t phase = 0;
    for (std::size_t first = 0; first < tone.size(); first += kChunk) {
        const std::size_t blocks = std::min(kChunk, tone.size() - first) / kBlock;
        VibratoSteps(steps.data(), first, blocks, step);
        for (std::size_t i = 0; i < blocks * kBlock; ++i) {
            phases[i] = phase;
            phase += static_cast<std::uint32_t>(steps[i]);
        }
        fade.fill(1.0f);
        const double seconds = static_cast<double>(first) / kRate;
        for (std::size_t h = 0; h < partials; ++h) {
            const auto multiple = static_cast<std::uint32_t>(h + 1);
            if (frequency * multiple > 16000) {
                break;
            }
            const double level = voice.Harmonics[h] *
                                 std::exp(-voice.HarmonicDecay * static_cast<double>(h) * seconds);
            const auto offset = static_cast<std::uint32_t>(0.3 * static_cast<double>(h) /
                                                           (2 * std::numbers::pi) * kCycle);
            AddPartial(tone.data() + first, fade.data(), decay.data(), phases.data(), blocks,
                       static_cast<float>(level), multiple, offset);
        }
    }
    return tone;
}

// The envelope of a note held for `held` samples and then released, `count` samples in all
// (rounded up to whole blocks): a linear attack and decay, a slowly fading sustain and a linear
// release from wherever the note was let go.
std::vector<float> Envelope(const Voice& voice, std::size_t held, std::size_t count) {
    std::vector<float> levels(Blocks(count) * kBlock);
    const auto attack = static_cast<std::size_t>(voice.Attack * kRate);
    const auto decay = static_cast<std::size_t>((voice.Attack + voice.Decay) * kRate);
    const double sustainStep = std::exp(-0.4 / kRate);
    double level = 0;
    std::size_t i = 0;
    for (; i < held; ++i) {
        if (i < attack) {
            level = static_cast<double>(i) / static_cast<double>(attack);
        } else if (i < decay) {
            level = 1 - (1 - voice.Sustain) * static_cast<double>(i - attack) /
                            static_cast<double>(decay - attack);
        } else {
            level = i == decay ? voice.Sustain : level * sustainStep;
        }
        levels[i] = static_cast<float>(level);
    }
    const double releaseStep = level / (voice.Release * kRate);
    for (; i < count && level > 0; ++i) {
        level -= releaseStep;
        levels[i] = static_cast<float>(std::max(0.0, level));
    }
    return levels;
}

}  // namespace

Mixer::Mixer(std::int64_t frames) : frames_(static_cast<std::size_t>(frames)) {}

void Mixer::Note(const Voice& voice, int midi, double start, double length, double velocity) {
    const auto held = static_cast<std::size_t>(std::lround(length * kRate));
    const auto released = static_cast<std::size_t>(std::lround(voice.Release * kRate));
    notes_.push_back(
        {&voice, midi, static_cast<std::size_t>(start * kRate), held, held + released, velocity});
}

std::vector<std::int16_t> Mixer::Finish() const {
    using Pitch = std::pair<const Voice*, int>;
    std::map<Pitch, std::size_t> toneLengths;
    std::size_t longest = 0;
    for (const Scored& note : notes_) {
        std::size_t& length = toneLengths[{note.Sound, note.Midi}];
        length = std::max(length, note.Samples);
        longest = std::max(longest, note.Samples);
    }
    std::map<Pitch, std::vector<float>> tones;
    for (const auto& [pitch, length] : toneLengths) {
        tones[pitch] = RenderTone(*pitch.first, pitch.second, length);
    }

    // Room for the last note's whole blocks past the end, cut off below.
    std::vector<float> left(frames_ + Blocks(longest) * kBlock);
    std::vector<float> right(left.size());
    std::map<std::pair<const Voice*, std::size_t>, std::vector<float>> envelopes;
    for (const Scored& note : notes_) {
        if (note.First >= frames_) {
            continue;
        }
        std::vector<float>& envelope = envelopes[{note.Sound, note.Held}];
        if (envelope.empty()) {
            envelope = Envelope(*note.Sound, note.Held, note.Samples);
        }
        const double level = note.Sound->Level * note.Velocity;
        const float* tone = tones.at({note.Sound, note.Midi}).data();
        AddNote(left.data() + note.First, right.data() + note.First, tone, envelope.data(),
                Blocks(note.Samples),
                static_cast<float>(level * std::sqrt(0.5 * (1 - note.Sound->Pan))),
                static_cast<float>(level * std::sqrt(0.5 * (1 + note.Sound->Pan))));
    }

    std::fill(left.begin() + static_cast<std::ptrdiff_t>(frames_), left.end(), 0.0f);
    std::fill(right.begin() + static_cast<std::ptrdiff_t>(frames_), right.end(), 0.0f);
    const float peak =
        std::max({1e-6f, Peak(left.data(), Blocks(frames_)), Peak(right.data(), Blocks(frames_))});
    const float scale = 0.85f * 32767.0f / peak;
    auto rounded = [scale](float value) {
        const float scaled = value * scale;
        return static_cast<std::int16_t>(scaled + std::copysign(0.5f, scaled));
    };
    std::vector<std::int16_t> samples(frames_ * 2);
    for (std::size_t i = 0; i < frames_; ++i) {
        samples[2 * i] = rounded(left[i]);
        samples[2 * i + 1] = rounded(right[i]);
    }
    return samples;
}

}  // namespace snx::demo
