// The delimited text format of the catalogue export: the user's choice of separator, quotes,
// header and track columns, and the header and disc records written in it.
#pragma once

#include <string>

#include "catalogue/disc_record.h"
#include "store/block_file/string_grid.h"

namespace snx {

enum class ExportSeparator {
    Comma,     // "," after each field and a line end after each record
    LineFeed,  // "\r\n" after each field, nothing between records
};

enum class ExportQuote { Double, Single, None };

struct ExportOptions {
    ExportSeparator Separator = ExportSeparator::Comma;
    ExportQuote Quote = ExportQuote::Double;
    bool FixedTracks = true;  // else as many track groups as each disc's TrackCount
    int TrackGroups = 99;     // with FixedTracks: 0 to 99
    bool Header = true;
    bool Times = true;
    bool Names = true;
    bool User1 = false;
    bool User2 = false;

    // The "Sona&trix default" choice: the version 4 record format the import reads back.
    static ExportOptions SonatrixDefault();
    bool AnyTrackField() const { return Times || Names || User1 || User2; }

    bool operator==(const ExportOptions&) const = default;
};

// The header record naming every column; out gets it appended.
void AppendExportHeader(const ExportOptions& options, std::string& out);

// One disc: its fixed fields, then its track groups taken from TrackLengths and from columns 0
// to 2 of rows 1 to 99 of tracks. Texts are written unchanged: other programs read these files.
void AppendExportRecord(const ExportOptions& options, const DiscRecord& record,
                        const StringGrid& tracks, std::string& out);

}  // namespace snx
