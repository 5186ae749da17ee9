#include "catalogue/disc_catalogue.h"

#include <algorithm>
#include <vector>

#include "catalogue/catalogue_swap.h"
#include "settings/file_names.h"
#include "settings/settings.h"
#include "store/status.h"

namespace snx {

namespace {

constexpr const char* kUnknown = "Unknown";

// Whether the file is there under any case of its name.
bool Present(const std::filesystem::path& dir, std::string_view name) {
    return catalogue_files::NameExists(dir, name);
}

// Removes what a sample or picture shown last left in the data directory.
void RemoveShownFiles(const std::filesystem::path& dir) {
    for (const std::string_view name : {data_file::kDiscSample, data_file::kDiscBitmap}) {
        if (const auto file = catalogue_files::ExistingName(dir, name)) {
            DiscCatalogue::DeleteQuietly(*file);
            catalogue_files::NoteDirectoryChange(dir);
        }
    }
}

std::string ErrorCode() {
    return std::to_string(LastRecordStatus().Error);
}

}  // namespace

std::array<KeyDescription, kDiscRecordKeyCount> DiscKeyDescriptions() {
    return {{{static_cast<int>(kIdentityKeyLength), false},
             {static_cast<int>(kTextKeyLength), true},
             {static_cast<int>(kTextKeyLength), true},
             {static_cast<int>(kTextKeyLength), true},
             {static_cast<int>(kTextKeyLength), true},
             {static_cast<int>(kTextKeyLength), true}}};
}

DiscCatalogue::DiscCatalogue(Tfvlf& holder, const DriveTable* drive)
    : holder_(holder), drive_(drive) {
    InstallSwapRecovery();
}

DiscCatalogue::~DiscCatalogue() {
    filesDepth_ = std::min(filesDepth_, 1);
    CloseDiscFiles();
}

const std::filesystem::path& DiscCatalogue::DataDirectory() const {
    const std::string& text = AppSettings().ProgramDirectory;
    if (text != directoryText_ || (text.empty() && !directory_.empty())) {
        directoryText_ = text;
        directory_ = text;
    }
    return directory_;
}

void DiscCatalogue::DeleteQuietly(const std::filesystem::path& file) {
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
}

bool DiscCatalogue::Enter(std::optional<CatalogueScope>& scope, CatalogueAccess access) {
    const std::filesystem::path& dir = DataDirectory();
    const bool outermost = !CatalogueScopeOpen(dir);
    scope.emplace(dir, access);
    // Opening makes what is missing, which only a writer may.
    if (scope->Held() && outermost && access == CatalogueAccess::Read &&
        (!Present(dir, data_file::kDiscRecords) || !Present(dir, data_file::kDiscVlf))) {
        scope.reset();
        scope.emplace(dir, CatalogueAccess::Write);
    }
    if (!scope->Held()) {
        ReportFailure(scope->Failure());
        return false;
    }
    lastGeneration_ = scope->Generation();
    return true;
}

bool DiscCatalogue::OpenDiscFiles() {
    if (handle_ >= 0) {
        ++filesDepth_;
        return true;
    }
    const std::filesystem::path& dir = DataDirectory();
    if (!Present(dir, data_file::kDiscRecords)) {
        if (!AskConsent("Please confirm that a new set of data files are to be created?")) {
            return false;
        }
        const auto keys = DiscKeyDescriptions();
        CreateRecordFiles(dir / data_file::kDiscBase, static_cast<int>(kDiscRecordSize), keys);
    }
    handle_ = OpenRecordFiles(dir / data_file::kDiscBase);
    if (handle_ < 0) {
        const std::string refused = CatalogueOpenRefusal();
        ReportFailure(!refused.empty() ? refused : "Cannot open disc record file - " + ErrorCode());
        return false;
    }
    filesDepth_ = 1;
    // Records deleted by another program or the tool leave space only a rebuild recovers.
    if (DeletedRecs(handle_) > 0 && !AppSettings().DeletedRecordsPresent) {
        AppSettings().DeletedRecordsPresent = true;
        SaveSettingsReporting();
    }
    return true;
}

void DiscCatalogue::CloseDiscFiles() {
    if (handle_ < 0 || --filesDepth_ > 0) {
        return;
    }
    CloseRecordFiles(handle_);
    handle_ = -1;
    if (!LastRecordStatus().Ok) {
        ReportFailure("Cannot close disc record file - " + ErrorCode());
    }
}

bool DiscCatalogue::OpenDiscVlf() {
    if (vlfDepth_ > 0 && holder_.Vlf.IsOpen()) {
        ++vlfDepth_;
        return true;
    }
    const std::filesystem::path& dir = DataDirectory();
    const auto existing = catalogue_files::ExistingName(dir, data_file::kDiscVlf);
    holder_.Vlf.FileName = existing ? *existing : dir / data_file::kDiscVlf;
    if (!holder_.Vlf.Open()) {
        const std::string refused = CatalogueOpenRefusal();
        ReportFailure(!refused.empty() ? refused : "Cannot open VLF file");
        return false;
    }
    vlfDepth_ = 1;
    return true;
}

void DiscCatalogue::CloseDiscVlf() {
    if (vlfDepth_ > 1) {
        --vlfDepth_;
        return;
    }
    vlfDepth_ = 0;
    if (holder_.Vlf.Close() != 0) {
        ReportFailure("Cannot close VLF file");
    }
}

void DiscCatalogue::ReportRecordError(int key) {
    ReportFailure(Status::Failed(
        "Error processing disc record file - " + ErrorCode() + " Code " + std::to_string(key),
        LastRecordStatus().Error));
}

bool DiscCatalogue::ReadRecord(std::int32_t recordNumber, DiscRecord& record) {
    DiscRecordBytes bytes{};
    if (!GetRec(handle_, recordNumber, bytes)) {
        return false;
    }
    record = DecodeDiscRecord(bytes);
    return true;
}

DiscRecord DiscCatalogue::NewRecord(std::string_view identity) const {
    DiscRecord record;
    record.Identity = std::string(identity);
    record.Name = record.Artist = record.Composer = record.MusicType = record.RecordLabel =
        kUnknown;
    if (drive_ != nullptr) {
        record.TrackCount = static_cast<std::int16_t>(drive_->TrackCount());
        for (int track = 1; track <= kMaxTracks; ++track) {
            record.TrackLengths[track - 1] = drive_->TrackLength(track);
        }
        record.PlayingTime = drive_->DiscTotalTime();
    }
    record.SavedVolumeLeft = AppSettings().VolumeLeft;
    record.SavedVolumeRight = AppSettings().VolumeRight;
    return record;
}

std::int32_t DiscCatalogue::LoadDiscRecord(std::string_view identity, DiscRecord& record,
                                           StringGrid& tracks, TextBox& memo, KeySnapshot& keys) {
    // What a disc has before its tables and notes are found.
    bool tracksLoaded = false;
    bool memoLoaded = false;
    const auto blankWhatWasNotLoaded = [&] {
        if (!memoLoaded) {
            memo.Text = std::string(identity);
        }
        if (!tracksLoaded) {
            tracks.Resize(3, 100);
            tracks.ClearCells();
            tracks.SetCell(0, 0, std::string(identity));
        }
    };

    std::optional<CatalogueScope> scope;
    const bool entered = Enter(scope, CatalogueAccess::Read);
    // Under the scope the directory is looked at once for both.
    RemoveShownFiles(DataDirectory());
    if (!entered) {
        record = NewRecord(identity);
        keys = KeySnapshot{};
        blankWhatWasNotLoaded();
        return 0;
    }
    OpenDiscFiles();
    std::int32_t number = FindKey(handle_, kKeyIdentity, KeyText(identity, kKeyIdentity));
    if (number > 0 && !ReadRecord(number, record)) {
        ReportRecordError(0);
        number = 0;
    }
    if (number > 0) {
        OpenDiscVlf();
        keys = KeySnapshot::Of(record);
        // Straight into the caller's tables, whose cells a run of loads reuses; a block that
        // cannot be read leaves them as they were.
        if (record.TracksAddress != 0 && holder_.Vlf.LoadGrid(record.TracksAddress, tracks)) {
            tracks.SetRowCount(100);
            tracksLoaded = true;
        }
        memoLoaded = record.NotesAddress != 0 && holder_.Vlf.LoadText(record.NotesAddress, memo);
        CloseDiscVlf();
    } else {
        record = NewRecord(identity);
        keys = KeySnapshot{};
    }
    CloseDiscFiles();
    blankWhatWasNotLoaded();
    return number;
}

void DiscCatalogue::SaveSettingsReporting() {
    try {
        SaveSettings();
    } catch (const SettingsWriteError& error) {
        ReportFailure(error.what());
    }
}

// Writes the track table and notes, keeping the old address when a write fails so the record
// never loses the link to data it still has.
void DiscCatalogue::WriteBlocks(DiscRecord& record, const StringGrid& tracks, const TextBox& memo) {
    const bool vlfOpen = OpenDiscVlf();
    Settings& settings = AppSettings();
    const bool deletedBefore = settings.DeletedRecordsPresent;
    const auto place = [&](std::int32_t& address, std::int32_t stored) {
        if (stored == 0) {
            if (vlfOpen) {
                ReportFailure("Cannot write to VLF file");
            }
            return;
        }
        // A first block frees nothing; only a moved one leaves space for a rebuild to recover.
        if (address != 0 && stored != address) {
            settings.DeletedRecordsPresent = true;
        }
        address = stored;
    };
    if (vlfOpen) {
        place(record.TracksAddress, holder_.Vlf.StoreGrid(record.TracksAddress, tracks));
        place(record.NotesAddress, holder_.Vlf.StoreText(record.NotesAddress, memo));
    }
    // Rewriting (and flushing) unchanged settings for every disc stored would only cost time,
    // and could put back what another program saved meanwhile.
    if (settings.DeletedRecordsPresent != deletedBefore) {
        SaveSettingsReporting();
    }
    if (vlfOpen) {
        CloseDiscVlf();
    }
}

std::int32_t DiscCatalogue::StoreDiscRecord(DiscRecord& record, const StringGrid& tracks,
                                            const TextBox& memo, KeySnapshot& keys) {
    std::optional<CatalogueScope> scope;
    if (!Enter(scope, CatalogueAccess::Write)) {
        return 0;
    }
    OpenDiscFiles();
    WriteBlocks(record, tracks, memo);

    std::int32_t number = FindKey(handle_, kKeyIdentity, KeyText(record.Identity, kKeyIdentity));
    const DiscRecordBytes bytes = EncodeDiscRecord(record);
    if (number > 0) {
        if (!PutRec(handle_, number, bytes)) {
            ReportRecordError(0);
        }
        for (int key = kKeyComposer; key <= kKeyMusicType; ++key) {
            DeleteKey(handle_, key, number, keys.Key(key));
        }
    } else {
        number = AddRec(handle_, bytes);
        if (number <= 0) {
            ReportRecordError(0);
            CloseDiscFiles();
            return 0;
        }
        if (!AddKey(handle_, kKeyIdentity, number, KeyText(record.Identity, kKeyIdentity))) {
            ReportRecordError(kKeyIdentity);
        }
    }
    keys = KeySnapshot::Of(record);
    for (int key = kKeyComposer; key <= kKeyMusicType; ++key) {
        if (!AddKey(handle_, key, number, keys.Key(key))) {
            ReportRecordError(key);
        }
    }
    CloseDiscFiles();
    // A store whose commit failed was undone: it must not look stored.
    return scope->Commit() ? number : 0;
}

bool DiscCatalogue::AdoptDriveDisc(DiscRecord& record, const StringGrid& tracks,
                                   const TextBox& memo, KeySnapshot& keys) {
    if (!record.Orphan) {
        return false;
    }
    const DiscRecord fromDrive = NewRecord(record.Identity);
    record.Orphan = false;
    record.TrackCount = fromDrive.TrackCount;
    record.TrackLengths = fromDrive.TrackLengths;
    record.PlayingTime = fromDrive.PlayingTime;
    StoreDiscRecord(record, tracks, memo, keys);
    return true;
}

void DiscCatalogue::WriteDiscRecord(const DiscRecord& record) {
    std::optional<CatalogueScope> scope;
    if (!Enter(scope, CatalogueAccess::Write)) {
        return;
    }
    OpenDiscFiles();
    const DiscRecordBytes bytes = EncodeDiscRecord(record);
    const std::int32_t number =
        FindKey(handle_, kKeyIdentity, KeyText(record.Identity, kKeyIdentity));
    if (number > 0) {
        if (!PutRec(handle_, number, bytes)) {
            ReportRecordError(0);
        }
    } else {
        const std::int32_t added = AddRec(handle_, bytes);
        if (added <= 0) {
            ReportRecordError(0);
        } else if (!AddKey(handle_, kKeyIdentity, added, KeyText(record.Identity, kKeyIdentity))) {
            ReportRecordError(kKeyIdentity);
        }
    }
    CloseDiscFiles();
}

bool DiscCatalogue::StoreDiscBlock(DiscRecord& record, std::int32_t DiscRecord::*address,
                                   const std::filesystem::path& file, std::int16_t type) {
    std::optional<CatalogueScope> scope;
    if (!Enter(scope, CatalogueAccess::Write) || !OpenDiscVlf()) {
        return false;
    }
    const std::int32_t old = record.*address;
    if (file.empty()) {
        if (old != 0) {
            holder_.Vlf.DeleteBlock(old);
        }
        record.*address = 0;
    } else {
        record.*address = holder_.Vlf.StoreFile(old, file, type);
    }
    CloseDiscVlf();
    if (record.*address == old) {
        return false;
    }
    AppSettings().DeletedRecordsPresent = true;
    WriteDiscRecord(record);
    return true;
}

void DiscCatalogue::DeleteRecordAndBlocks(std::int32_t recordNumber, const DiscRecord& record) {
    if (!DeleteRec(handle_, recordNumber)) {
        ReportRecordError(0);
    }
    for (int key = kKeyIdentity; key <= kKeyMusicType; ++key) {
        if (!DeleteKey(handle_, key, recordNumber, KeyText(KeyField(record, key), key))) {
            ReportRecordError(key);
        }
    }
    const bool vlfOpen = OpenDiscVlf();
    const struct {
        std::int32_t Address;
        const char* Failure;
    } blocks[] = {{record.TracksAddress, "Error deleting tracks."},
                  {record.NotesAddress, "Error deleting memo."},
                  {record.SampleAddress, "Error deleting wave."},
                  {record.BitmapAddress, "Error deleting bitmap."}};
    for (const auto& block : blocks) {
        if (block.Address != 0 && (!vlfOpen || holder_.Vlf.DeleteBlock(block.Address) != 1)) {
            ReportFailure(block.Failure);
        }
    }
    if (vlfOpen) {
        CloseDiscVlf();
    }
    AppSettings().DeletedRecordsPresent = true;
    SaveSettingsReporting();
}

}  // namespace snx
