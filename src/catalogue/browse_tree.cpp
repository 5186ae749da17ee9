#include "catalogue/browse_tree.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "settings/settings.h"
#include "store/status.h"
#include "util/text.h"

namespace snx {

namespace {

bool Blank(std::string_view text) {
    return TrimBlanks(text).empty();
}

bool Occurs(std::string_view needle, std::string_view field) {
    return ContainsUpper(field, needle);
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

namespace {

// The filter, with the track search given as a function of the needle and the last track row.
template <typename TracksContain>
bool Matches(const DiscRecord& record, const BrowseFilter& filter, TracksContain tracksContain) {
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
    return !Blank(filter.Track) &&
           tracksContain(filter.Track, std::clamp<int>(record.TrackCount, 0, kMaxTracks));
}

bool InTrackColumns(std::int32_t column, std::int32_t row, int lastRow) {
    return column >= 0 && column < 3 && row >= 1 && row <= lastRow;
}

}  // namespace

bool MatchesFilter(const DiscRecord& record, const StringGrid& tracks, const BrowseFilter& filter) {
    return Matches(record, filter, [&](std::string_view needle, int lastRow) {
        for (int row = 1; row <= lastRow; ++row) {
            for (int column = 0; column < 3; ++column) {
                if (Occurs(needle, tracks.Cell(column, row))) {
                    return true;
                }
            }
        }
        return false;
    });
}

namespace {

// What the tree keeps of a record it shows.
struct ShownDisc {
    std::string Name;
    std::string Identity;
    std::string Group;
    NodePicture Picture = NodePicture::Cd;
};

// 38 KB a read: few reads, and the records are still in the processor's cache when decoded.
constexpr std::int32_t kRecordsPerRead = 32;

// Visits every record the key names, in record-number order and read many at a time, so a walk
// over a large catalogue makes few reads; only the fields a list reads are decoded. Records that
// cannot be read are reported and skipped.
template <typename Visit>
void ReadNamedRecords(DiscCatalogue& catalogue, const std::vector<bool>& named, Visit visit) {
    const int handle = catalogue.Handle();
    std::vector<std::uint8_t> chunk(kDiscRecordSize * kRecordsPerRead);
    const auto last = static_cast<std::int32_t>(named.size()) - 1;
    DiscRecord record;  // one for all, its strings' space reused
    for (std::int32_t first = 1; first <= last; first += kRecordsPerRead) {
        const std::int32_t read = GetRecs(handle, first, chunk);
        for (std::int32_t i = 0; i < kRecordsPerRead && first + i <= last; ++i) {
            const std::int32_t number = first + i;
            if (!named[static_cast<std::size_t>(number)]) {
                continue;
            }
            if (i < read) {
                DecodeListedFields(std::span<const std::uint8_t, kDiscRecordSize>(
                                       chunk.data() + static_cast<std::size_t>(i) * kDiscRecordSize,
                                       kDiscRecordSize),
                                   record);
            } else if (!catalogue.ReadRecord(number, record)) {
                catalogue.ReportRecordError(0);
                continue;
            }
            visit(number, record);
        }
    }
}

}  // namespace

std::vector<BrowseNode> BuildBrowseTree(DiscCatalogue& catalogue, BrowseView view,
                                        const BrowseFilter& filter) {
    std::vector<BrowseNode> tree;
    std::optional<CatalogueScope> scope;
    if (!catalogue.Enter(scope, CatalogueAccess::Read) || !catalogue.OpenDiscFiles()) {
        return tree;
    }
    const int handle = catalogue.Handle();
    const int key = BrowseKey(view);

    // The key's order first; the records are then read in file order.
    std::vector<std::int32_t> order;
    std::vector<bool> named(static_cast<std::size_t>(std::max(UsedRecs(handle), 1)), false);
    ClearKey(handle, key);
    std::int32_t number = 0;
    std::string text;
    // Bounded by the key's entry count, so a damaged index cannot loop for ever.
    for (std::int32_t left = UsedKeys(handle, key); left > 0 && NextKey(handle, key, number, text);
         --left) {
        if (number >= 1 && static_cast<std::size_t>(number) < named.size()) {
            order.push_back(number);
            named[static_cast<std::size_t>(number)] = true;
        } else {
            catalogue.ReportRecordError(0);
        }
    }

    const bool needTracks = filter.Apply && !Blank(filter.Track);
    // Discs that only their track tables can show, by table address: decided after the records,
    // in one sequential pass over the block file.
    struct TrackSearch {
        std::int32_t RecordNumber = 0;
        std::int32_t Address = 0;
        int LastRow = 0;
        ShownDisc Disc;
        bool Found = false;
    };
    std::vector<TrackSearch> searches;
    std::unordered_map<std::int32_t, std::size_t> searchAt;
    // By record number (every one below named.size()): a lookup per node costs nothing.
    std::vector<std::optional<ShownDisc>> shown(named.size());
    ReadNamedRecords(catalogue, named, [&](std::int32_t recordNumber, const DiscRecord& record) {
        const auto disc = [&] {
            return ShownDisc{record.Name, record.Identity, GroupValue(record, view),
                             PictureOf(record)};
        };
        const bool matches = Matches(record, filter, [&](std::string_view, int lastRow) {
            if (record.TracksAddress != 0) {
                searchAt.emplace(record.TracksAddress, searches.size());
                searches.push_back({recordNumber, record.TracksAddress, lastRow, disc(), false});
            }
            return false;
        });
        if (matches) {
            shown[static_cast<std::size_t>(recordNumber)] = disc();
        }
    });
    if (needTracks && !searches.empty() && catalogue.OpenDiscVlf()) {
        TVlf& vlf = catalogue.Holder().Vlf;
        const std::string_view needle = filter.Track;
        std::int32_t lastAddress = 0;
        TrackSearch* search = nullptr;
        const auto visit = [&](std::int32_t address, std::int32_t column, std::int32_t row,
                               std::string_view cell) {
            if (address != lastAddress) {
                lastAddress = address;
                const auto found = searchAt.find(address);
                search = found != searchAt.end() ? &searches[found->second] : nullptr;
            }
            if (search != nullptr && !search->Found &&
                InTrackColumns(column, row, search->LastRow) && Occurs(needle, cell)) {
                search->Found = true;
            }
        };
        std::int32_t lastTable = 0;
        for (const TrackSearch& each : searches) {
            lastTable = std::max(lastTable, each.Address);
        }
        const bool walked = vlf.VisitAllGridCells(visit, lastTable);
        // A damaged file stops the walk; a table it did not reach, or one that two records
        // share, is read on its own.
        for (std::size_t i = 0; i < searches.size(); ++i) {
            TrackSearch& each = searches[i];
            if (!each.Found && (!walked || searchAt[each.Address] != i)) {
                vlf.VisitGridCells(each.Address, [&](std::int32_t column, std::int32_t row,
                                                     std::string_view cell) {
                    each.Found = each.Found || (InTrackColumns(column, row, each.LastRow) &&
                                                Occurs(needle, cell));
                });
            }
        }
        catalogue.CloseDiscVlf();
    }
    for (TrackSearch& search : searches) {
        if (search.Found) {
            shown[static_cast<std::size_t>(search.RecordNumber)] = std::move(search.Disc);
        }
    }
    catalogue.CloseDiscFiles();

    // The shown discs in the key's order, so that each list of nodes is made at its full size.
    std::vector<ShownDisc*> listed;
    listed.reserve(order.size());
    std::vector<std::int32_t> numbers;
    numbers.reserve(order.size());
    for (std::int32_t recordNumber : order) {
        if (std::optional<ShownDisc>& found = shown[static_cast<std::size_t>(recordNumber)]) {
            listed.push_back(&*found);
            numbers.push_back(recordNumber);
        }
    }
    const auto node = [&](std::size_t i) {
        ShownDisc& disc = *listed[i];
        return BrowseNode{
            false, std::move(disc.Name), numbers[i], std::move(disc.Identity), disc.Picture, {}};
    };
    if (view == BrowseView::Name) {
        tree.reserve(listed.size());
        for (std::size_t i = 0; i < listed.size(); ++i) {
            tree.push_back(node(i));
        }
        return tree;
    }
    // Under a heading for each run of one group value.
    for (std::size_t first = 0; first < listed.size();) {
        std::size_t end = first + 1;
        while (end < listed.size() && listed[end]->Group == listed[first]->Group) {
            ++end;
        }
        BrowseNode& heading = tree.emplace_back(
            BrowseNode{true, std::move(listed[first]->Group), 0, {}, NodePicture::List, {}});
        heading.Children.reserve(end - first);
        for (std::size_t i = first; i < end; ++i) {
            heading.Children.push_back(node(i));
        }
        first = end;
    }
    return tree;
}

CatalogueCounts CountCatalogue(DiscCatalogue& catalogue) {
    CatalogueCounts counts;
    std::optional<CatalogueScope> scope;
    if (catalogue.Enter(scope, CatalogueAccess::Read) && catalogue.OpenDiscFiles()) {
        counts.Discs = UsedKeys(catalogue.Handle(), kKeyIdentity);
        counts.UnusedSpace =
            counts.Discs + 1 != UsedRecs(catalogue.Handle()) || AppSettings().DeletedRecordsPresent;
        catalogue.CloseDiscFiles();
    }
    return counts;
}

std::string DeleteQuestion(std::string_view nodeText) {
    // The node's text is the stored bytes, which may be Windows-1252.
    return "Would you like to delete the CD data record called " + StoredTextToUtf8(nodeText) + "?";
}

bool DeleteCatalogueRecord(DiscCatalogue& catalogue, std::int32_t recordNumber,
                           std::string_view driveIdentity) {
    std::optional<CatalogueScope> scope;
    if (!catalogue.Enter(scope, CatalogueAccess::Write) || !catalogue.OpenDiscFiles()) {
        return false;
    }
    DiscRecord record;
    if (!catalogue.ReadRecord(recordNumber, record)) {
        catalogue.ReportRecordError(0);
        catalogue.CloseDiscFiles();
        return false;
    }
    if (!driveIdentity.empty() && record.Identity == driveIdentity) {
        ReportFailure("You cannot delete the data record for the CD currently inserted.");
        catalogue.CloseDiscFiles();
        return false;
    }
    catalogue.DeleteRecordAndBlocks(recordNumber, record);
    catalogue.CloseDiscFiles();
    return true;
}

}  // namespace snx
