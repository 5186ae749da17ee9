#include "catalogue/rebuild.h"

#include <cmath>

#include "settings/file_names.h"
#include "settings/settings.h"
#include "util/user_messages.h"

namespace snx {

namespace {

std::string ErrorCode() {
    return std::to_string(LastRecordStatus().Error);
}

void ReportAt(int place) {
    ShowError("Error processing disc record file - " + ErrorCode() + " Code " +
              std::to_string(place));
}

class Rebuild {
  public:
    Rebuild(DiscCatalogue& catalogue, const RebuildHooks& hooks)
        : holder_(catalogue.Holder()), hooks_(hooks), dir_(catalogue.DataDirectory()) {}

    ~Rebuild() {
        CloseAll();
        if (!done_) {
            RemoveRebuildFiles(dir_);
        }
        DiscCatalogue::DeleteQuietly(ResolveFileName(dir_, data_file::kDiscBitmap));
        DiscCatalogue::DeleteQuietly(ResolveFileName(dir_, data_file::kDiscSample));
    }

    bool Run() {
        RecoverCatalogueSwap(dir_);
        RemoveRebuildFiles(dir_);
        holder_.Vlf2.FileName = dir_ / data_file::kRebuildVlf;
        if (!holder_.Vlf2.Open()) {
            ShowError("Cannot open new VLF file");
            return false;
        }
        const auto keys = DiscKeyDescriptions();
        CreateRecordFiles(dir_ / data_file::kRebuildBase, static_cast<int>(kDiscRecordSize), keys);
        fresh_ = OpenRecordFiles(dir_ / data_file::kRebuildBase);
        if (fresh_ < 0) {
            ShowError("Cannot open disc record file - " + ErrorCode());
            return false;
        }
        Progress(0);
        old_ = OpenRecordFiles(dir_ / data_file::kDiscBase);
        if (old_ < 0) {
            ShowError("Cannot open disc record file - " + ErrorCode());
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
            ShowError("Cannot open VLF file");
            return false;
        }
        CopyItems();
        CloseAll();
        if (cancelled_) {
            return false;
        }
        try {
            SwapInRebuiltCatalogue(dir_, hooks_.Checkpoint);
        } catch (const std::exception& error) {
            ShowError(error.what());
            return false;
        }
        done_ = true;
        AppSettings().DeletedRecordsPresent = false;
        try {
            SaveSettings();
        } catch (const SettingsWriteError& error) {
            ShowError(error.what());
        }
        Progress(100);
        return true;
    }

  private:
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
        DiscRecordBytes bytes{};
        for (std::int32_t number = 1; number <= records && Step(); ++number) {
            if (!GetRec(old_, number, bytes)) {
                ReportAt(0);
                continue;
            }
            const DiscRecord record = DecodeDiscRecord(bytes);
            if (record.status != 0) {
                continue;
            }
            const std::int32_t added = AddRec(fresh_, bytes);
            if (added <= 0) {
                ReportAt(0);
                continue;
            }
            for (int key = kKeyIdentity; key <= kKeyMusicType; ++key) {
                if (!AddKey(fresh_, key, added, KeyText(KeyField(record, key), key))) {
                    ReportAt(key);
                }
            }
        }
    }

    // Second pass, in identity order: each record's items into the new block file.
    void CopyItems() {
        ClearKey(fresh_, kKeyIdentity);
        std::int32_t number = 0;
        std::string text;
        for (std::int32_t left = UsedKeys(fresh_, kKeyIdentity);
             left > 0 && NextKey(fresh_, kKeyIdentity, number, text) && Step(); --left) {
            DiscRecordBytes bytes{};
            if (!GetRec(fresh_, number, bytes)) {
                ReportAt(0);
                continue;
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
            record.BitmapAddress =
                CopyFileItem(record.BitmapAddress, data_file::kDiscBitmap, TVlf::kTypeBitmap);
            record.SampleAddress =
                CopyFileItem(record.SampleAddress, data_file::kDiscSample, TVlf::kTypeSample);
            if (!PutRec(fresh_, number, EncodeDiscRecord(record))) {
                ReportAt(0);
            }
        }
    }

    // Pictures and samples pass through a file, so a large sample never sits in memory whole.
    std::int32_t CopyFileItem(std::int32_t address, std::string_view name, std::int16_t type) {
        if (address == 0) {
            return 0;
        }
        const std::filesystem::path file = ResolveFileName(dir_, name);
        DiscCatalogue::DeleteQuietly(file);
        holder_.Vlf.ExtractFile(address, file, 0);
        return holder_.Vlf2.StoreFile(0, file, type);
    }

    void CloseAll() {
        if (old_ >= 0) {
            CloseRecordFiles(old_);
            old_ = -1;
        }
        if (fresh_ >= 0) {
            CloseRecordFiles(fresh_);
            fresh_ = -1;
        }
        if (holder_.Vlf.IsOpen()) {
            holder_.Vlf.Close();
        }
        if (holder_.Vlf2.IsOpen()) {
            holder_.Vlf2.Close();
        }
    }

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
        ShowError("Please remove CD before selecting this option.");
        return false;
    }
    if (!Confirm("This routine will pack the CD catalog recovering unused space. Only proceed if "
                 "you have a backup of your data files. Do you wish to continue?")) {
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
