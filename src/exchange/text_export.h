// Writes the whole catalogue, in identity order, to a delimited text file.
#pragma once

#include <cstdint>
#include <filesystem>

#include "catalogue/disc_catalogue.h"
#include "exchange/export_format.h"
#include "exchange/progress.h"

namespace snx {

enum class ExportOutcome {
    Done,
    Declined,      // the file exists and the user would not overwrite it
    CannotCreate,  // "Cannot create file requested." was shown
    WriteFailed,   // "Cannot write to file requested." was shown
    NoCatalogue,   // the record files could not be opened (the catalogue said why)
    Cancelled,     // stopped by the user; nothing was written
};

struct ExportResult {
    ExportOutcome Outcome = ExportOutcome::Done;
    std::int32_t Discs = 0;
};

// The export file of the data directory, in whatever case it exists: the file the export offers
// first.
std::filesystem::path DefaultExportFile();

// Asks before replacing an existing file (of the name given in any case). The file appears whole or
// not at all: an existing one is untouched by any failure. The track tables pass through the
// holder's catTracks.
ExportResult ExportCatalogue(DiscCatalogue& catalogue, const std::filesystem::path& file,
                             const ExportOptions& options, const ExchangeProgress& progress = {},
                             const ExchangeCancel& cancel = {});

}  // namespace snx
