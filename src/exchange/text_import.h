// Reads disc records from a text file into the catalogue: new discs are added, known ones left
// alone or merged, and every stored record is flagged Orphan until its disc is next inserted.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "catalogue/disc_catalogue.h"
#include "exchange/import_reader.h"
#include "exchange/progress.h"

namespace snx {

struct ImportOptions {
    ImportFormat Format = ImportFormat::Version4;
    bool Merge = false;  // overwrite records already held with the file's values
};

enum class ImportOutcome {
    Done,          // read to the end, or ended early by a damaged record (Stopped)
    FileNotFound,  // "File not found" was shown
    CannotOpen,    // "Cannot open requested file." was shown
    NoCatalogue,   // the record files could not be opened (the catalogue said why)
};

struct ImportResult {
    ImportOutcome Outcome = ImportOutcome::Done;
    std::int32_t Added = 0;
    std::int32_t Merged = 0;
    std::int32_t Skipped = 0;     // held already and not merged
    bool Stopped = false;         // a record that could not be read ended the import
    std::int32_t StopRecord = 0;  // the record of the file that did, counted from 1
    std::string StopReason;       // why, for the user
    bool Cancelled = false;       // the user ended it; the discs stored so far stay
};

// The file the import offers first: the export's file of the data directory for the record
// formats, "sonatrix.ini" in the Windows directory for the ini file.
std::filesystem::path DefaultImportFile(ImportFormat format);

// What the user is told when an import ended before the end of its file: where, why, and how
// many discs were stored before.
std::string ImportStopMessage(const ImportResult& result);

// The file is found whatever the case of its name. Records pass through the holder's catTracks and
// catMemo. progress steps from 1 to 100 and round again, once per record; cancel is asked before
// each record.
ImportResult ImportCatalogue(DiscCatalogue& catalogue, const std::filesystem::path& file,
                             const ImportOptions& options, const ExchangeProgress& progress = {},
                             const ExchangeCancel& cancel = {});

}  // namespace snx
