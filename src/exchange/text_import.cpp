#include "exchange/text_import.h"

#include <fstream>

#include "catalogue/record_file.h"
#include "settings/settings.h"
#include "util/user_messages.h"

namespace snx {

namespace {

constexpr int kTrackRows = 100;

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
        return std::filesystem::path(settings.WindowsDirectory) / "sonatrix.ini";
    }
    return std::filesystem::path(settings.ProgramDirectory) / "export.txt";
}

ImportResult ImportCatalogue(DiscCatalogue& catalogue, const std::filesystem::path& file,
                             const ImportOptions& options, const ExchangeProgress& progress,
                             const ExchangeCancel& cancel) {
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
    while (reader.HasMore()) {
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
        if (!code) {
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
            break;
        }
    }
    return result;
}

}  // namespace snx
