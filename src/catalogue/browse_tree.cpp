#include "catalogue/browse_tree.h"

#include <algorithm>

#include "player/user_messages.h"
#include "settings/settings.h"
#include "util/text.h"

namespace snx {

namespace {

bool Blank(std::string_view text) {
    return TrimBlanks(text).empty();
}

bool Occurs(std::string_view needle, std::string_view field) {
    return UpperAscii(field).find(needle) != std::string::npos;
}

const std::string& GroupValue(const DiscRecord& record, BrowseView view) {
    switch (view) {
        case BrowseView::Composer:
            return record.Composer;
        case BrowseView::Artist:
            return record.Artist;
        case BrowseView::Label:
            return record.RecordLabel;
        case BrowseView::Type:
            return record.MusicType;
        case BrowseView::Name:
            break;
    }
    return record.Name;
}

NodePicture PictureOf(const DiscRecord& record) {
    if (record.Orphan) {
        return NodePicture::Orphan;
    }
    return record.SampleAddress != 0 ? NodePicture::Sound : NodePicture::Cd;
}

// The record's track table as the browser filters it: identity in (0,0), stored cells, 100 rows.
// Requires: vlf is open, or the record has no table.
void LoadTracks(TVlf& vlf, const DiscRecord& record, StringGrid& tracks) {
    tracks.Resize(3, 100);
    tracks.ClearCells();
    tracks.SetCell(0, 0, record.Identity);
    StringGrid loaded;
    if (record.TracksAddress != 0 && vlf.IsOpen() && vlf.LoadGrid(record.TracksAddress, loaded)) {
        tracks = std::move(loaded);
        tracks.SetRowCount(100);
    }
}

}  // namespace

int BrowseKey(BrowseView view) {
    switch (view) {
        case BrowseView::Composer:
            return kKeyComposer;
        case BrowseView::Artist:
            return kKeyArtist;
        case BrowseView::Label:
            return kKeyRecordLabel;
        case BrowseView::Type:
            return kKeyMusicType;
        case BrowseView::Name:
            break;
    }
    return kKeyName;
}

bool MatchesFilter(const DiscRecord& record, const StringGrid& tracks, const BrowseFilter& filter) {
    if (!filter.Apply) {
        return true;
    }
    if (!Blank(filter.Name)) {
        for (const std::string* field : {&record.Name, &record.User1, &record.User2,
                                         &record.Composer, &record.Artist, &record.RecordLabel}) {
            if (Occurs(filter.Name, *field)) {
                return true;
            }
        }
    }
    if (!Blank(filter.Reference) && Occurs(filter.Reference, record.Reference)) {
        return true;
    }
    if (!Blank(filter.Track)) {
        const int last = std::clamp<int>(record.TrackCount, 0, kMaxTracks);
        for (int row = 1; row <= last; ++row) {
            for (int column = 0; column < 3; ++column) {
                if (Occurs(filter.Track, tracks.Cell(column, row))) {
                    return true;
                }
            }
        }
    }
    return false;
}

std::vector<BrowseNode> BuildBrowseTree(DiscCatalogue& catalogue, BrowseView view,
                                        const BrowseFilter& filter) {
    std::vector<BrowseNode> tree;
    if (!catalogue.OpenDiscFiles()) {
        return tree;
    }
    const int handle = catalogue.Handle();
    const int key = BrowseKey(view);
    const bool needTracks = filter.Apply && !Blank(filter.Track);
    // One open of the block file serves the whole walk.
    if (needTracks) {
        catalogue.OpenDiscVlf();
    }
    StringGrid& tracks = catalogue.Holder().catTracks;
    std::string lastHeading = "#######";
    bool haveHeading = false;
    ClearKey(handle, key);
    std::int32_t number = 0;
    std::string text;
    // Bounded by the key's entry count, so a damaged index cannot loop for ever.
    for (std::int32_t left = UsedKeys(handle, key); left > 0 && NextKey(handle, key, number, text);
         --left) {
        DiscRecord record;
        if (!catalogue.ReadRecord(number, record)) {
            catalogue.ReportRecordError(0);
            continue;
        }
        if (needTracks) {
            LoadTracks(catalogue.Holder().Vlf, record, tracks);
        }
        if (!MatchesFilter(record, tracks, filter)) {
            continue;
        }
        BrowseNode disc{false, record.Name, number, record.Identity, PictureOf(record), {}};
        if (view == BrowseView::Name) {
            tree.push_back(std::move(disc));
            continue;
        }
        const std::string& group = GroupValue(record, view);
        if (!haveHeading || group != lastHeading) {
            tree.push_back(BrowseNode{true, group, 0, {}, NodePicture::List, {}});
            lastHeading = group;
            haveHeading = true;
        }
        tree.back().Children.push_back(std::move(disc));
    }
    if (needTracks && catalogue.Holder().Vlf.IsOpen()) {
        catalogue.CloseDiscVlf();
    }
    catalogue.CloseDiscFiles();
    return tree;
}

CatalogueCounts CountCatalogue(DiscCatalogue& catalogue) {
    CatalogueCounts counts;
    if (catalogue.OpenDiscFiles()) {
        counts.Discs = UsedKeys(catalogue.Handle(), kKeyIdentity);
        counts.UnusedSpace =
            counts.Discs + 1 != UsedRecs(catalogue.Handle()) || AppSettings().DeletedRecordsPresent;
        catalogue.CloseDiscFiles();
    }
    return counts;
}

bool DeleteCatalogueRecord(DiscCatalogue& catalogue, std::int32_t recordNumber,
                           std::string_view nodeText, std::string_view driveIdentity) {
    if (!Confirm("Would you like to delete the CD data record called " + std::string(nodeText) +
                 "?")) {
        return false;
    }
    if (!catalogue.OpenDiscFiles()) {
        return false;
    }
    DiscRecord record;
    if (!catalogue.ReadRecord(recordNumber, record)) {
        catalogue.ReportRecordError(0);
        catalogue.CloseDiscFiles();
        return false;
    }
    if (!driveIdentity.empty() && record.Identity == driveIdentity) {
        ShowError("You cannot delete the data record for the CD currently inserted.");
        catalogue.CloseDiscFiles();
        return false;
    }
    catalogue.DeleteRecordAndBlocks(recordNumber, record);
    catalogue.CloseDiscFiles();
    return true;
}

}  // namespace snx
