// A small SQLite handle for the benchmarks that compare the catalogue with SQLite: WAL journal and
// synchronous=OFF, or (durable) a rollback journal with synchronous=FULL as the catalogue's
// transactions are; statements that throw on failure.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace snx::bench {

struct Db {
    sqlite3* Handle = nullptr;
    explicit Db(const std::filesystem::path& path, bool durable = false) {
        if (sqlite3_open(path.c_str(), &Handle) != SQLITE_OK) {
            throw std::runtime_error("sqlite3_open failed");
        }
        Exec(durable ? "PRAGMA journal_mode=DELETE" : "PRAGMA journal_mode=WAL");
        Exec(durable ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=OFF");
    }
    ~Db() { sqlite3_close(Handle); }
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;
    void Exec(const char* sql) {
        char* message = nullptr;
        if (sqlite3_exec(Handle, sql, nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message ? message : "?";
            sqlite3_free(message);
            throw std::runtime_error(text);
        }
    }
    sqlite3_stmt* Prepare(const char* sql) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(Handle, sql, -1, &statement, nullptr) != SQLITE_OK) {
            throw std::runtime_error(sqlite3_errmsg(Handle));
        }
        return statement;
    }
};

// A prepared statement that is finalised with its scope.
class Statement {
  public:
    Statement(Db& db, const char* sql) : statement_(db.Prepare(sql)), db_(db) {}
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, const std::string& text) {
        sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Statement& Bind(int index, long long value) {
        sqlite3_bind_int64(statement_, index, value);
        return *this;
    }
    Statement& BindReal(int index, double value) {
        sqlite3_bind_double(statement_, index, value);
        return *this;
    }
    Statement& BindBlob(int index, const void* data, int size) {
        sqlite3_bind_blob(statement_, index, data, size, SQLITE_STATIC);
        return *this;
    }
    // True while there is a row; throws on an error.
    bool Step() {
        const int result = sqlite3_step(statement_);
        if (result == SQLITE_ROW) {
            return true;
        }
        if (result != SQLITE_DONE) {
            throw std::runtime_error(sqlite3_errmsg(db_.Handle));
        }
        return false;
    }
    void Reset() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    long long Int(int column) { return sqlite3_column_int64(statement_, column); }
    std::string Text(int column) {
        const auto* text = sqlite3_column_text(statement_, column);
        return text ? reinterpret_cast<const char*>(text) : "";
    }

  private:
    sqlite3_stmt* statement_;
    Db& db_;
};

}  // namespace snx::bench
