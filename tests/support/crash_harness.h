// Runs a change to the catalogue in a child process stopped at its n-th write or flush, for every
// n until the change completes, and checks after each stop that the catalogue shows exactly the
// state before the change or the state after it.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "catalogue/catalogue_check.h"
#include "catalogue/disc_catalogue.h"
#include "store/crash_point.h"
#include "store/record_file/record_file.h"
#include "store/stamped_cache.h"
#include "tests/support/temp_dir.h"

namespace snx::test {

// Everything the catalogue shows: every key's entries in order, and per live record its bytes,
// track table, notes, picture and sample.
inline std::string ShownCatalogue(DiscCatalogue& catalogue) {
    std::string shown;
    std::optional<CatalogueScope> scope;
    if (!catalogue.Enter(scope, CatalogueAccess::Read) || !catalogue.OpenDiscFiles()) {
        return "unreadable";
    }
    const int handle = catalogue.Handle();
    std::vector<std::int32_t> live;
    for (int key = 1; key <= kDiscRecordKeyCount; ++key) {
        ClearKey(handle, key);
        std::int32_t record = 0;
        std::string text;
        shown += "key " + std::to_string(key) + ":";
        while (NextKey(handle, key, record, text)) {
            shown += " [" + text + "]" + std::to_string(record);
            if (key == 1) {
                live.push_back(record);
            }
        }
        shown += "\n";
    }
    const bool vlfOpen = catalogue.OpenDiscVlf();
    TVlf& vlf = catalogue.Holder().Vlf;
    const std::filesystem::path extracted = catalogue.DataDirectory() / "shown.tmp";
    for (const std::int32_t number : live) {
        DiscRecord record;
        if (!catalogue.ReadRecord(number, record)) {
            shown += "record " + std::to_string(number) + " unreadable\n";
            continue;
        }
        const DiscRecordBytes bytes = EncodeDiscRecord(record);
        shown += "record " + std::to_string(number) + ": " +
                 std::string(bytes.begin(), bytes.end()) + "\n";
        StringGrid grid;
        if (vlfOpen && record.TracksAddress != 0 && vlf.LoadGrid(record.TracksAddress, grid)) {
            for (std::int32_t r = 0; r < grid.RowCount(); ++r) {
                for (std::int32_t c = 0; c < grid.ColCount(); ++c) {
                    shown += grid.Cell(c, r) + "|";
                }
            }
        }
        TextBox memo;
        if (vlfOpen && record.NotesAddress != 0 && vlf.LoadText(record.NotesAddress, memo)) {
            shown += "\nnotes: " + memo.Text;
        }
        for (const std::int32_t address : {record.BitmapAddress, record.SampleAddress}) {
            if (vlfOpen && address != 0 && vlf.ExtractFile(address, extracted, 0)) {
                shown += "\nfile: " + ReadFileText(extracted);
                std::filesystem::remove(extracted);
            }
        }
        shown += "\n";
    }
    if (vlfOpen) {
        catalogue.CloseDiscVlf();
    }
    catalogue.CloseDiscFiles();
    return shown;
}

class CrashHarness {
  public:
    explicit CrashHarness(const std::filesystem::path& dir) : dir_(dir) {}

    // Runs change at every crash point. Returns the number of points it has.
    int Run(DiscCatalogue& catalogue, const std::function<void()>& change) {
        Save();
        const std::string before = ShownCatalogue(catalogue);
        EXPECT_EQ(RunChild(change, 0), 0) << "the change does not complete";
        Forget();
        const std::string after = ShownCatalogue(catalogue);
        EXPECT_NE(before, after) << "the change changes nothing";
        const auto afterProblems = CheckCatalogue(dir_);
        EXPECT_TRUE(afterProblems.empty()) << afterProblems.front();
        int points = 0;
        for (int n = 1; n < 10000; ++n) {
            Restore();
            const int status = RunChild(change, n);
            Forget();
            const std::string shown = ShownCatalogue(catalogue);
            EXPECT_TRUE(shown == before || shown == after) << "stopped at point " << n;
            const auto problems = CheckCatalogue(dir_);
            EXPECT_TRUE(problems.empty()) << "stopped at point " << n << ": " << problems.front();
            if (status == 0) {
                break;  // the change completed before reaching point n
            }
            EXPECT_EQ(status, 86) << "point " << n;
            points = n;
            if (::testing::Test::HasFailure()) {
                break;
            }
        }
        return points;
    }

  private:
    int RunChild(const std::function<void()>& change, std::int64_t stopAt) {
        const pid_t child = ::fork();
        if (child == 0) {
            StopAtCrashPoint(stopAt);
            change();
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // What this process cached of files a child changed behind it cannot be trusted.
    static void Forget() { ForgetStampedCaches(); }

    void Save() {
        saved_.clear();
        for (const char* name : {"disc.DAT", "disc.IX", "disc.VLF", "disc.JNL"}) {
            saved_[name] = ReadFileText(dir_ / name);
        }
    }

    void Restore() {
        for (const auto& [name, bytes] : saved_) {
            WriteFileText(dir_ / name, bytes);
        }
        Forget();
    }

    std::filesystem::path dir_;
    std::map<std::string, std::string> saved_;
};

}  // namespace snx::test
