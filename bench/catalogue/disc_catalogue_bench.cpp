// The disc catalogue at a collector's scale: 10,000 discs of 12 to 20 named tracks with a few
// lines of notes, every fifth with a 200 KB sample. Measures storing discs one transaction each
// (the first kStoredOneByOne, every change flushed to disk), importing every disc in batches of
// kBatch, loading each by identity, building the browse tree of each view, the name view filtered
// by a track text, and the rebuild; and the same logical work on SQLite (discs, tracks and notes
// tables with the same five grouping indexes; a rollback journal and synchronous=FULL where
// ours flushes; VACUUM for the rebuild). Each benchmark does the whole set once per iteration:
// compare BM_Ours_X with BM_Sqlite_X.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <optional>

#include "bench/support/catalogue_session.h"
#include "bench/support/generated_discs.h"
#include "catalogue/browse_tree.h"
#include "catalogue/disc_catalogue.h"
#include "catalogue/rebuild.h"
#include "settings/settings.h"
#include "sqlite_db.h"
#include "store/record_file/record_file.h"
#include "util/user_messages.h"

namespace {

namespace fs = std::filesystem;
using snx::bench::Db;
using snx::bench::Statement;

constexpr int kDiscs = snx::bench::kGeneratedDiscs;
constexpr std::size_t kSampleBytes = 200 * 1024;
const char* const kTrackFilter = "ROMANCE";

using snx::bench::CatalogueSession;
using snx::bench::Disc;
using snx::bench::Discs;
using snx::bench::NewDirectory;

constexpr std::size_t kStoredOneByOne = 300;
constexpr std::size_t kBatch = 300;

// Stores the first count discs, committing every batch discs (each its own transaction at 1).
void StoreAll(snx::DiscCatalogue& catalogue, std::size_t count = Discs().size(),
              std::size_t batch = kBatch) {
    std::optional<snx::CatalogueScope> scope;
    // As the import does: the files held open for a batch, closed for its commit.
    const auto endBatch = [&] {
        if (scope) {
            catalogue.CloseDiscVlf();
            catalogue.CloseDiscFiles();
            scope.reset();
        }
    };
    for (std::size_t i = 0; i < count; ++i) {
        if (i % batch == 0) {
            endBatch();
            scope.emplace(catalogue.DataDirectory(), snx::CatalogueAccess::Write);
            catalogue.OpenDiscFiles();
            catalogue.OpenDiscVlf();
        }
        const Disc& disc = Discs()[i];
        snx::DiscRecord record = disc.Record;
        snx::KeySnapshot keys;
        catalogue.StoreDiscRecord(record, disc.Tracks, disc.Notes, keys);
    }
    endBatch();
}

// The full catalogue with its samples, made once and shared by the reading benchmarks.
const fs::path& BuiltCatalogue() {
    static fs::path dir;
    if (!dir.empty()) {
        return dir;
    }
    dir = snx::bench::RemovedAtExit(NewDirectory("discbench"));
    CatalogueSession session(dir);
    StoreAll(session.Catalogue);
    const fs::path sample = dir / "sample.tmp";
    {
        std::FILE* out = std::fopen(sample.c_str(), "wb");
        std::vector<char> bytes(kSampleBytes, 'w');
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    session.Catalogue.OpenDiscVlf();
    std::vector<std::int32_t> addresses;
    for (const Disc& disc : Discs()) {
        addresses.push_back(disc.Sample ? session.Holder.Vlf.StoreFile(0, sample, 1026) : 0);
    }
    session.Catalogue.CloseDiscVlf();
    // Attach each sample as the recorder does: to the record as stored, tracks and notes kept.
    for (std::size_t i = 0; i < Discs().size(); ++i) {
        if (addresses[i] != 0) {
            snx::DiscRecord record;
            snx::KeySnapshot keys;
            session.Catalogue.LoadDiscRecord(Discs()[i].Record.Identity, record,
                                             session.Holder.catTracks, session.Holder.catMemo,
                                             keys);
            record.SampleAddress = addresses[i];
            session.Catalogue.WriteDiscRecord(record);
        }
    }
    fs::remove(sample);
    return dir;
}

void SqliteSchema(Db& db) {
    db.Exec(
        "CREATE TABLE disc(id INTEGER PRIMARY KEY, identity TEXT, name TEXT, artist TEXT, "
        "composer TEXT, reference TEXT, type TEXT, label TEXT, user1 TEXT, user2 TEXT, year INT, "
        "programme BLOB, trackcount INT, lengths BLOB, playing REAL, volleft INT, volright INT, "
        "mode INT, orphan INT);"
        "CREATE UNIQUE INDEX d1 ON disc(identity); CREATE INDEX d2 ON disc(composer);"
        "CREATE INDEX d3 ON disc(artist); CREATE INDEX d4 ON disc(name);"
        "CREATE INDEX d5 ON disc(label); CREATE INDEX d6 ON disc(type);"
        "CREATE TABLE track(disc INT, num INT, name TEXT, user1 TEXT, user2 TEXT, "
        "PRIMARY KEY(disc, num)) WITHOUT ROWID;"
        "CREATE TABLE notes(disc INTEGER PRIMARY KEY, text TEXT);"
        "CREATE TABLE sample(disc INTEGER PRIMARY KEY, data BLOB);");
}

void SqliteStoreAll(Db& db, std::size_t count = Discs().size(), std::size_t batch = kBatch) {
    Statement disc(
        db,
        "INSERT INTO disc(identity, name, artist, composer, reference, type, label, "
        "user1, user2, year, programme, trackcount, lengths, playing, volleft, volright, "
        "mode, orphan) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    Statement track(db, "INSERT INTO track VALUES(?,?,?,?,?)");
    Statement notes(db, "INSERT INTO notes VALUES(?,?)");
    for (std::size_t i = 0; i < count; ++i) {
        const Disc& d = Discs()[i];
        const snx::DiscRecord& r = d.Record;
        if (i % batch == 0) {
            db.Exec("BEGIN");
        }
        disc.Bind(1, r.Identity).Bind(2, r.Name).Bind(3, r.Artist).Bind(4, r.Composer);
        disc.Bind(5, r.Reference).Bind(6, r.MusicType).Bind(7, r.RecordLabel).Bind(8, r.User1);
        disc.Bind(9, r.User2).Bind(10, r.Year).BindBlob(11, r.Programme.data(), 0);
        disc.Bind(12, r.TrackCount).BindBlob(13, r.TrackLengths.data(), 396);
        disc.BindReal(14, r.PlayingTime);
        disc.Bind(15, r.SavedVolumeLeft).Bind(16, r.SavedVolumeRight).Bind(17, r.SavedPlayMode);
        disc.Bind(18, 0LL);
        disc.Step();
        disc.Reset();
        const long long id = sqlite3_last_insert_rowid(db.Handle);
        for (int t = 1; t <= r.TrackCount; ++t) {
            track.Bind(1, id).Bind(2, t).Bind(3, d.Tracks.Cell(0, t)).Bind(4, d.Tracks.Cell(1, t));
            track.Bind(5, d.Tracks.Cell(2, t));
            track.Step();
            track.Reset();
        }
        notes.Bind(1, id).Bind(2, d.Notes.Text);
        notes.Step();
        notes.Reset();
        if ((i + 1) % batch == 0 || i + 1 == count) {
            db.Exec("COMMIT");
        }
    }
}

const fs::path& BuiltDatabase() {
    static fs::path dir;
    if (!dir.empty()) {
        return dir;
    }
    dir = snx::bench::RemovedAtExit(NewDirectory("discbench"));
    Db db(dir / "catalogue.db");
    SqliteSchema(db);
    SqliteStoreAll(db);
    std::vector<char> bytes(kSampleBytes, 'w');
    Statement sample(db, "INSERT INTO sample VALUES(?,?)");
    for (int i = 0; i < kDiscs; i += 5) {
        sample.Bind(1, i + 1).BindBlob(2, bytes.data(), static_cast<int>(bytes.size()));
        sample.Step();
        sample.Reset();
    }
    db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    return dir;
}

// Times storing the first count discs into a new catalogue, committing every batch discs.
void TimeOursStoring(benchmark::State& state, std::size_t count, std::size_t batch) {
    Discs();  // made once, before any timing
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path dir = NewDirectory("discbench");
        {
            CatalogueSession session(dir);
            state.ResumeTiming();
            StoreAll(session.Catalogue, count, batch);
            state.PauseTiming();
        }
        fs::remove_all(dir);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(count));
}

// The same into a new durable SQLite database.
void TimeSqliteStoring(benchmark::State& state, std::size_t count, std::size_t batch) {
    Discs();  // made once, before any timing
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path dir = NewDirectory("discbench");
        {
            Db db(dir / "catalogue.db", true);
            SqliteSchema(db);
            state.ResumeTiming();
            SqliteStoreAll(db, count, batch);
            state.PauseTiming();
        }
        fs::remove_all(dir);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(count));
}

// The import's shape: every disc, committed in batches.
void BM_Ours_Store(benchmark::State& state) {
    TimeOursStoring(state, Discs().size(), kBatch);
}
BENCHMARK(BM_Ours_Store)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Sqlite_Store(benchmark::State& state) {
    TimeSqliteStoring(state, Discs().size(), kBatch);
}
BENCHMARK(BM_Sqlite_Store)->Unit(benchmark::kMillisecond)->Iterations(2);

// A disc stored as the editor stores it: one transaction, flushed, per disc.
void BM_Ours_StoreOne(benchmark::State& state) {
    TimeOursStoring(state, kStoredOneByOne, 1);
}
BENCHMARK(BM_Ours_StoreOne)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Sqlite_StoreOne(benchmark::State& state) {
    TimeSqliteStoring(state, kStoredOneByOne, 1);
}
BENCHMARK(BM_Sqlite_StoreOne)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Ours_Load(benchmark::State& state) {
    CatalogueSession session(BuiltCatalogue());
    snx::DiscRecord record;
    snx::StringGrid tracks;
    snx::TextBox memo;
    snx::KeySnapshot keys;
    for (auto _ : state) {
        for (const Disc& disc : Discs()) {
            if (session.Catalogue.LoadDiscRecord(disc.Record.Identity, record, tracks, memo,
                                                 keys) == 0) {
                state.SkipWithError("disc not found");
            }
        }
    }
}
BENCHMARK(BM_Ours_Load)->Unit(benchmark::kMillisecond);

void BM_Sqlite_Load(benchmark::State& state) {
    Db db(BuiltDatabase() / "catalogue.db");
    Statement disc(db, "SELECT * FROM disc WHERE identity=?");
    Statement tracks(db, "SELECT num, name, user1, user2 FROM track WHERE disc=? ORDER BY num");
    Statement notes(db, "SELECT text FROM notes WHERE disc=?");
    std::vector<std::string> cells;
    for (auto _ : state) {
        for (const Disc& d : Discs()) {
            disc.Bind(1, d.Record.Identity);
            if (!disc.Step()) {
                state.SkipWithError("disc not found");
            }
            const long long id = disc.Int(0);
            cells.assign({disc.Text(2), disc.Text(3), disc.Text(4)});
            disc.Reset();
            tracks.Bind(1, id);
            while (tracks.Step()) {
                cells.push_back(tracks.Text(1));
            }
            tracks.Reset();
            notes.Bind(1, id);
            notes.Step();
            cells.push_back(notes.Text(0));
            notes.Reset();
            benchmark::DoNotOptimize(cells.data());
        }
    }
}
BENCHMARK(BM_Sqlite_Load)->Unit(benchmark::kMillisecond);

void BM_Ours_Tree(benchmark::State& state) {
    CatalogueSession session(BuiltCatalogue());
    const auto view = static_cast<snx::BrowseView>(state.range(0));
    for (auto _ : state) {
        const auto tree = snx::BuildBrowseTree(session.Catalogue, view, {});
        benchmark::DoNotOptimize(tree.data());
    }
}
BENCHMARK(BM_Ours_Tree)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

const char* const kGroupColumn[] = {"name", "composer", "artist", "label", "type"};

// The same tree from SQLite: rows in the order of the view's column, grouped under headings.
std::vector<snx::BrowseNode> SqliteTree(Db& db, int view, const char* where) {
    const std::string column = kGroupColumn[view];
    const std::string sql =
        "SELECT id, identity, name, " + column +
        ", orphan, EXISTS(SELECT 1 FROM sample s WHERE s.disc=d.id) FROM disc d " + where +
        " ORDER BY substr(" + column + ",1,20), id";
    Statement rows(db, sql.c_str());
    std::vector<snx::BrowseNode> tree;
    std::string last;
    while (rows.Step()) {
        snx::BrowseNode node{
            false,        rows.Text(2),         static_cast<std::int32_t>(rows.Int(0)),
            rows.Text(1), snx::NodePicture::Cd, {}};
        if (view == 0) {
            tree.push_back(std::move(node));
            continue;
        }
        std::string group = rows.Text(3);
        if (tree.empty() || group != last) {
            tree.push_back({true, group, 0, {}, snx::NodePicture::List, {}});
            last = group;
        }
        tree.back().Children.push_back(std::move(node));
    }
    return tree;
}

void BM_Sqlite_Tree(benchmark::State& state) {
    Db db(BuiltDatabase() / "catalogue.db");
    for (auto _ : state) {
        const auto tree = SqliteTree(db, static_cast<int>(state.range(0)), "");
        benchmark::DoNotOptimize(tree.data());
    }
}
BENCHMARK(BM_Sqlite_Tree)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

void BM_Ours_FilterByTrack(benchmark::State& state) {
    CatalogueSession session(BuiltCatalogue());
    snx::BrowseFilter filter;
    filter.Apply = true;
    filter.Track = kTrackFilter;
    std::size_t shown = 0;
    for (auto _ : state) {
        shown = snx::BuildBrowseTree(session.Catalogue, snx::BrowseView::Name, filter).size();
    }
    state.counters["shown"] = static_cast<double>(shown);
}
BENCHMARK(BM_Ours_FilterByTrack)->Unit(benchmark::kMillisecond);

void BM_Sqlite_FilterByTrack(benchmark::State& state) {
    Db db(BuiltDatabase() / "catalogue.db");
    const std::string where =
        std::string(
            "WHERE EXISTS(SELECT 1 FROM track t WHERE t.disc=d.id AND t.num<=d.trackcount "
            "AND (instr(upper(t.name),'") +
        kTrackFilter + "')>0 OR instr(upper(t.user1),'" + kTrackFilter +
        "')>0 OR instr(upper(t.user2),'" + kTrackFilter + "')>0))";
    std::size_t shown = 0;
    for (auto _ : state) {
        shown = SqliteTree(db, 0, where.c_str()).size();
    }
    state.counters["shown"] = static_cast<double>(shown);
}
BENCHMARK(BM_Sqlite_FilterByTrack)->Unit(benchmark::kMillisecond);

void CopyDirectory(const fs::path& from, const fs::path& to) {
    for (const auto& entry : fs::directory_iterator(from)) {
        fs::copy_file(entry.path(), to / entry.path().filename());
    }
}

void BM_Ours_Rebuild(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path dir = NewDirectory("discbench");
        CopyDirectory(BuiltCatalogue(), dir);
        {
            CatalogueSession session(dir);
            state.ResumeTiming();
            if (!snx::RebuildCatalogue(session.Catalogue, "")) {
                state.SkipWithError("rebuild failed");
            }
            state.PauseTiming();
        }
        fs::remove_all(dir);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Ours_Rebuild)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Sqlite_Rebuild(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path dir = NewDirectory("discbench");
        CopyDirectory(BuiltDatabase(), dir);
        {
            Db db(dir / "catalogue.db");
            state.ResumeTiming();
            db.Exec("VACUUM");
            state.PauseTiming();
        }
        fs::remove_all(dir);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Sqlite_Rebuild)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
