#include "exchange/text_import.h"

#include <chrono>
#include <fstream>

#include "settings/file_names.h"
#include "settings/settings.h"
#include "store/record_file/record_file.h"
#include "util/user_messages.h"

namespace snx {

namespace {

constexpr int kTrackRows = 100;
// An import commits in batches: a crash loses at most the last one, and the flushes of a commit
// are paid once a batch rather than once a disc.
constexpr int kBatchDiscs = 300;
constexpr auto kBatchTime = std::chrono::seconds(1);

// Whether key 1 holds the code, with the record files opened for that look only.
bool Held(DiscCatalogue& catalogue, const std::string& code) {
    if (!catalogue.OpenDiscFiles()) {
        return false;
    }
    const bool found = FindKey(catalogue.Handle(), kKeyIdentity, KeyText(code, kKeyIdentity)) > 0;
    catalogue.CloseDiscFiles();
    return found;
}

}  // namespace

std::filesystem::path DefaultImportFile(ImportFormat format) {
    const Settings& settings = AppSettings();
    if (format == ImportFormat::Ini) {
        return ResolveFileName(settings.WindowsDirectory, "sonatrix.ini");
    }
    return ResolveFileName(settings.ProgramDirectory, data_file::kExport);
}

std::string ImportStopMessage(const ImportResult& result) {
    std::string where = "The import stopped";
    if (result.StopRecord > 0) {
        where += " at record " + std::to_string(result.StopRecord) + " of the file";
    }
    return where + ": " + result.StopReason + " - " + std::to_string(result.Added + result.Merged) +
           " discs were stored.";
}

ImportResult ImportCatalogue(DiscCatalogue& catalogue, const std::filesystem::path& named,
                             const ImportOptions& options, const ExchangeProgress& progress,
                             const ExchangeCancel& cancel) {
    const std::filesystem::path file = ResolvePath(named);
    ImportResult result;
    std::error_code ignored;
    if (!std::filesystem::exists(file, ignored)) {
        ShowError("File not found");
        result.Outcome = ImportOutcome::FileNotFound;
        return result;
    }
    std::ifstream in;
    if (std::filesystem::is_regular_file(file, ignored)) {
        in.open(file, std::ios::binary);
    }
    if (!in.is_open()) {
        ShowError("Cannot open requested file.");
        result.Outcome = ImportOutcome::CannotOpen;
        return result;
    }
    std::optional<CatalogueScope> scope;
    if (!catalogue.Enter(scope, CatalogueAccess::Write)) {
        result.Outcome = ImportOutcome::NoCatalogue;
        return result;
    }
    // Created after confirmation when missing; without them nothing could be stored.
    if (!catalogue.OpenDiscFiles()) {
        result.Outcome = ImportOutcome::NoCatalogue;
        return result;
    }
    catalogue.CloseDiscFiles();
    if (progress) {
        progress(0);
    }

    Tfvlf& holder = catalogue.Holder();
    ImportReader reader(in, options.Format);
    int step = 0;
    std::int32_t records = 0;
    ImportResult committed = result;
    auto batchStart = std::chrono::steady_clock::now();
    // The files stay open for a batch, and are closed for its commit.
    const auto holdFiles = [&] {
        catalogue.OpenDiscFiles();
        catalogue.OpenDiscVlf();
    };
    const auto releaseFiles = [&] {
        catalogue.CloseDiscVlf();
        catalogue.CloseDiscFiles();
    };
    // A batch that cannot be committed is undone whole: it is not counted, and the import stops.
    const auto commit = [&] {
        releaseFiles();
        const bool committedNow = scope->Commit();
        holdFiles();
        if (!committedNow) {
            result.Added = committed.Added;
            result.Merged = committed.Merged;
            result.Skipped = committed.Skipped;
            result.Stopped = true;
            result.StopReason = "the catalogue could not be written";
            return false;
        }
        committed = result;
        batchStart = std::chrono::steady_clock::now();
        return true;
    };
    holdFiles();
    while (reader.HasMore()) {
        const int batch = (result.Added + result.Merged + result.Skipped) -
                          (committed.Added + committed.Merged + committed.Skipped);
        if ((batch >= kBatchDiscs || std::chrono::steady_clock::now() - batchStart >= kBatchTime) &&
            !commit()) {
            releaseFiles();
            return result;
        }
        if (cancel && cancel()) {
            result.Cancelled = true;
            break;
        }
        step = step % 100 + 1;
        if (progress) {
            progress(step);
        }
        DiscRecord record = NewImportRecord("");
        holder.catTracks.Resize(3, kTrackRows);
        holder.catTracks.ClearCells();
        holder.catMemo.Text.clear();

        const std::optional<std::string> code = reader.NextCode();
        ++records;
        if (!code) {
            if (!reader.Failure().empty()) {
                result.Stopped = true;
                result.StopRecord = records;
                result.StopReason = reader.Failure();
            }
            break;
        }
        KeySnapshot keys;
        const bool held = Held(catalogue, *code);
        // An unreadable stored record was reported; the file's values go over fresh ones.
        if (held &&
            catalogue.LoadDiscRecord(*code, record, holder.catTracks, holder.catMemo, keys) == 0) {
            record = NewImportRecord("");
        }
        if (!held) {
            holder.catTracks.SetCell(0, 0, *code);
            holder.catMemo.SetLines({*code});
        }
        record.Identity = *code;

        const ReadOutcome outcome = reader.ReadBody(record, holder.catTracks);
        if (outcome == ReadOutcome::Failed) {
            result.Stopped = true;
            result.StopRecord = records;
            result.StopReason = reader.Failure();
            break;
        }
        record.Orphan = true;
        if (!held || options.Merge) {
            catalogue.StoreDiscRecord(record, holder.catTracks, holder.catMemo, keys);
            ++(held ? result.Merged : result.Added);
        } else {
            ++result.Skipped;
        }
        if (outcome == ReadOutcome::Partial) {
            result.Stopped = true;
            result.StopRecord = records;
            result.StopReason = reader.Failure();
            break;
        }
    }
    commit();
    releaseFiles();
    return result;
}

}  // namespace snx
