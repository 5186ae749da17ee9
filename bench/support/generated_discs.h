// A collector's catalogue made up for benchmarks: 10,000 discs of 12 to 20 named tracks with a
// few lines of notes, every fifth marked to carry a sample. The same on every run (fixed seed).
#pragma once

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "catalogue/disc_record.h"
#include "store/block_file/string_grid.h"

namespace snx::bench {

constexpr int kGeneratedDiscs = 10000;

struct Disc {
    DiscRecord Record;
    StringGrid Tracks{3, 100};
    TextBox Notes;
    bool Sample = false;
};

inline std::string Word(std::mt19937& random) {
    static const char* const kWords[] = {
        "Night", "Summer", "River", "Song",    "Blue", "Dance",   "Light",   "Winter", "Road",
        "Heart", "Garden", "Fire",  "Morning", "Sea",  "Prelude", "Romance", "Suite",  "Air"};
    return kWords[random() % std::size(kWords)];
}

inline const std::vector<Disc>& Discs() {
    static std::vector<Disc> discs;
    if (!discs.empty()) {
        return discs;
    }
    std::mt19937 random(20261208);
    discs.resize(kGeneratedDiscs);
    for (int i = 0; i < kGeneratedDiscs; ++i) {
        Disc& d = discs[static_cast<std::size_t>(i)];
        char id[17];
        std::snprintf(id, sizeof id, "%08X%08X", static_cast<unsigned>(random()) & 0xFFFFu,
                      static_cast<unsigned>(i) * 2654435761u);
        DiscRecord& r = d.Record;
        r.Identity = id;
        r.Name = Word(random) + " " + Word(random) + " " + std::to_string(i);
        r.Composer = "Composer " + std::to_string(random() % 300);
        r.Artist = "Artist " + std::to_string(random() % 2000);
        r.RecordLabel = "Label " + std::to_string(random() % 60);
        r.MusicType = "Type " + std::to_string(random() % 25);
        r.Year = static_cast<std::int16_t>(1950 + random() % 70);
        r.TrackCount = static_cast<std::int16_t>(12 + random() % 9);
        for (int t = 1; t <= r.TrackCount; ++t) {
            r.TrackLengths[t - 1] = PackMsf(2 + random() % 6, random() % 60, random() % 75);
            d.Tracks.SetCell(0, t, Word(random) + " " + Word(random) + " " + std::to_string(t));
            d.Tracks.SetCell(1, t, r.Artist);
        }
        d.Tracks.SetCell(0, 0, r.Identity);
        d.Notes.Text = r.Identity + "\r\nRecorded live.\r\nBought second hand in " +
                       std::to_string(1980 + i % 40) + ".\r\nSleeve slightly worn.\r\n";
        d.Sample = i % 5 == 0;
    }
    return discs;
}

}  // namespace snx::bench
