// Catalogues of seeded random discs for the exchange tests: every field filled, some with a
// quote the text formats must escape, and the tracks with their names and user columns.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "catalogue/disc_catalogue.h"
#include "store/block_file/string_grid.h"
#include "util/min_sec.h"

namespace snx::test {

struct Disc {
    DiscRecord Record;
    StringGrid Tracks{3, 100};
};

struct RandomDiscShape {
    std::uint32_t Seed = 5;
    std::uint64_t IdentityStep = 0x1000000;  // disc i is i * step + offset
    std::uint64_t IdentityOffset = 7;
    std::string Quote = ", \"q\"";  // appended to about one text in QuoteOneIn
    std::uint32_t QuoteOneIn = 4;
    int NoUser2Every = 3;           // every this many discs leave User2 empty
    std::uint32_t TrackLimit = 21;  // track counts below it
};

// Stores count discs of that shape in the catalogue and returns what was stored.
inline std::vector<Disc> StoreRandomDiscs(DiscCatalogue& catalogue, int count,
                                          const RandomDiscShape& shape = {}) {
    std::mt19937 random(shape.Seed);
    const auto text = [&](const std::string& stem) {
        return stem + " " + std::to_string(random() % 100000) +
               (random() % shape.QuoteOneIn ? "" : shape.Quote);
    };
    std::vector<Disc> discs(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        Disc& d = discs[static_cast<std::size_t>(i)];
        DiscRecord& r = d.Record;
        char id[17];
        std::snprintf(id, sizeof id, "%016llX",
                      static_cast<unsigned long long>(
                          shape.IdentityStep * static_cast<unsigned>(i) + shape.IdentityOffset));
        r.Identity = id;
        r.Name = text("Name");
        r.Artist = text("Artist");
        r.Composer = text("Composer");
        r.Reference = text("Ref");
        r.MusicType = text("Type");
        r.RecordLabel = text("Label");
        r.User1 = text("One");
        r.User2 = i % shape.NoUser2Every ? text("Two") : "";
        r.Year = static_cast<std::int16_t>(random() % 3 ? 1900 + random() % 125 : 0);
        r.PlayingTime = (random() % 80) + (random() % 60) / 100.0;
        r.TrackCount = static_cast<std::int16_t>(random() % shape.TrackLimit);
        for (int t = 1; t <= r.TrackCount; ++t) {
            r.TrackLengths[t - 1] = PackMsf(random() % 20, random() % 60, 0);
            d.Tracks.SetCell(0, t, text("Track"));
            d.Tracks.SetCell(1, t, t % 2 ? text("a") : "");
            d.Tracks.SetCell(2, t, t % 3 ? "" : text("b"));
        }
        d.Tracks.SetCell(0, 0, r.Identity);
        DiscRecord stored = r;
        KeySnapshot keys;
        catalogue.StoreDiscRecord(stored, d.Tracks, TextBox{r.Identity + "\r\nnote"}, keys);
    }
    return discs;
}

// What an import of an exported disc must give back: every field and track cell, the lengths,
// and the record marked as an orphan (no drive has shown the disc).
inline void ExpectImported(const Disc& disc, const DiscRecord& got, const StringGrid& gotTracks) {
    const DiscRecord& want = disc.Record;
    EXPECT_TRUE(got.Orphan);
    EXPECT_EQ(std::tie(got.Name, got.Artist, got.Composer, got.Reference, got.MusicType,
                       got.RecordLabel, got.User1, got.User2, got.Year, got.TrackCount),
              std::tie(want.Name, want.Artist, want.Composer, want.Reference, want.MusicType,
                       want.RecordLabel, want.User1, want.User2, want.Year, want.TrackCount))
        << want.Identity;
    EXPECT_NEAR(got.PlayingTime, want.PlayingTime, 1e-9);
    for (int t = 1; t <= want.TrackCount; ++t) {
        EXPECT_EQ(got.TrackLengths[t - 1], want.TrackLengths[t - 1]) << want.Identity << t;
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(gotTracks.Cell(column, t), disc.Tracks.Cell(column, t)) << want.Identity;
        }
    }
}

}  // namespace snx::test
