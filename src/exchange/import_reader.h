// The readers of the three import formats: the version 4 record format (the export's default
// choice), the older version 3 record format, and the disc sections of a player's ini file.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/disc_record.h"
#include "exchange/line_reader.h"
#include "store/block_file/string_grid.h"

namespace snx {

enum class ImportFormat { Version4, Version3, Ini };

enum class ReadOutcome {
    Complete,
    Failed,   // the record is not to be stored and the import ends
    Partial,  // what was read is to be stored, then the import ends
};

// A disc code as matched and stored: 1 to 15 hexadecimal digits (old players named their ini
// sections so) are upper-cased and padded with "0" to the 16 of an identity; longer codes are
// cut to 16; others are kept.
std::string NormaliseDiscCode(std::string_view code);

// The values a record being imported starts from: "Unknown" names, 30 tracks of no length and
// the volumes of the settings.
DiscRecord NewImportRecord(std::string_view identity);

// Integers may have leading blanks; nullopt for anything else than a whole number.
std::optional<std::int64_t> ParseImportInteger(std::string_view text);

// Reads records one at a time, keeping the line that lies between two records (an ini file's
// next section header).
class ImportReader {
  public:
    ImportReader(std::istream& in, ImportFormat format) : lines_(in), format_(format) {}

    // Whether another record may follow.
    bool HasMore();
    // The next record's disc code (normalised); nullopt when there is none: the end of the file
    // (blank lines skipped), a read error, or an ini section that failed.
    std::optional<std::string> NextCode();
    // Reads the rest of the record over record and rows 1 to 99 of tracks, which hold either a
    // new record's values or the stored record to be merged.
    ReadOutcome ReadBody(DiscRecord& record, StringGrid& tracks);
    // Why the last record could not be read whole, for the user; empty when nothing failed.
    const std::string& Failure() const { return failure_; }

  private:
    bool ReadLine(std::string& line);
    ReadOutcome ReadVersion4(DiscRecord& record, StringGrid& tracks);
    ReadOutcome ReadVersion3(DiscRecord& record, StringGrid& tracks);
    ReadOutcome ReadIni(DiscRecord& record, StringGrid& tracks);

    LineReader lines_;
    ImportFormat format_;
    std::string current_;
    // Set by an ini section cut short by a read error: no further record is read. A flag of its
    // own, so no line of the file, "[" included, can end the import.
    bool ended_ = false;
    std::string failure_;
};

}  // namespace snx
