// The disc catalogue: "disc.DAT"/"disc.IX" (the records and their six keys) and "disc.VLF" (track
// tables, notes, pictures and samples) in the data directory. Each operation opens the files,
// does its work and closes them; errors are shown through ShowError and the operation goes on.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/disc_record.h"
#include "catalogue/drive_table.h"
#include "catalogue/fvlf.h"
#include "store/record_file/record_file.h"
#include "store/transaction.h"

namespace snx {

constexpr int kDiscRecordKeyCount = 6;

class DiscCatalogue {
  public:
    // drive gives the table of contents for new records; null counts as a drive with no disc.
    // Settings come from AppSettings(): ProgramDirectory, volumes and DeletedRecordsPresent.
    DiscCatalogue(Tfvlf& holder, const DriveTable* drive);
    ~DiscCatalogue();
    DiscCatalogue(const DiscCatalogue&) = delete;
    DiscCatalogue& operator=(const DiscCatalogue&) = delete;

    const std::filesystem::path& DataDirectory() const;
    Tfvlf& Holder() { return holder_; }
    void SetDrive(const DriveTable* drive) { drive_ = drive; }

    // Takes the catalogue's lock for one operation (or a run of them) into scope, telling the
    // user why when it cannot be had (another program keeps it). Reading an absent catalogue
    // takes the write lock, since opening it makes what is missing.
    bool Enter(std::optional<CatalogueScope>& scope, CatalogueAccess access);
    // The catalogue's change counter as the last operation of this object saw it.
    std::uint64_t LastGeneration() const { return lastGeneration_; }

    // Opens "disc" for reading and writing, creating it after the user's confirmation when
    // "disc.DAT" is missing; deleted records on its chain set DeletedRecordsPresent. False when
    // the files stay closed. Opens nest: the files close at the close that matches the first
    // open, so a caller may keep them open across many operations.
    bool OpenDiscFiles();
    void CloseDiscFiles();
    bool FilesOpen() const { return handle_ >= 0; }
    // The record layer's handle of the open pair, -1 when closed.
    int Handle() const { return handle_; }

    bool OpenDiscVlf();
    void CloseDiscVlf();

    // Fills record, tracks, memo and keys for the disc of this identity: from the catalogue
    // when it is there (the result is its record number), else a new record in memory made
    // from the drive's disc (result 0). Nothing is written.
    std::int32_t LoadDiscRecord(std::string_view identity, DiscRecord& record, StringGrid& tracks,
                                TextBox& memo, KeySnapshot& keys);

    // Stores the record with its track table and notes, replacing its index entries of keys 2 to
    // 6 through the snapshot, which is then refreshed. The record's number afterwards (0 when it
    // could not be added).
    std::int32_t StoreDiscRecord(DiscRecord& record, const StringGrid& tracks, const TextBox& memo,
                                 KeySnapshot& keys);

    // For a record made without its disc (an orphan, from an import): takes the track count,
    // track lengths and playing time of the disc in the drive, clears Orphan and stores the
    // record at once. False, changing nothing, for a record that is not an orphan.
    bool AdoptDriveDisc(DiscRecord& record, const StringGrid& tracks, const TextBox& memo,
                        KeySnapshot& keys);

    // Stores the fixed record only; keys 2 to 6 are not touched.
    void WriteDiscRecord(const DiscRecord& record);

    // Puts file into the block at record.*address (a picture or a sample, of that block type),
    // or deletes the block when file is empty, and writes the record: one change, so a crash
    // never leaves a block without its record or a record without its block. False when the
    // address did not change.
    bool StoreDiscBlock(DiscRecord& record, std::int32_t DiscRecord::*address,
                        const std::filesystem::path& file, std::int16_t type);

    // "Error processing disc record file - " + error code + " Code " + key (0 for a record).
    void ReportRecordError(int key);

    // Reads record number into record; false (with the layer's status) when it cannot.
    bool ReadRecord(std::int32_t recordNumber, DiscRecord& record);

    // Deletes the record with its six index entries and its four blocks, sets
    // DeletedRecordsPresent and saves the settings. Requires: the record files are open.
    void DeleteRecordAndBlocks(std::int32_t recordNumber, const DiscRecord& record);

    static void DeleteQuietly(const std::filesystem::path& file);

  private:
    void WriteBlocks(DiscRecord& record, const StringGrid& tracks, const TextBox& memo);
    void SaveSettingsReporting();
    DiscRecord NewRecord(std::string_view identity) const;

    Tfvlf& holder_;
    const DriveTable* drive_;
    int handle_ = -1;
    int filesDepth_ = 0;
    int vlfDepth_ = 0;
    std::uint64_t lastGeneration_ = 0;
    // The settings' directory as a path, made again only when the setting changes.
    mutable std::string directoryText_;
    mutable std::filesystem::path directory_;
};

// The key descriptions of the catalogue's record files: key 1 of 16 without duplicates, keys 2
// to 6 of 20 with duplicates.
std::array<KeyDescription, kDiscRecordKeyCount> DiscKeyDescriptions();

}  // namespace snx
