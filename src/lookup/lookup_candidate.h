// One answer of a music database for a disc, whichever database gave it, and how it fills a
// record the catalogue does not hold yet.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/disc_record.h"
#include "store/block_file/string_grid.h"

namespace snx {

struct LookupCandidate {
    std::string Source;    // "MusicBrainz" or "CDDB"
    std::string SourceId;  // the release id, or "category/discid"
    std::string Name;
    std::string Artist;
    std::string Composer;
    std::string Label;
    std::string Country;
    std::string MusicType;
    int Year = 0;
    std::vector<std::string> Tracks;  // [0] is track 1
    bool FrontCover = false;          // the database holds a front image for it

    bool operator==(const LookupCandidate&) const = default;
};

// Fills the record's names and the track names in column 0 of tracks (rows 1 to the track
// count), each cut to its field's width on a character boundary; what the candidate leaves
// empty keeps what the record has.
void ApplyCandidate(const LookupCandidate& candidate, DiscRecord& record, StringGrid& tracks);

// The candidates as the lookup cache keeps them, and back. Reading gives nothing for a text
// that is not such a list.
std::string CandidatesToJson(const std::vector<LookupCandidate>& candidates);
std::optional<std::vector<LookupCandidate>> CandidatesFromJson(std::string_view text);

}  // namespace snx
