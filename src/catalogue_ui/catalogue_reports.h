// The catalogue's two printed reports over the print layer: the sheet of one disc (its data,
// picture, notes and tracks) and the listing of the catalogue in the browse tree's order. They
// take what they print as parameters, so the browser's buttons and the command line share them.
#pragma once

#include <QDate>
#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/browse_tree.h"
#include "catalogue/disc_catalogue.h"
#include "settings/settings.h"

namespace snx {

class PrintLayer;

constexpr int kSheetColumns = 80;
constexpr int kSheetColumnsWithUserFields = 125;
constexpr int kListingColumns = 135;

struct DiscSheet {
    DiscRecord Record;
    StringGrid Tracks{3, 100};
    std::vector<std::string> Notes;  // stored bytes, one entry a line
    bool UserFields = false;
    QImage Picture;  // null when there is none to print
};

// The sheet of record number recordNumber: the record, its tracks and notes (without the first
// line, which repeats the identity) and, when PrintBitmap is set, its picture, passing through
// "disc.bmp" in the data directory, which is gone again afterwards. False when the record cannot
// be read.
bool LoadDiscSheet(DiscCatalogue& catalogue, std::int32_t recordNumber, bool userFields,
                   DiscSheet& sheet);

// Prints the sheet, headed "Collector: " + collector at its foot. False when the print dialog
// was cancelled.
bool PrintDiscSheet(PrintLayer& layer, const DiscSheet& sheet, const std::string& collector);

// The browser's "CD" button: selected is the selected node (null for none). Asks whether the
// track listing takes the user fields, then prints the sheet. The collector is the one the
// configuration names unless the caller gives another.
void PrintSelectedDisc(PrintLayer& layer, DiscCatalogue& catalogue, const BrowseNode* selected,
                       const std::string& collector = EffectiveCollectorName(AppSettings()));

// The browser's "Catalogue" button: every node of tree in order, each disc read from the
// catalogue by its record number. The tree is the report's own copy, since the caller's may
// change while the report lets events through. view gives the sort phrase of the header, date
// the day it shows; by default the configured collector and today. False, with no document,
// when the print dialog was cancelled or the catalogue could not be opened.
bool PrintCatalogueListing(PrintLayer& layer, DiscCatalogue& catalogue,
                           std::vector<BrowseNode> tree, BrowseView view,
                           const std::string& collector = EffectiveCollectorName(AppSettings()),
                           const QDate& date = QDate::currentDate());

// "d mmmm yyyy": 8 December 2026.
QString PrintedDate(const QDate& date);

}  // namespace snx
