// The catalogue's workload on the keyed record file and, for comparison, on SQLite: one pair of
// 1204-byte records with the catalogue's six keys (identity unique, five with duplicates), at
// 10,000 and 100,000 records: add each record with its six keys, find each identity, walk every
// key in order reading each record, delete half the records with their keys.
//
// SQLite gets the same logical workload: a table with the same six indexes, WAL journal,
// synchronous=OFF, and one transaction per operation (each statement in autocommit), as our
// files commit every operation. Compare the times of BM_Ours_X and BM_Sqlite_X; the counter
// "disk_bytes" is the space both take on disk after the add (and after the delete).
//
// Figures on the development machine (2 cores, RelWithDebInfo, 2026-12-09), ours / SQLite:
//            10,000 records             100,000 records
// add        103 / 290 ms    = 0.36     2026 / 4075 ms = 0.50
// find       7.4 / 19.6 ms   = 0.37     174 / 341 ms   = 0.51
// walk       30.0 / 77.6 ms  = 0.39     502 / 1195 ms  = 0.42
// delete     89.6 / 170 ms   = 0.53     1530 / 2509 ms = 0.61
// disk       14.8 / 19.1 MB             151.2 / 154.8 MB
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "sqlite_db.h"
#include "store/record_file/record_file.h"

namespace {

namespace fs = std::filesystem;

const std::vector<snx::KeyDescription> kKeys = {{16, false}, {20, true}, {20, true},
                                                {20, true},  {20, true}, {20, true}};
constexpr int kRecordLength = 1204;

struct Disc {
    std::string Keys[6];  // identity, composer, artist, name, record label, music type
    std::vector<std::uint8_t> Record;
};

std::string Pick(std::mt19937& random, const char* prefix, int pool) {
    return prefix + std::to_string(random() % static_cast<unsigned>(pool));
}

// Deterministic discs: unique identities, composers and artists with many duplicates.
// The disc indexes 0..n-1 in one fixed random order, so lookups do not follow insertion.
std::vector<int> ShuffledOrder(int n) {
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(5));
    return order;
}

const std::vector<Disc>& Discs(int n) {
    static std::map<int, std::vector<Disc>> cache;
    auto& discs = cache[n];
    if (discs.empty()) {
        std::mt19937 random(1234);
        discs.resize(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            Disc& d = discs[static_cast<std::size_t>(i)];
            char id[17];
            std::snprintf(id, sizeof id, "%08X%08X", static_cast<unsigned>(random()),
                          static_cast<unsigned>(i));
            d.Keys[0] = id;
            d.Keys[1] = Pick(random, "Composer ", 400);
            d.Keys[2] = Pick(random, "Artist ", 3000);
            d.Keys[3] = Pick(random, "Album title ", 1000000).substr(0, 20);
            d.Keys[4] = Pick(random, "Label ", 60);
            d.Keys[5] = Pick(random, "Type ", 25);
            d.Record.assign(kRecordLength, 0);
            for (int k = 0; k < 6; ++k) {
                std::memcpy(d.Record.data() + 4 + 21 * k, d.Keys[k].data(), d.Keys[k].size());
            }
            for (std::size_t b = 200; b < d.Record.size(); b += 7) {
                d.Record[b] = static_cast<std::uint8_t>(random());
            }
        }
    }
    return discs;
}

fs::path MakeDirectory() {
    std::string pattern = (fs::temp_directory_path() / "sonatrix-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    return pattern;
}

std::int64_t SizeOf(const fs::path& p) {
    std::error_code error;
    const auto size = fs::file_size(p, error);
    return error ? 0 : static_cast<std::int64_t>(size);
}

// --- ours -------------------------------------------------------------------------------------

struct OursFiles {
    fs::path Dir;
    fs::path Base;
    std::vector<std::int32_t> Records;  // record number of disc i
};

void Check(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(std::string(what) + " failed, error " +
                                 std::to_string(snx::LastRecordStatus().Error));
    }
}

void OursAddAll(int h, const std::vector<Disc>& discs, std::vector<std::int32_t>& records) {
    records.clear();
    for (const Disc& d : discs) {
        const std::int32_t r = snx::AddRec(h, d.Record);
        Check(r > 0, "AddRec");
        for (int k = 0; k < 6; ++k) {
            Check(snx::AddKey(h, k + 1, r, d.Keys[k]), "AddKey");
        }
        records.push_back(r);
    }
}

std::int64_t OursBytes(const fs::path& base) {
    return SizeOf(base.string() + ".DAT") + SizeOf(base.string() + ".IX");
}

// A populated pair per size, built once and copied for the benchmarks that change it.
const OursFiles& OursPrebuilt(int n) {
    static std::map<int, OursFiles> cache;
    OursFiles& f = cache[n];
    if (f.Dir.empty()) {
        f.Dir = MakeDirectory();
        f.Base = f.Dir / "disc";
        snx::CreateRecordFiles(f.Base, kRecordLength, kKeys);
        const int h = snx::OpenRecordFiles(f.Base);
        OursAddAll(h, Discs(n), f.Records);
        snx::CloseRecordFiles(h);
    }
    return f;
}

struct LayerGuard {
    LayerGuard() { snx::InitRecordFiles(8); }
    ~LayerGuard() { snx::ExitRecordFiles(); }
};

void BM_Ours_Add(benchmark::State& state) {
    const LayerGuard layer;
    const int n = static_cast<int>(state.range(0));
    const auto& discs = Discs(n);
    const fs::path dir = MakeDirectory();
    std::vector<std::int32_t> records;
    for (auto _ : state) {
        state.PauseTiming();
        snx::CreateRecordFiles(dir / "disc", kRecordLength, kKeys);
        const int h = snx::OpenRecordFiles(dir / "disc");
        state.ResumeTiming();
        OursAddAll(h, discs, records);
        state.PauseTiming();
        snx::CloseRecordFiles(h);
        state.ResumeTiming();
    }
    state.counters["disk_bytes"] = static_cast<double>(OursBytes(dir / "disc"));
    state.SetItemsProcessed(state.iterations() * n);
    fs::remove_all(dir);
}

void BM_Ours_Find(benchmark::State& state) {
    const LayerGuard layer;
    const int n = static_cast<int>(state.range(0));
    const auto& discs = Discs(n);
    const OursFiles& f = OursPrebuilt(n);
    const int h = snx::OpenRecordFiles(f.Base);
    const std::vector<int> order = ShuffledOrder(n);
    for (auto _ : state) {
        for (const int i : order) {
            const std::int32_t r = snx::FindKey(h, 1, discs[static_cast<std::size_t>(i)].Keys[0]);
            if (r != f.Records[static_cast<std::size_t>(i)]) {
                state.SkipWithError("FindKey found the wrong record");
                break;
            }
        }
    }
    snx::CloseRecordFiles(h);
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_Ours_Walk(benchmark::State& state) {
    const LayerGuard layer;
    const int n = static_cast<int>(state.range(0));
    const OursFiles& f = OursPrebuilt(n);
    const int h = snx::OpenRecordFiles(f.Base);
    std::vector<std::uint8_t> buffer(kRecordLength);
    std::int64_t seen = 0;
    for (auto _ : state) {
        for (int k = 1; k <= 6; ++k) {
            snx::ClearKey(h, k);
            std::int32_t r = 0;
            std::string text;
            while (snx::NextKey(h, k, r, text)) {
                snx::GetRec(h, r, buffer);
                benchmark::DoNotOptimize(buffer.data());
                ++seen;
            }
        }
    }
    snx::CloseRecordFiles(h);
    if (seen != state.iterations() * 6 * n) {
        state.SkipWithError("the walk missed entries");
    }
    state.SetItemsProcessed(state.iterations() * 6 * n);
}

void BM_Ours_DeleteHalf(benchmark::State& state) {
    const LayerGuard layer;
    const int n = static_cast<int>(state.range(0));
    const auto& discs = Discs(n);
    const OursFiles& f = OursPrebuilt(n);
    const fs::path dir = MakeDirectory();
    for (auto _ : state) {
        state.PauseTiming();
        for (const char* ext : {".DAT", ".IX"}) {
            fs::copy_file(f.Base.string() + ext, (dir / "disc").string() + ext,
                          fs::copy_options::overwrite_existing);
        }
        const int h = snx::OpenRecordFiles(dir / "disc");
        state.ResumeTiming();
        for (int i = 0; i < n; i += 2) {
            const std::int32_t r = f.Records[static_cast<std::size_t>(i)];
            Check(snx::DeleteRec(h, r), "DeleteRec");
            for (int k = 0; k < 6; ++k) {
                Check(snx::DeleteKey(h, k + 1, r, discs[static_cast<std::size_t>(i)].Keys[k]),
                      "DeleteKey");
            }
        }
        state.PauseTiming();
        snx::CloseRecordFiles(h);
        state.ResumeTiming();
    }
    state.counters["disk_bytes"] = static_cast<double>(OursBytes(dir / "disc"));
    state.SetItemsProcessed(state.iterations() * ((n + 1) / 2));
    fs::remove_all(dir);
}

// --- SQLite -----------------------------------------------------------------------------------

using snx::bench::Db;

void SqliteCreate(Db& db) {
    db.Exec(
        "CREATE TABLE disc(id INTEGER PRIMARY KEY, k1 TEXT, k2 TEXT, k3 TEXT, k4 TEXT, k5 TEXT, "
        "k6 TEXT, data BLOB);"
        "CREATE UNIQUE INDEX i1 ON disc(k1); CREATE INDEX i2 ON disc(k2);"
        "CREATE INDEX i3 ON disc(k3); CREATE INDEX i4 ON disc(k4);"
        "CREATE INDEX i5 ON disc(k5); CREATE INDEX i6 ON disc(k6);");
}

void SqliteAddAll(Db& db, const std::vector<Disc>& discs, std::vector<std::int64_t>& ids) {
    sqlite3_stmt* insert =
        db.Prepare("INSERT INTO disc(k1,k2,k3,k4,k5,k6,data) VALUES(?,?,?,?,?,?,?)");
    ids.clear();
    for (const Disc& d : discs) {
        for (int k = 0; k < 6; ++k) {
            sqlite3_bind_text(insert, k + 1, d.Keys[k].data(), static_cast<int>(d.Keys[k].size()),
                              SQLITE_STATIC);
        }
        sqlite3_bind_blob(insert, 7, d.Record.data(), static_cast<int>(d.Record.size()),
                          SQLITE_STATIC);
        if (sqlite3_step(insert) != SQLITE_DONE) {
            throw std::runtime_error(sqlite3_errmsg(db.Handle));
        }
        sqlite3_reset(insert);
        ids.push_back(sqlite3_last_insert_rowid(db.Handle));
    }
    sqlite3_finalize(insert);
}

std::int64_t SqliteBytes(const fs::path& db) {
    return SizeOf(db) + SizeOf(db.string() + "-wal") + SizeOf(db.string() + "-shm");
}

struct SqliteFiles {
    fs::path Dir;
    fs::path Path;
    std::vector<std::int64_t> Ids;
};

const SqliteFiles& SqlitePrebuilt(int n) {
    static std::map<int, SqliteFiles> cache;
    SqliteFiles& f = cache[n];
    if (f.Dir.empty()) {
        f.Dir = MakeDirectory();
        f.Path = f.Dir / "disc.db";
        Db db(f.Path);
        SqliteCreate(db);
        SqliteAddAll(db, Discs(n), f.Ids);
        db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    }
    return f;
}

void BM_Sqlite_Add(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto& discs = Discs(n);
    const fs::path dir = MakeDirectory();
    std::vector<std::int64_t> ids;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(dir);
        fs::create_directory(dir);
        auto db = std::make_unique<Db>(dir / "disc.db");
        SqliteCreate(*db);
        state.ResumeTiming();
        SqliteAddAll(*db, discs, ids);
        state.PauseTiming();
        bytes = SqliteBytes(dir / "disc.db");
        db.reset();
        state.ResumeTiming();
    }
    state.counters["disk_bytes"] = static_cast<double>(bytes);
    state.SetItemsProcessed(state.iterations() * n);
    fs::remove_all(dir);
}

void BM_Sqlite_Find(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto& discs = Discs(n);
    const SqliteFiles& f = SqlitePrebuilt(n);
    Db db(f.Path);
    sqlite3_stmt* find = db.Prepare("SELECT id FROM disc WHERE k1=?");
    const std::vector<int> order = ShuffledOrder(n);
    for (auto _ : state) {
        for (const int i : order) {
            const std::string& id = discs[static_cast<std::size_t>(i)].Keys[0];
            sqlite3_bind_text(find, 1, id.data(), static_cast<int>(id.size()), SQLITE_STATIC);
            if (sqlite3_step(find) != SQLITE_ROW ||
                sqlite3_column_int64(find, 0) != f.Ids[static_cast<std::size_t>(i)]) {
                state.SkipWithError("SELECT found the wrong row");
            }
            sqlite3_reset(find);
        }
    }
    sqlite3_finalize(find);
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_Sqlite_Walk(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const SqliteFiles& f = SqlitePrebuilt(n);
    Db db(f.Path);
    const char* queries[] = {"SELECT id, k1, data FROM disc ORDER BY k1",
                             "SELECT id, k2, data FROM disc ORDER BY k2, id",
                             "SELECT id, k3, data FROM disc ORDER BY k3, id",
                             "SELECT id, k4, data FROM disc ORDER BY k4, id",
                             "SELECT id, k5, data FROM disc ORDER BY k5, id",
                             "SELECT id, k6, data FROM disc ORDER BY k6, id"};
    std::vector<sqlite3_stmt*> statements;
    for (const char* q : queries) {
        statements.push_back(db.Prepare(q));
    }
    std::vector<std::uint8_t> buffer(kRecordLength);
    std::int64_t seen = 0;
    for (auto _ : state) {
        for (sqlite3_stmt* s : statements) {
            while (sqlite3_step(s) == SQLITE_ROW) {
                const void* blob = sqlite3_column_blob(s, 2);
                const int size = sqlite3_column_bytes(s, 2);
                std::memcpy(buffer.data(), blob,
                            static_cast<std::size_t>(std::min(size, kRecordLength)));
                benchmark::DoNotOptimize(sqlite3_column_text(s, 1));
                benchmark::DoNotOptimize(buffer.data());
                ++seen;
            }
            sqlite3_reset(s);
        }
    }
    for (sqlite3_stmt* s : statements) {
        sqlite3_finalize(s);
    }
    if (seen != state.iterations() * 6 * n) {
        state.SkipWithError("the walk missed rows");
    }
    state.SetItemsProcessed(state.iterations() * 6 * n);
}

void BM_Sqlite_DeleteHalf(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const SqliteFiles& f = SqlitePrebuilt(n);
    const fs::path dir = MakeDirectory();
    std::int64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(dir);
        fs::create_directory(dir);
        fs::copy_file(f.Path, dir / "disc.db");
        auto db = std::make_unique<Db>(dir / "disc.db");
        sqlite3_stmt* erase = db->Prepare("DELETE FROM disc WHERE id=?");
        state.ResumeTiming();
        for (int i = 0; i < n; i += 2) {
            sqlite3_bind_int64(erase, 1, f.Ids[static_cast<std::size_t>(i)]);
            if (sqlite3_step(erase) != SQLITE_DONE) {
                state.SkipWithError("DELETE failed");
            }
            sqlite3_reset(erase);
        }
        state.PauseTiming();
        sqlite3_finalize(erase);
        bytes = SqliteBytes(dir / "disc.db");
        db.reset();
        state.ResumeTiming();
    }
    state.counters["disk_bytes"] = static_cast<double>(bytes);
    state.SetItemsProcessed(state.iterations() * ((n + 1) / 2));
    fs::remove_all(dir);
}

#define CATALOGUE_BENCH(fn) \
    BENCHMARK(fn)->Arg(10000)->Arg(100000)->Iterations(2)->Unit(benchmark::kMillisecond)

CATALOGUE_BENCH(BM_Ours_Add);
CATALOGUE_BENCH(BM_Sqlite_Add);
CATALOGUE_BENCH(BM_Ours_Find);
CATALOGUE_BENCH(BM_Sqlite_Find);
CATALOGUE_BENCH(BM_Ours_Walk);
CATALOGUE_BENCH(BM_Sqlite_Walk);
CATALOGUE_BENCH(BM_Ours_DeleteHalf);
CATALOGUE_BENCH(BM_Sqlite_DeleteHalf);

}  // namespace
