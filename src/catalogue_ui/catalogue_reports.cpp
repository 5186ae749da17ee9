#include "catalogue_ui/catalogue_reports.h"

#include <QLocale>
#include <algorithm>
#include <optional>

#include "catalogue_ui/print_layer.h"
#include "settings/file_names.h"
#include "settings/settings.h"
#include "util/text.h"
#include "util/user_messages.h"

namespace snx {

namespace {

std::string Shown(std::string_view stored) {
    return StoredTextToUtf8(stored);
}

// Steps down the lines of one report, starting a new page with its header when the line
// reaches the foot of the page.
class ReportPen {
  public:
    explicit ReportPen(PrintLayer& layer) : layer_(layer) {}
    virtual ~ReportPen() = default;

    int Line() const { return line_; }
    int Limit() const { return layer_.Grid().LinesPerPage - 2; }

    void NextLine() {
        ++line_;
        if (!inHeader_ && line_ >= Limit()) {
            BreakPage();
        }
    }

    void BreakPage() {
        layer_.NewPage();
        PageHeader();
    }

    // Starts a new page first when rows lines would run past the foot and the page holds more
    // than its header.
    void KeepTogether(int rows) {
        if (line_ + rows > Limit() && line_ > bodyTop_) {
            BreakPage();
        }
    }

    void PageHeader() {
        const QFont font = layer_.CurrentFont();
        inHeader_ = true;
        layer_.Plain();
        layer_.ScaleFont(1, 1);
        DrawHeader();
        inHeader_ = false;
        bodyTop_ = line_;
        layer_.SetCurrentFont(font);
    }

    // Prints wrapped lines one a line from column, each step a NextLine.
    void PrintLines(const std::vector<std::string>& lines, int column, int width) {
        for (const std::string& text : lines) {
            layer_.Write(text, column, line_, width);
            NextLine();
        }
    }

  protected:
    virtual void DrawHeader() = 0;

    PrintLayer& layer_;
    int line_ = 0;
    int bodyTop_ = 0;
    bool inHeader_ = false;
};

class SheetPen final : public ReportPen {
  public:
    SheetPen(PrintLayer& layer, const DiscSheet& sheet, int width)
        : ReportPen(layer), sheet_(sheet), width_(width) {
        const Settings& settings = AppSettings();
        printPicture_ = settings.PrintBitmap && sheet.Record.BitmapAddress != 0;
        labelColumn_ = printPicture_ ? 26 : 8;
    }

    void Body(const std::string& collector) {
        const DiscRecord& record = sheet_.Record;
        PageHeader();
        // The notes block keeps the identity line out, so a notes text of that line alone (as
        // the editor stores for a disc without notes) prints no empty block.
        const bool hasNotes = record.NotesAddress != 0 &&
                              std::any_of(sheet_.Notes.begin(), sheet_.Notes.end(),
                                          [](const std::string& line) { return !line.empty(); });
        if (hasNotes) {
            layer_.Bold();
            layer_.Write("Notes:", 8, line_, 10);
            layer_.Plain();
            NextLine();
            std::vector<std::string> notes;
            for (const std::string& line : sheet_.Notes) {
                notes.push_back(Shown(line));
            }
            PrintLines(layer_.WrapLines(notes, width_ - 8), 8, width_ - 8);
            layer_.Rule(line_, 7, width_);
            NextLine();
        }

        const Settings& settings = AppSettings();
        const int titleWidth = sheet_.UserFields ? 35 : 60;
        layer_.Bold();
        layer_.Write("Track", 8, line_, 6);
        layer_.Write("Length", 14, line_, 6);
        layer_.Write("Name", 20, line_, 6);
        if (sheet_.UserFields) {
            layer_.Write(Shown(settings.TrackUser1Label), 55, line_, 35);
            layer_.Write(Shown(settings.TrackUser2Label), 90, line_, 35);
        }
        NextLine();
        layer_.Plain();
        layer_.Rule(line_, 7, width_);
        NextLine();

        const int tracks = std::clamp<int>(record.TrackCount, 0, kMaxTracks);
        for (int n = 1; n <= tracks && !layer_.Aborted(); ++n) {
            const auto cell = [&](int column, int width) {
                return layer_.WrapLines({Shown(sheet_.Tracks.Cell(column, n))}, width);
            };
            const std::vector<std::string> title = cell(0, titleWidth);
            std::vector<std::string> user1;
            std::vector<std::string> user2;
            if (sheet_.UserFields) {
                user1 = cell(1, 34);
                user2 = cell(2, 34);
            }
            const std::size_t rows = std::max({title.size(), user1.size(), user2.size()});
            KeepTogether(static_cast<int>(rows));
            for (std::size_t i = 0; i < rows; ++i) {
                if (i == 0) {
                    layer_.Write(std::to_string(n), 10, line_, 4);
                    layer_.Write(FormatMinSec(MsfToMinSec(record.TrackLengths[n - 1])), 15, line_,
                                 5);
                }
                if (i < title.size()) {
                    layer_.Write(title[i], 20, line_, titleWidth);
                }
                if (i < user1.size()) {
                    layer_.Write(user1[i], 55, line_, 34);
                }
                if (i < user2.size()) {
                    layer_.Write(user2[i], 90, line_, 34);
                }
                NextLine();
            }
        }
        layer_.Rule(line_, 7, width_);
        NextLine();
        layer_.ScaleFont(2, 3);
        layer_.Write("Collector: " + Shown(collector), 8, line_, 80);
    }

  private:
    void Row(const std::string& label, std::string_view value) {
        layer_.Write(label, labelColumn_, line_, 12);
        const int valueColumn = labelColumn_ + 12;
        const int valueWidth = width_ - labelColumn_ - 12;
        PrintLines(layer_.WrapLines({Shown(value)}, valueWidth), valueColumn, valueWidth);
    }

    void DrawHeader() override {
        const DiscRecord& record = sheet_.Record;
        const Settings& settings = AppSettings();
        const int valueColumn = labelColumn_ + 12;
        const int valueWidth = width_ - labelColumn_ - 12;
        layer_.Write("Page: " + std::to_string(layer_.PageNumber()), width_ - 7, 1, 7);
        line_ = 2;
        layer_.ScaleFont(4, 3);
        layer_.Write("Name:", labelColumn_, line_, 12);
        PrintLines(layer_.WrapLines({Shown(record.Name)}, valueWidth), valueColumn, valueWidth);
        NextLine();
        layer_.ScaleFont(1, 1);
        Row("Composer:", record.Composer);
        Row("Artist:", record.Artist);
        Row(Shown(settings.DiscUser1Label) + ":", record.User1);
        Row(Shown(settings.DiscUser2Label) + ":", record.User2);
        Row("Music type:", record.MusicType);
        Row("Disc reference:", record.Reference);
        if (record.Year > 0) {
            Row("Year:", std::to_string(record.Year));
        } else {
            NextLine();
        }
        layer_.Rule(line_, 7, width_);
        NextLine();
        layer_.Write("Tracks: " + std::to_string(record.TrackCount), 8, line_, 20);
        layer_.Write("PlayingTime: " + FormatMinSec(record.PlayingTime), 26, line_, 20);
        // The rest of the line: 20 cells cut a 16-character identity in wider fonts.
        layer_.Write("Disk ID: " + CutText(Shown(record.Identity), 25), 52, line_, width_ - 52);
        NextLine();
        layer_.Rule(line_, 7, width_);
        NextLine();
        if (printPicture_ && !sheet_.Picture.isNull()) {
            layer_.DrawPicture(sheet_.Picture, 8, 2, 24, 11);
        }
    }

    const DiscSheet& sheet_;
    int width_;
    int labelColumn_ = 8;
    bool printPicture_ = false;
};

class ListingPen final : public ReportPen {
  public:
    ListingPen(PrintLayer& layer, DiscCatalogue& catalogue, BrowseView view,
               const std::string& collector, const QDate& date)
        : ReportPen(layer),
          catalogue_(catalogue),
          title_("CD Catalogue" + SortPhrase(view)),
          byline_("Collector: " + Shown(collector) + " - Printed on " +
                  PrintedDate(date).toStdString()) {}

    void Print(const std::vector<BrowseNode>& nodes) {
        for (const BrowseNode& node : nodes) {
            if (layer_.Aborted()) {
                return;
            }
            if (node.Heading) {
                Heading(node.Text);
            } else {
                Disc(node);
            }
            Print(node.Children);
        }
    }

    void Close() { layer_.Rule(line_, 0, kListingColumns); }

  private:
    void Heading(const std::string& text) {
        if (line_ >= layer_.Grid().LinesPerPage - 6) {
            BreakPage();
        }
        layer_.Bold();
        layer_.ScaleFont(4, 3);
        layer_.Write(Shown(text), 15, line_, 100);
        line_ += 2;
        layer_.Plain();
        layer_.ScaleFont(1, 1);
    }

    void Disc(const BrowseNode& node) {
        DiscRecord record;
        if (!catalogue_.ReadRecord(node.RecordNumber, record)) {
            catalogue_.ReportRecordError(0);
            return;
        }
        struct Column {
            const std::string& Text;
            int At;
            int Width;
        };
        const Column columns[] = {{record.Reference, 1, 14},
                                  {record.Name, 15, 35},
                                  {record.Composer, 50, 25},
                                  {record.Artist, 76, 25},
                                  {record.MusicType, 104, 18}};
        std::vector<std::string> wrapped[std::size(columns)];
        std::size_t rows = 1;
        for (std::size_t c = 0; c < std::size(columns); ++c) {
            wrapped[c] = layer_.WrapLines({Shown(columns[c].Text)}, columns[c].Width);
            rows = std::max(rows, wrapped[c].size());
        }
        KeepTogether(static_cast<int>(rows));
        for (std::size_t c = 0; c < std::size(columns); ++c) {
            for (std::size_t i = 0; i < wrapped[c].size(); ++i) {
                layer_.Write(wrapped[c][i], columns[c].At, line_ + static_cast<int>(i),
                             columns[c].Width);
            }
        }
        if (record.Year > 0) {
            layer_.WriteRight(std::to_string(record.Year), 123, line_, 5);
        }
        layer_.WriteRight(FormatMinSec(record.PlayingTime), 129, line_, 6);
        line_ += static_cast<int>(rows) + 1;
        if (line_ >= Limit()) {
            BreakPage();
        }
    }

    void DrawHeader() override {
        layer_.ShowPage(layer_.PageNumber());
        layer_.Write("Page: " + std::to_string(layer_.PageNumber()), 128, 1, 7);
        line_ = 2;
        layer_.ScaleFont(4, 3);
        layer_.Write(title_, 1, line_, 100);
        line_ += 2;
        layer_.ScaleFont(1, 1);
        layer_.Write(byline_, 1, line_, kListingColumns - 1);
        ++line_;
        layer_.Rule(line_, 0, kListingColumns);
        ++line_;
        layer_.Bold();
        layer_.Write("Reference", 1, line_, 15);
        layer_.Write("Name", 15, line_, 15);
        layer_.Write("Composer", 50, line_, 15);
        layer_.Write("Artist", 76, line_, 15);
        layer_.Write("Music type", 104, line_, 15);
        layer_.WriteRight("Year", 123, line_, 5);
        layer_.WriteRight("Length", 129, line_, 6);
        ++line_;
        layer_.Plain();
        layer_.Rule(line_, 0, kListingColumns);
        ++line_;
    }

    DiscCatalogue& catalogue_;
    std::string title_;
    std::string byline_;
};

}  // namespace

QString PrintedDate(const QDate& date) {
    return QLocale().toString(date, QStringLiteral("d MMMM yyyy"));
}

bool LoadDiscSheet(DiscCatalogue& catalogue, std::int32_t recordNumber, bool userFields,
                   DiscSheet& sheet) {
    if (!catalogue.OpenDiscFiles()) {
        return false;
    }
    DiscRecord record;
    const bool read = catalogue.ReadRecord(recordNumber, record);
    if (!read) {
        catalogue.ReportRecordError(0);
    }
    catalogue.CloseDiscFiles();
    if (!read) {
        return false;
    }
    KeySnapshot keys;
    Tfvlf& holder = catalogue.Holder();
    catalogue.LoadDiscRecord(record.Identity, sheet.Record, holder.catTracks, holder.catMemo, keys);
    sheet.Tracks = holder.catTracks;
    sheet.Notes = holder.catMemo.Lines();
    if (!sheet.Notes.empty() && sheet.Notes.front() == sheet.Record.Identity) {
        sheet.Notes.erase(sheet.Notes.begin());
    }
    sheet.UserFields = userFields;
    sheet.Picture = QImage();
    if (sheet.Record.BitmapAddress != 0 && AppSettings().PrintBitmap) {
        const auto file = ResolveFileName(catalogue.DataDirectory(), data_file::kDiscBitmap);
        DiscCatalogue::DeleteQuietly(file);
        if (catalogue.OpenDiscVlf()) {
            holder.Vlf.ExtractFile(sheet.Record.BitmapAddress, file, 0);
            catalogue.CloseDiscVlf();
        }
        // A picture that cannot be read is left out.
        sheet.Picture.load(QString::fromStdString(file.string()));
        // Left behind, the handset would show it as the picture of the disc in the drive.
        DiscCatalogue::DeleteQuietly(file);
    }
    return true;
}

bool PrintDiscSheet(PrintLayer& layer, const DiscSheet& sheet, const std::string& collector) {
    const int width = sheet.UserFields ? kSheetColumnsWithUserFields : kSheetColumns;
    if (!layer.BeginReport(QStringLiteral("Single CD print"), QPageLayout::Portrait, width)) {
        return false;
    }
    SheetPen pen(layer, sheet, width);
    pen.Body(collector);
    layer.EndReport();
    return true;
}

void PrintSelectedDisc(PrintLayer& layer, DiscCatalogue& catalogue, const BrowseNode* selected,
                       const std::string& collector) {
    if (selected == nullptr || selected->Heading) {
        ShowError("Please first select the CD to be printed.");
        return;
    }
    DiscSheet sheet;
    if (!LoadDiscSheet(catalogue, selected->RecordNumber, false, sheet)) {
        return;
    }
    sheet.UserFields =
        Confirm("Do you wish to include the user defined fields for the track listing?");
    PrintDiscSheet(layer, sheet, collector);
}

bool PrintCatalogueListing(PrintLayer& layer, DiscCatalogue& catalogue,
                           std::vector<BrowseNode> tree, BrowseView view,
                           const std::string& collector, const QDate& date) {
    if (!layer.BeginReport(QStringLiteral("CD catalogue"), QPageLayout::Portrait,
                           kListingColumns)) {
        return false;
    }
    // One read lock for the whole listing, so every disc comes from the same catalogue; files
    // that cannot be opened end the report here rather than failing once for every disc.
    std::optional<CatalogueScope> scope;
    if (!catalogue.Enter(scope, CatalogueAccess::Read) || !catalogue.OpenDiscFiles()) {
        layer.Abort();
        layer.EndReport();
        return false;
    }
    ListingPen pen(layer, catalogue, view, collector, date);
    pen.PageHeader();
    pen.Print(tree);
    pen.Close();
    layer.EndReport();
    catalogue.CloseDiscFiles();
    return true;
}

}  // namespace snx
