#include "catalogue/rebuild.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "settings/file_names.h"
#include "settings/settings.h"
#include "store/status.h"

namespace snx {

namespace {

constexpr const char* kNewFilesUnwritten =
    "Cannot write the new catalogue files; the catalogue is left as it was.";

class Rebuild {
  public:
    Rebuild(DiscCatalogue& catalogue, const RebuildHooks& hooks)
        : catalogue_(catalogue),
          holder_(catalogue.Holder()),
          hooks_(hooks),
          dir_(catalogue.DataDirectory()) {}

    ~Rebuild() {
        CloseAll();
        if (!done_) {
            RemoveRebuildFiles(dir_);
        }
    }

    bool Run() {
        RecoverCatalogueSwap(dir_);
        RemoveRebuildFiles(dir_);
        holder_.Vlf2.FileName = dir_ / data_file::kRebuildVlf;
        // The new set is the rebuild's alone until the swap: written out in large pieces.
        holder_.Vlf2.KeepWritesUntilClose = true;
        if (!holder_.Vlf2.Open()) {
            ReportFailure("Cannot open new VLF file");
            return false;
        }
        const auto keys = DiscKeyDescriptions();
        CreateRecordFiles(dir_ / data_file::kRebuildBase, static_cast<int>(kDiscRecordSize), keys);
        fresh_ = OpenNewRecordFiles(dir_ / data_file::kRebuildBase);
        if (!Opened(fresh_)) {
            return false;
        }
        Progress(0);
        old_ = OpenRecordFiles(dir_ / data_file::kDiscBase);
        if (!Opened(old_)) {
            return false;
        }
        const std::int32_t records = UsedRecs(old_) - 1;
        totalSteps_ = 2 * std::max<std::int32_t>(records, 0);
        CopyRecords(records);
        CloseRecordFiles(old_);
        old_ = -1;
        if (cancelled_) {
            return false;
        }
        holder_.Vlf.FileName = ResolveFileName(dir_, data_file::kDiscVlf);
        if (!holder_.Vlf.Open()) {
            ReportFailure("Cannot open VLF file");
            return false;
        }
        CopyItems();
        const bool written = CloseAll();
        if (cancelled_) {
            return false;
        }
        if (!written) {
            ReportFailure(kNewFilesUnwritten);
            return false;
        }
        try {
            SwapInRebuiltCatalogue(dir_, hooks_.Checkpoint);
        } catch (const std::exception& error) {
            ReportFailure(error.what());
            return false;
        }
        done_ = true;
        AppSettings().DeletedRecordsPresent = false;
        try {
            SaveSettings();
        } catch (const SettingsWriteError& error) {
            ReportFailure(error.what());
        }
        Progress(100);
        return true;
    }

  private:
    // Whether a pair opened; the user is told when not.
    static bool Opened(int handle) {
        if (handle >= 0) {
            return true;
        }
        ReportFailure(Status::Failed(
            "Cannot open disc record file - " + std::to_string(LastRecordStatus().Error),
            LastRecordStatus().Error));
        return false;
    }

    // False once the user has cancelled: the pass stops.
    bool Step() {
        if (hooks_.Cancelled && hooks_.Cancelled()) {
            cancelled_ = true;
            return false;
        }
        ++step_;
        if (totalSteps_ > 0) {
            Progress(static_cast<int>(std::lround(step_ * 100.0 / totalSteps_)));
        }
        if (hooks_.Checkpoint) {
            hooks_.Checkpoint("record");
        }
        return true;
    }

    void Progress(int percent) {
        if (hooks_.Progress) {
            hooks_.Progress(percent);
        }
    }

    // First pass: every live record into the new file, with its six keys.
    void CopyRecords(std::int32_t records) {
        // Read a run of records at a time; one that a run cannot give is read alone, so its
        // error is the one reported.
        constexpr std::int32_t kRun = 64;
        std::vector<std::uint8_t> run(kRun * kDiscRecordSize);
        std::int32_t first = 1;
        std::int32_t count = 0;
        DiscRecordBytes bytes{};
        for (std::int32_t number = 1; number <= records && Step(); ++number) {
            if (number >= first + count) {
                first = number;
                const auto wanted = static_cast<std::size_t>(std::min(kRun, records - number + 1));
                count = GetRecs(old_, number, std::span(run).first(wanted * kDiscRecordSize));
            }
            if (number < first + count) {
                const std::size_t place =
                    static_cast<std::size_t>(number - first) * kDiscRecordSize;
                std::copy_n(run.data() + place, kDiscRecordSize, bytes.begin());
            } else if (!GetRec(old_, number, bytes)) {
                catalogue_.ReportRecordError(0);
                continue;
            }
            DiscRecord record = DecodeDiscRecord(bytes);
            if (record.status != 0) {
                continue;
            }
            const std::int32_t added = AddRec(fresh_, bytes);
            if (added <= 0) {
                catalogue_.ReportRecordError(0);
                continue;
            }
            if (!AddKey(fresh_, kKeyIdentity, added, KeyText(record.Identity, kKeyIdentity))) {
                if (LastRecordStatus().Error == kErrAddKey) {
                    KeepDuplicate(number, added, record);
                } else {
                    catalogue_.ReportRecordError(kKeyIdentity);
                }
            }
            for (int key = kKeyIdentity + 1; key <= kKeyMusicType; ++key) {
                if (!AddKey(fresh_, key, added, KeyText(KeyField(record, key), key))) {
                    catalogue_.ReportRecordError(key);
                }
            }
        }
    }

    // A second live record of one identity (a damaged or hand-edited file) stays a disc of its
    // own: it takes an identity no disc has and waits, unattached, for the browser's Attach.
    void KeepDuplicate(std::int32_t oldNumber, std::int32_t added, DiscRecord& record) {
        const std::string identity = record.Identity;
        for (std::int32_t n = added;; ++n) {
            std::string spare = std::to_string(n);
            spare = "DUPLICATE" + std::string(kIdentityWidth - 9 - spare.size(), '0') + spare;
            if (AddKey(fresh_, kKeyIdentity, added, KeyText(spare, kKeyIdentity))) {
                record.Identity = spare;
                record.Orphan = true;
                break;
            }
            if (LastRecordStatus().Error != kErrAddKey) {
                catalogue_.ReportRecordError(kKeyIdentity);
                return;
            }
        }
        if (!PutRec(fresh_, added, EncodeDiscRecord(record))) {
            catalogue_.ReportRecordError(0);
        }
        ReportFailure("Record " + std::to_string(oldNumber) + " has the disc identity " + identity +
                      " of another record; it is kept as " + record.Identity + ".");
    }

    // Second pass, in identity order: each record's items into the new block file. Records the
    // first pass could not key are reached by their numbers afterwards, so none keeps links into
    // the old file.
    void CopyItems() {
        std::vector<bool> copied(static_cast<std::size_t>(std::max(UsedRecs(fresh_), 1)));
        ClearKey(fresh_, kKeyIdentity);
        std::int32_t number = 0;
        std::string text;
        for (std::int32_t left = UsedKeys(fresh_, kKeyIdentity);
             left > 0 && NextKey(fresh_, kKeyIdentity, number, text) && Step(); --left) {
            if (number > 0 && static_cast<std::size_t>(number) < copied.size()) {
                copied[static_cast<std::size_t>(number)] = true;
            }
            CopyItemsOf(number);
        }
        for (std::size_t n = 1; n < copied.size() && !cancelled_; ++n) {
            if (!copied[n] && Step()) {
                CopyItemsOf(static_cast<std::int32_t>(n));
            }
        }
    }

    void CopyItemsOf(std::int32_t number) {
        DiscRecordBytes bytes{};
        if (!GetRec(fresh_, number, bytes)) {
            catalogue_.ReportRecordError(0);
            return;
        }
        DiscRecord record = DecodeDiscRecord(bytes);
        if (record.TracksAddress != 0) {
            StringGrid& grid = holder_.catTracks;
            grid.Resize(0, 0);
            holder_.Vlf.LoadGrid(record.TracksAddress, grid);
            record.TracksAddress = holder_.Vlf2.StoreGrid(0, grid);
        }
        if (record.NotesAddress != 0) {
            TextBox& memo = holder_.catMemo;
            memo.Text.clear();
            holder_.Vlf.LoadText(record.NotesAddress, memo);
            record.NotesAddress = holder_.Vlf2.StoreText(0, memo);
        }
        record.BitmapAddress = CopyFileItem(record.BitmapAddress, TVlf::kTypeBitmap);
        record.SampleAddress = CopyFileItem(record.SampleAddress, TVlf::kTypeSample);
        if (!PutRec(fresh_, number, EncodeDiscRecord(record))) {
            catalogue_.ReportRecordError(0);
        }
    }

    // Pictures and samples go from block to block in large pieces: a sample never sits in
    // memory whole, and no temporary file is written and read back.
    std::int32_t CopyFileItem(std::int32_t address, std::int16_t type) {
        return address == 0 ? 0 : holder_.Vlf2.CopyBlockFrom(holder_.Vlf, address, type);
    }

    // Closes every file; false when the new files could not all be written.
    bool CloseAll() {
        bool written = true;
        if (old_ >= 0) {
            CloseRecordFiles(old_);
            old_ = -1;
        }
        if (fresh_ >= 0) {
            CloseRecordFiles(fresh_);
            written = LastRecordStatus().Ok;
            fresh_ = -1;
        }
        if (holder_.Vlf.IsOpen()) {
            holder_.Vlf.Close();
        }
        if (holder_.Vlf2.IsOpen()) {
            written = holder_.Vlf2.Close() == 0 && written;
        }
        return written;
    }

    DiscCatalogue& catalogue_;
    Tfvlf& holder_;
    const RebuildHooks& hooks_;
    std::filesystem::path dir_;
    int old_ = -1;
    int fresh_ = -1;
    std::int32_t step_ = 0;
    std::int32_t totalSteps_ = 0;
    bool done_ = false;
    bool cancelled_ = false;
};

}  // namespace

bool RebuildCatalogue(DiscCatalogue& catalogue, std::string_view driveIdentity,
                      const RebuildHooks& hooks) {
    if (!driveIdentity.empty()) {
        ReportFailure(kRemoveDiscToRebuild);
        return false;
    }
    catalogue.CloseDiscFiles();
    // No other program may read or change the catalogue until the new set is in place.
    std::optional<CatalogueScope> scope;
    if (!catalogue.Enter(scope, CatalogueAccess::Write)) {
        return false;
    }
    Rebuild rebuild(catalogue, hooks);
    return rebuild.Run();
}

}  // namespace snx
