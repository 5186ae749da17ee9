// The catalogue browser's tree: every disc record in the order of one key, flat by name or
// grouped under headings of composer, artist, record label or music type, optionally filtered.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/disc_catalogue.h"

namespace snx {

enum class BrowseView { Name, Composer, Artist, Label, Type };

// The key whose order a view follows.
int BrowseKey(BrowseView view);

struct BrowseFilter {
    bool Apply = false;
    // Upper-case texts as the user typed them; each one that is not blank after trimming can
    // show a record.
    std::string Name;       // in Name, User1, User2, Composer, Artist, RecordLabel
    std::string Reference;  // in Reference
    std::string Track;      // in any column of tracks 1..TrackCount
};

enum class NodePicture { List = 0, Cd = 1, Sound = 2, Orphan = 3 };

struct BrowseNode {
    bool Heading = false;
    std::string Text;               // the heading's group value or the disc's Name (bytes)
    std::int32_t RecordNumber = 0;  // disc nodes only
    std::string Identity;           // disc nodes only
    NodePicture Picture = NodePicture::List;
    std::vector<BrowseNode> Children;
};

// Walks the view's key from its start. Track texts are read into the holder's catTracks.
std::vector<BrowseNode> BuildBrowseTree(DiscCatalogue& catalogue, BrowseView view,
                                        const BrowseFilter& filter);

// Whether the record passes the filter, given its track table.
bool MatchesFilter(const DiscRecord& record, const StringGrid& tracks, const BrowseFilter& filter);

struct CatalogueCounts {
    std::int32_t Discs = 0;    // entries of key 1
    bool UnusedSpace = false;  // deleted records or freed blocks a rebuild would recover
};
CatalogueCounts CountCatalogue(DiscCatalogue& catalogue);

// The question the browser and the tool ask before deleting the disc of that node text.
std::string DeleteQuestion(std::string_view nodeText);

// The browser's delete of a disc node, once the user agreed to DeleteQuestion: refuses the record
// of the disc in the drive, then deletes the record, its six index entries and its four blocks.
// True when the record was deleted.
bool DeleteCatalogueRecord(DiscCatalogue& catalogue, std::int32_t recordNumber,
                           std::string_view driveIdentity);

}  // namespace snx
