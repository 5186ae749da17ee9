// The catalogue layer pointed at a benchmark's own data directory for as long as it lives, with
// every question answered Yes and any error message ending the benchmark.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/support/generated_discs.h"
#include "catalogue/disc_catalogue.h"
#include "settings/settings.h"
#include "store/record_file/record_file.h"
#include "store/status.h"
#include "store/transaction.h"
#include "util/user_messages.h"

namespace snx::bench {

class YesMessages final : public UserMessages {
  public:
    void ShowError(const std::string& text) override { throw std::runtime_error(text); }
    bool Confirm(const std::string&) override { return true; }
};

// The catalogue's failures end the benchmark; its questions are answered Yes.
inline StoreReporting YesReporting() {
    return {[](const Status& status) { throw std::runtime_error(status.Message); },
            [](std::string_view) { return true; }};
}

// A fresh directory under the temporary directory, named after the benchmark.
inline std::filesystem::path NewDirectory(const std::string& name) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / ("sonatrix-" + name + "-XXXXXX")).string();
    return ::mkdtemp(pattern.data());
}

// Removes the directory, with all it holds, when the program ends: what a benchmark makes once
// and shares would otherwise stay behind in the temporary folder.
inline std::filesystem::path RemovedAtExit(const std::filesystem::path& dir) {
    struct Made {
        std::vector<std::filesystem::path> Dirs;
        ~Made() {
            for (const auto& made : Dirs) {
                std::error_code ignored;
                std::filesystem::remove_all(made, ignored);
            }
        }
    };
    static Made made;
    made.Dirs.push_back(dir);
    return dir;
}

struct CatalogueSession {
    explicit CatalogueSession(const std::filesystem::path& dir)
        : Holder(dir), Catalogue(Holder, nullptr) {
        SetSettingsDirectories(dir, dir);
        LoadSettings();
        InitRecordFiles(8);
    }
    ~CatalogueSession() {
        Catalogue.CloseDiscFiles();
        ExitRecordFiles();
    }
    CatalogueSession(const CatalogueSession&) = delete;
    CatalogueSession& operator=(const CatalogueSession&) = delete;

    YesMessages Messages;
    ScopedUserMessages Installed{Messages};
    ScopedStoreReporting Reporting{YesReporting()};
    Tfvlf Holder;
    DiscCatalogue Catalogue;
};

// A fresh data directory holding every generated disc, stored in one transaction: made quickly,
// flushed once.
inline std::filesystem::path StoredCatalogue(const std::string& name) {
    const std::filesystem::path dir = NewDirectory(name);
    CatalogueSession session(dir);
    const CatalogueScope scope(dir, CatalogueAccess::Write);
    for (const Disc& disc : Discs()) {
        DiscRecord record = disc.Record;
        KeySnapshot keys;
        session.Catalogue.StoreDiscRecord(record, disc.Tracks, disc.Notes, keys);
    }
    return RemovedAtExit(dir);
}

}  // namespace snx::bench
