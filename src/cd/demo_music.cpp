#include "cd/demo_music.h"

#include <array>

#include "cd/demo_synth.h"

namespace snx {

namespace {

using demo::kRate;
using demo::Mixer;
using demo::Voice;

constexpr double kTailSeconds = 1.5;  // lets the last chord ring out

// Soft flute, bell, plucked string, reed, glass, bright brass-like; then pad and bass.
const Voice kFlute{{1, 0.45, 0.18, 0.08, 0.03, 0, 0, 0}, 0.04, 0.2, 0.75, 0.3, -0.2, 0.30, 0};
const Voice kBell{{1, 0.6, 0.3, 0.25, 0.1, 0.05, 0, 0}, 0.005, 1.2, 0.0, 0.6, 0.25, 0.34, 2.5};
const Voice kPluck{
    {1, 0.7, 0.45, 0.3, 0.2, 0.12, 0.08, 0.05}, 0.003, 0.5, 0.15, 0.2, -0.3, 0.32, 4};
const Voice kReed{{1, 0.05, 0.5, 0.04, 0.3, 0.03, 0.15, 0}, 0.05, 0.1, 0.85, 0.2, 0.15, 0.26, 0};
const Voice kGlass{{1, 0.2, 0.35, 0, 0.1, 0, 0.05, 0}, 0.01, 0.9, 0.2, 0.8, -0.1, 0.30, 1.0};
const Voice kBright{
    {1, 0.5, 0.33, 0.25, 0.2, 0.16, 0.14, 0.12}, 0.03, 0.15, 0.7, 0.25, 0.1, 0.22, 0};
const Voice kPad{{1, 0.3, 0.12, 0.05, 0, 0, 0, 0}, 0.35, 0.5, 0.8, 0.9, 0, 0.09, 0};
const Voice kBass{{1, 0.5, 0.2, 0.08, 0, 0, 0, 0}, 0.008, 0.25, 0.55, 0.12, 0, 0.30, 0.5};
const Voice kArp{{1, 0.35, 0.15, 0.05, 0, 0, 0, 0}, 0.004, 0.3, 0.0, 0.15, 0.35, 0.12, 2};

enum class Backing { Pad, Waltz, Arpeggio };

struct Step {
    int Degree;  // 1 = tonic; 8 an octave up; 0 a rest
    double Beats;
};

struct Song {
    const char* Title;
    int Tonic;  // MIDI note of the tonic in the melody's octave
    bool Minor;
    double Bpm;
    int BeatsPerBar;
    std::array<int, 4> Chords;  // scale degree of each bar's chord root, repeated
    std::vector<Step> PhraseA;  // four bars
    std::vector<Step> PhraseB;  // four bars
    const Voice* Lead;
    Backing Style;
    int FinalChord;
};

const std::array<Song, kDemoTrackCount>& Songs() {
    static const std::array<Song, kDemoTrackCount> songs{{
        {"Morning Light",
         72,
         false,
         96,
         4,
         {1, 5, 6, 4},
         {{3, 1},
          {5, 1},
          {6, 1},
          {5, 1},
          {5, 1.5},
          {4, 0.5},
          {2, 2},
          {1, 1},
          {3, 1},
          {6, 1},
          {8, 1},
          {6, 2},
          {5, 2}},
         {{8, 1.5},
          {7, 0.5},
          {6, 1},
          {5, 1},
          {4, 1},
          {5, 1},
          {7, 2},
          {6, 1},
          {5, 1},
          {3, 1},
          {1, 1},
          {2, 3},
          {0, 1}},
         &kFlute,
         Backing::Pad,
         1},
        {"Harbour Waltz",
         67,
         false,
         132,
         3,
         {1, 4, 5, 1},
         {{5, 2}, {3, 1}, {4, 2}, {6, 1}, {5, 1}, {4, 1}, {2, 1}, {1, 3}},
         {{3, 1}, {5, 1}, {8, 1}, {8, 2}, {6, 1}, {7, 1}, {6, 1}, {5, 1}, {5, 3}},
         &kBell,
         Backing::Waltz,
         1},
        {"Night Train",
         69,
         true,
         112,
         4,
         {1, 6, 3, 7},
         {{1, 0.5},
          {3, 0.5},
          {5, 1},
          {5, 0.5},
          {6, 0.5},
          {5, 1},
          {6, 1},
          {8, 1},
          {6, 0.5},
          {5, 0.5},
          {3, 1},
          {3, 1},
          {5, 1},
          {7, 0.5},
          {5, 0.5},
          {3, 1},
          {2, 1},
          {4, 1},
          {7, 2}},
         {{8, 1.5},
          {7, 0.5},
          {5, 2},
          {6, 1},
          {5, 1},
          {3, 1},
          {1, 1},
          {3, 1.5},
          {2, 0.5},
          {3, 1},
          {5, 1},
          {5, 1},
          {4, 1},
          {2, 2}},
         &kPluck,
         Backing::Arpeggio,
         1},
        {"Paper Kites",
         65,
         false,
         120,
         4,
         {1, 6, 2, 5},
         {{1, 1},
          {2, 1},
          {3, 1},
          {5, 1},
          {6, 2},
          {5, 1},
          {3, 1},
          {4, 1.5},
          {5, 0.5},
          {6, 1},
          {4, 1},
          {5, 3},
          {0, 1}},
         {{8, 1},
          {6, 1},
          {5, 1},
          {3, 1},
          {3, 1},
          {1, 1},
          {6, 2},
          {2, 1},
          {4, 1},
          {6, 1},
          {5, 1},
          {7, 2},
          {5, 2}},
         &kReed,
         Backing::Pad,
         1},
        {"Slow River",
         62,
         true,
         84,
         4,
         {1, 4, 7, 3},
         {{5, 2},
          {4, 1},
          {3, 1},
          {4, 1.5},
          {3, 0.5},
          {1, 2},
          {2, 1},
          {3, 1},
          {4, 1},
          {5, 1},
          {3, 4}},
         {{8, 2}, {7, 1}, {5, 1}, {6, 2}, {4, 2}, {5, 1}, {4, 1}, {2, 1}, {7, 1}, {5, 4}},
         &kGlass,
         Backing::Pad,
         1},
        {"Home Again",
         74,
         false,
         104,
         4,
         {4, 5, 3, 6},
         {{6, 1},
          {5, 1},
          {4, 1},
          {3, 1},
          {2, 1},
          {5, 1},
          {7, 2},
          {7, 1},
          {8, 1},
          {10, 1},
          {8, 1},
          {6, 3},
          {0, 1}},
         {{8, 1},
          {9, 1},
          {10, 2},
          {9, 1},
          {8, 1},
          {7, 1},
          {5, 1},
          {5, 1},
          {7, 1},
          {8, 1},
          {10, 1},
          {9, 2},
          {8, 2}},
         &kBright,
         Backing::Arpeggio,
         1},
    }};
    return songs;
}

constexpr std::array<int, 7> kMajor{0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, 7> kMinor{0, 2, 3, 5, 7, 8, 10};

// The MIDI note of a scale degree (1-based, any octave) of the song's key.
int NoteOf(const Song& song, int degree) {
    const int index = degree - 1;
    const int octave = index >= 0 ? index / 7 : -((6 - index) / 7);
    const int step = index - octave * 7;
    const auto& scale = song.Minor ? kMinor : kMajor;
    return song.Tonic + octave * 12 + scale[static_cast<std::size_t>(step)];
}

// Bars: one of chords alone, phrase A, phrase B, phrase A an octave up, two bars of the close.
constexpr int kIntroBars = 1;
constexpr int kPhraseBars = 4;
constexpr int kCloseBars = 2;
constexpr int kBars = kIntroBars + 3 * kPhraseBars + kCloseBars;

double SecondsPerBeat(const Song& song) {
    return 60.0 / song.Bpm;
}

void PlayPhrase(Mixer& mixer, const Song& song, const std::vector<Step>& phrase, double start,
                int octaveShift) {
    const double beat = SecondsPerBeat(song);
    double at = start;
    for (const Step& step : phrase) {
        if (step.Degree != 0) {
            mixer.Note(*song.Lead, NoteOf(song, step.Degree) + 12 * octaveShift, at,
                       step.Beats * beat * 0.92, 0.9);
        }
        at += step.Beats * beat;
    }
}

void PlayChord(Mixer& mixer, const Song& song, int root, double start, int beats) {
    const double beat = SecondsPerBeat(song);
    const std::array<int, 3> triad{NoteOf(song, root) - 12, NoteOf(song, root + 2) - 12,
                                   NoteOf(song, root + 4) - 12};
    const int bass = NoteOf(song, root) - 24;
    switch (song.Style) {
        case Backing::Pad:
            for (const int note : triad) {
                mixer.Note(kPad, note, start, beats * beat, 1.0);
            }
            mixer.Note(kBass, bass, start, beat * 1.5, 1.0);
            if (beats == 4) {
                mixer.Note(kBass, bass + 7, start + 2 * beat, beat * 1.5, 0.8);
            }
            break;
        case Backing::Waltz:
            mixer.Note(kBass, bass, start, beat * 0.9, 1.0);
            for (int b = 1; b < beats; ++b) {
                for (const int note : triad) {
                    mixer.Note(kArp, note, start + b * beat, beat * 0.5, 0.9);
                }
            }
            break;
        case Backing::Arpeggio: {
            mixer.Note(kBass, bass, start, beats * beat * 0.5, 1.0);
            mixer.Note(kBass, bass, start + beats * beat * 0.5, beats * beat * 0.45, 0.8);
            const std::array<int, 4> pattern{0, 1, 2, 1};
            for (int eighth = 0; eighth < beats * 2; ++eighth) {
                const int note = triad[static_cast<std::size_t>(pattern[eighth % 4])] +
                                 (eighth % 8 >= 4 ? 12 : 0);
                mixer.Note(kArp, note, start + eighth * beat / 2, beat * 0.45, 0.8);
            }
            break;
        }
    }
}

}  // namespace

std::string DemoTrackTitle(int track) {
    return Songs()[static_cast<std::size_t>(track)].Title;
}

std::int64_t DemoTrackFrames(int track) {
    const Song& song = Songs()[static_cast<std::size_t>(track)];
    const double seconds = kBars * song.BeatsPerBar * SecondsPerBeat(song) + kTailSeconds;
    return static_cast<std::int64_t>(seconds * kRate);
}

std::vector<std::int16_t> RenderDemoTrack(int track) {
    const Song& song = Songs()[static_cast<std::size_t>(track)];
    Mixer mixer(DemoTrackFrames(track));
    const double bar = song.BeatsPerBar * SecondsPerBeat(song);
    for (int b = 0; b < kBars - kCloseBars; ++b) {
        PlayChord(mixer, song, song.Chords[static_cast<std::size_t>(b % 4)], b * bar,
                  song.BeatsPerBar);
    }
    const double closeAt = (kBars - kCloseBars) * bar;
    PlayChord(mixer, song, song.FinalChord, closeAt, song.BeatsPerBar * kCloseBars);
    PlayPhrase(mixer, song, song.PhraseA, kIntroBars * bar, 0);
    PlayPhrase(mixer, song, song.PhraseB, (kIntroBars + kPhraseBars) * bar, 0);
    PlayPhrase(mixer, song, song.PhraseA, (kIntroBars + 2 * kPhraseBars) * bar, 1);
    mixer.Note(*song.Lead, NoteOf(song, 8), closeAt, bar * kCloseBars * 0.9, 0.8);
    return mixer.Finish();
}

}  // namespace snx
