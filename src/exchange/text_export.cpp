#include "exchange/text_export.h"

#include <optional>
#include <string>

#include "settings/file_names.h"
#include "settings/settings.h"
#include "store/record_file/record_file.h"
#include "util/atomic_file.h"
#include "util/user_messages.h"

namespace snx {

namespace {

// Records are gathered into blocks of about this size before each write.
constexpr std::size_t kWriteChunk = 256 * 1024;

void Report(const ExchangeProgress& progress, int percent) {
    if (progress) {
        progress(percent);
    }
}

// cell (0,0) the identity, all else empty, then the stored table over it when there is one.
void LoadTracks(Tfvlf& holder, const DiscRecord& record) {
    StringGrid& tracks = holder.catTracks;
    tracks.Resize(3, 100);
    tracks.ClearCells();
    tracks.SetCell(0, 0, record.Identity);
    if (record.TracksAddress != 0 && holder.Vlf.LoadGrid(record.TracksAddress, tracks)) {
        tracks.SetRowCount(100);
    }
}

// Walks key 1 writing every disc; false when the writer failed. cancelled: the user stopped it.
bool WriteDiscs(DiscCatalogue& catalogue, AtomicFileWriter& writer, std::string& buffer,
                const ExportOptions& options, const ExchangeProgress& progress,
                const ExchangeCancel& cancel, bool& cancelled, std::int32_t& written) {
    const int handle = catalogue.Handle();
    const std::int32_t total = UsedKeys(handle, kKeyIdentity);
    const bool vlfOpen = catalogue.OpenDiscVlf();
    std::int32_t done = 0;
    std::int32_t number = 0;
    std::string key;
    bool ok = true;
    ClearKey(handle, kKeyIdentity);
    while (ok && NextKey(handle, kKeyIdentity, number, key)) {
        if (cancel && cancel()) {
            cancelled = true;
            break;
        }
        ++done;
        Report(progress, static_cast<int>((static_cast<std::int64_t>(done) * 200 + total) /
                                          (2 * static_cast<std::int64_t>(total))));
        DiscRecord record;
        if (!catalogue.ReadRecord(number, record)) {
            catalogue.ReportRecordError(0);
            continue;
        }
        if (vlfOpen) {
            LoadTracks(catalogue.Holder(), record);
        }
        AppendExportRecord(options, record, catalogue.Holder().catTracks, buffer);
        ++written;
        if (buffer.size() >= kWriteChunk) {
            try {
                writer.Write(buffer);
            } catch (const FileWriteError&) {
                ok = false;
            }
            buffer.clear();
        }
    }
    if (vlfOpen) {
        catalogue.CloseDiscVlf();
    }
    return ok;
}

}  // namespace

std::filesystem::path DefaultExportFile() {
    return ResolveFileName(AppSettings().ProgramDirectory, data_file::kExport);
}

ExportResult ExportCatalogue(DiscCatalogue& catalogue, const std::filesystem::path& named,
                             const ExportOptions& options, const ExchangeProgress& progress,
                             const ExchangeCancel& cancel) {
    // A file of the same name in another case is the one replaced, never a second one beside it.
    const std::filesystem::path file = ResolvePath(named);
    ExportResult result;
    std::error_code ignored;
    if (std::filesystem::exists(file, ignored) &&
        !Confirm("File exists - do you wish to overwrite it?")) {
        result.Outcome = ExportOutcome::Declined;
        return result;
    }
    std::optional<AtomicFileWriter> writer;
    try {
        writer.emplace(file);
    } catch (const FileWriteError&) {
        ShowError("Cannot create file requested.");
        result.Outcome = ExportOutcome::CannotCreate;
        return result;
    }
    Report(progress, 0);

    std::string buffer;
    if (options.Header) {
        AppendExportHeader(options, buffer);
    }
    // Without the record files the export would silently replace a good file with an empty one.
    std::optional<CatalogueScope> scope;
    if (!catalogue.Enter(scope, CatalogueAccess::Read) || !catalogue.OpenDiscFiles()) {
        result.Outcome = ExportOutcome::NoCatalogue;
        return result;
    }
    bool cancelled = false;
    const bool discsWritten =
        WriteDiscs(catalogue, *writer, buffer, options, progress, cancel, cancelled, result.Discs);
    catalogue.CloseDiscFiles();
    // The uncommitted writer takes its temporary file with it: the old file stays as it was.
    if (cancelled) {
        result.Outcome = ExportOutcome::Cancelled;
        result.Discs = 0;
        return result;
    }
    try {
        if (!discsWritten) {
            throw FileWriteError("write failed");
        }
        writer->Write(buffer);
        writer->Commit();
    } catch (const FileWriteError&) {
        ShowError("Cannot write to file requested.");
        result.Outcome = ExportOutcome::WriteFailed;
        result.Discs = 0;
    }
    return result;
}

}  // namespace snx
