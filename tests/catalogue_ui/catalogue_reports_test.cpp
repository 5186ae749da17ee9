// The printed reports, written to PDF and read back as poppler lays the text out.
#include "catalogue_ui/catalogue_reports.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <sstream>

#include "catalogue_ui/print_layer.h"
#include "catalogue_ui/printing_dlg.h"
#include "store/block_file/vlf.h"
#include "tests/support/boxes.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/keyboard_map.h"
#include "tests/support/locale_scope.h"
#include "tests/support/user_input.h"

namespace snx {
namespace {

namespace fs = std::filesystem;

std::string Output(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run " << command;
        return out;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    EXPECT_EQ(WEXITSTATUS(::pclose(pipe)), 0) << command << " (needs poppler-utils)";
    return out;
}

// The text of each page, as pdftotext -layout places it.
std::vector<std::string> PdfPages(const fs::path& pdf) {
    std::string text = Output("pdftotext -layout '" + pdf.string() + "' -");
    std::vector<std::string> pages;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find('\f', at)) != std::string::npos; at = end + 1) {
        pages.push_back(text.substr(at, end - at));
    }
    return pages;
}

std::vector<std::string> LinesOf(const std::string& page) {
    std::vector<std::string> lines;
    std::istringstream in(page);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string Trimmed(const std::string& line) {
    const auto first = line.find_first_not_of(' ');
    return first == std::string::npos ? ""
                                      : line.substr(first, line.find_last_not_of(' ') - first + 1);
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

struct WordBox {
    std::string Text;
    double XMin = 0;
    double YMin = 0;
    double XMax = 0;
    double YMax = 0;
};

// The words of the first page where poppler places them, in points. It reads text a clip hides
// too, so what is really drawn needs the rendered page.
std::vector<WordBox> FirstPageWords(const fs::path& pdf) {
    const std::string boxes = Output("pdftotext -f 1 -l 1 -bbox '" + pdf.string() + "' -");
    std::vector<WordBox> words;
    for (std::size_t at = boxes.find("<word "); at != std::string::npos;
         at = boxes.find("<word ", at + 1)) {
        const std::size_t close = boxes.find('>', at);
        const std::string tag = boxes.substr(at, close - at);
        // Read whatever the locale: stod would stop at the point under a comma locale.
        const auto attribute = [&tag](const char* name) {
            const auto found = tag.find(std::string(name) + "=\"");
            if (found == std::string::npos) {
                return -1.0;
            }
            std::string number = tag.substr(found + std::strlen(name) + 2);
            number = number.substr(0, number.find('"'));
            std::replace(number.begin(), number.end(), ',', '.');
            double value = -1.0;
            std::from_chars(number.data(), number.data() + number.size(), value);
            return value;
        };
        words.push_back({boxes.substr(close + 1, boxes.find("</word>", close) - close - 1),
                         attribute("xMin"), attribute("yMin"), attribute("xMax"),
                         attribute("yMax")});
    }
    return words;
}

class ReportsTest : public test::CatalogueTest {
  protected:
    ReportsTest() {
        CreateFiles();
        AppSettings().ReportFontName.clear();
        AppSettings().PrintBitmap = false;
    }

    std::int32_t Store(DiscRecord record, const StringGrid& tracks, const std::string& notes) {
        TextBox memo;
        memo.Text = record.Identity + "\r\n" + notes;
        KeySnapshot keys;
        return catalogue_->StoreDiscRecord(record, tracks, memo, keys);
    }

    DiscRecord Record(const std::string& identity, const std::string& name) {
        DiscRecord record;
        record.Identity = identity;
        record.Name = name;
        record.Composer = "Brahms";
        record.Artist = "Quartetto Italiano";
        record.MusicType = "Chamber";
        record.RecordLabel = "Philips";
        record.Reference = "REF-" + identity.substr(12);
        record.PlayingTime = 41.07;
        return record;
    }

    std::vector<std::string> Sheet(std::int32_t number, bool userFields = false) {
        DiscSheet sheet;
        EXPECT_TRUE(LoadDiscSheet(*catalogue_, number, userFields, sheet));
        PrintLayer layer;
        layer.PrintToPdf(pdf_);
        EXPECT_TRUE(PrintDiscSheet(layer, sheet, "Tester"));
        return PdfPages(pdf_);
    }

    std::vector<std::string> Listing(BrowseView view, PrintLayer& layer) {
        layer.PrintToPdf(pdf_);
        const std::vector<BrowseNode> tree = BuildBrowseTree(*catalogue_, view, {});
        EXPECT_TRUE(
            PrintCatalogueListing(layer, *catalogue_, tree, view, "Tester", QDate(2026, 12, 8)));
        return fs::exists(pdf_) ? PdfPages(pdf_) : std::vector<std::string>{};
    }

    // Checks the rendered sheet of the disc has ink over every glyph of its identity.
    void ExpectIdentityWhole(std::int32_t number, const std::string& identity) {
        Sheet(number);
        const std::vector<WordBox> words = FirstPageWords(pdf_);
        const auto word = std::find_if(words.begin(), words.end(),
                                       [&](const WordBox& w) { return w.Text == identity; });
        ASSERT_NE(word, words.end());
        const double xMin = word->XMin;
        const double xMax = word->XMax;
        const double yMin = word->YMin;
        const double yMax = word->YMax;
        ASSERT_GT(xMax, xMin);

        // So the drawing itself is looked at: the page at 2 pixels a point.
        const fs::path picture = dir_ / "page";
        Output("pdftoppm -r 144 -gray -singlefile -f 1 -l 1 '" + pdf_.string() + "' '" +
               picture.string() + "'");
        QImage page(QString::fromStdString(picture.string() + ".pgm"));
        ASSERT_FALSE(page.isNull());
        const auto inked = [&](double from, double to) {
            int dark = 0;
            for (int y = static_cast<int>(yMin * 2); y < static_cast<int>(yMax * 2); ++y) {
                for (int x = static_cast<int>(from * 2); x < static_cast<int>(to * 2); ++x) {
                    dark += qGray(page.pixel(x, y)) < 128 ? 1 : 0;
                }
            }
            return dark;
        };
        const double glyph = (xMax - xMin) / static_cast<double>(identity.size());
        EXPECT_GT(inked(xMin, xMin + glyph), 0) << "the first digit";
        EXPECT_GT(inked(xMax - 2 * glyph, xMax - glyph), 0) << "the B";
        EXPECT_GT(inked(xMax - glyph, xMax), 0) << "the final 1";
    }

    fs::path pdf_ = dir_ / "report.pdf";
};

TEST_F(ReportsTest, TheSheetKeepsAnEmptyRowForAMissingYear) {
    StringGrid tracks(3, 100);
    DiscRecord noYear = Record("00000000000000A1", "String Quartets");
    noYear.TrackCount = 2;
    tracks.SetCell(0, 1, "Allegro non troppo");
    tracks.SetCell(0, 2, "Romanze");
    const std::int32_t first = Store(noYear, tracks, "Recorded in\nMontreux.\n\nMono.");
    DiscRecord dated = noYear;
    dated.Identity = "00000000000000A2";
    dated.Year = 1968;
    const std::int32_t second = Store(dated, tracks, "");

    // The lines from the reference row down to the tracks row: the same with and without a
    // year, the year's row left empty.
    const auto rowsBetween = [](const std::vector<std::string>& lines) {
        std::ptrdiff_t from = -1;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].find("Disc reference:") != std::string::npos) {
                from = static_cast<std::ptrdiff_t>(i);
            }
            if (lines[i].find("Tracks: 2") != std::string::npos && from >= 0) {
                return static_cast<std::ptrdiff_t>(i) - from;
            }
        }
        return std::ptrdiff_t{-1};
    };
    std::vector<std::string> pages = Sheet(first);
    ASSERT_EQ(pages.size(), 1u);
    const std::string& text = pages[0];
    EXPECT_EQ(text.find("Year:"), std::string::npos);
    EXPECT_NE(text.find("Page: 1"), std::string::npos);
    EXPECT_NE(text.find("String Quartets"), std::string::npos);
    EXPECT_NE(text.find("Disc reference:"), std::string::npos);
    EXPECT_NE(text.find("REF-00A1"), std::string::npos);
    EXPECT_NE(text.find("PlayingTime: 41.07"), std::string::npos);
    EXPECT_NE(text.find("Disk ID: 00000000000000A1"), std::string::npos);
    EXPECT_NE(text.find("Collector: Tester"), std::string::npos);
    // The notes as two paragraphs, without the identity line the editor keeps above them.
    EXPECT_EQ(Count(text, "Notes:"), 1u);
    EXPECT_NE(text.find("Recorded in Montreux."), std::string::npos);
    EXPECT_NE(text.find("Mono."), std::string::npos);
    EXPECT_EQ(Count(text, "00000000000000A1"), 1u);
    EXPECT_NE(text.find("Romanze"), std::string::npos);
    const std::ptrdiff_t withoutYear = rowsBetween(LinesOf(text));

    // A report file that is a link to one kept elsewhere is printed there; the link stays.
    fs::rename(pdf_, dir_ / "kept.pdf");
    fs::create_symlink("kept.pdf", pdf_);
    pages = Sheet(second);
    EXPECT_TRUE(fs::is_symlink(pdf_));
    EXPECT_EQ(PdfPages(dir_ / "kept.pdf"), pages);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find("Year:"), std::string::npos);
    EXPECT_NE(pages[0].find("1968"), std::string::npos);
    EXPECT_EQ(pages[0].find("Montreux"), std::string::npos);
    EXPECT_EQ(pages[0].find("Notes:"), std::string::npos) << "only the identity line is no notes";
    EXPECT_GT(withoutYear, 1);
    EXPECT_EQ(rowsBetween(LinesOf(pages[0])), withoutYear);
}

TEST_F(ReportsTest, TheDiscIdentityIsDrawnWholeNotClippedByItsBox) {
    const std::string identity = "00000000000000B1";
    const std::int32_t number = Store(Record(identity, "Identified"), StringGrid(3, 100), "");
    // In the default font and in a wide one a user may choose.
    for (const char* font : {"", "Courier New"}) {
        SCOPED_TRACE(font);
        AppSettings().ReportFontName = font;
        AppSettings().ReportFontSize = 12;
        ExpectIdentityWhole(number, identity);
    }
}
TEST_F(ReportsTest, ATrackListPastThePageGoesOnAfterTheHeaderOfTheNextPage) {
    DiscRecord record = Record("00000000000000B1", "Complete Songs");
    record.TrackCount = 99;
    StringGrid tracks(3, 100);
    for (int t = 1; t <= 99; ++t) {
        record.TrackLengths[t - 1] = PackMsf(2, static_cast<unsigned>(t % 60), 0);
        tracks.SetCell(0, t, "Lied number " + std::to_string(t));
        tracks.SetCell(1, t, "Poet " + std::to_string(t));
    }
    AppSettings().TrackUser1Label = "Words by";
    const std::vector<std::string> pages = Sheet(Store(record, tracks, "A note."), true);
    ASSERT_GE(pages.size(), 2u);
    std::string all;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const std::string& page = pages[p];
        EXPECT_NE(page.find("Page: " + std::to_string(p + 1)), std::string::npos) << p;
        EXPECT_NE(page.find("Complete Songs"), std::string::npos) << p;
        EXPECT_NE(page.find("Composer:"), std::string::npos) << p;
        EXPECT_NE(page.find("Disk ID: 00000000000000B1"), std::string::npos) << p;
        // The header comes before any track on the page.
        const auto header = page.find("Disk ID:");
        const auto track = page.find("Lied number");
        if (track != std::string::npos) {
            EXPECT_LT(header, track) << p;
        }
        all += page;
    }
    for (int t = 1; t <= 99; ++t) {
        EXPECT_EQ(Count(all, "Lied number " + std::to_string(t) + " "), 1u) << t;
        EXPECT_EQ(Count(all, "Poet " + std::to_string(t) + "\n"), 1u) << t;
    }
    EXPECT_EQ(Count(all, "Words by"), 1u);
    EXPECT_EQ(Count(all, "Collector: Tester"), 1u);
    EXPECT_NE(pages.back().find("Collector: Tester"), std::string::npos);
}

TEST_F(ReportsTest, TheSheetStretchesThePictureBesideItsLabelsWhenAskedTo) {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QString::fromStdString((dir_ / "cover.bmp").string()), "BMP"));
    DiscRecord record = Record("00000000000000C1", "Pictured");
    catalogue_->OpenDiscVlf();
    record.BitmapAddress = holder_->Vlf.StoreFile(0, dir_ / "cover.bmp", TVlf::kTypeBitmap);
    catalogue_->CloseDiscVlf();
    ASSERT_NE(record.BitmapAddress, 0);
    const std::int32_t number = Store(record, StringGrid(3, 100), "");

    const auto composerIndent = [](const std::string& page) {
        for (const std::string& line : LinesOf(page)) {
            if (line.find("Composer:") != std::string::npos) {
                return line.find("Composer:");
            }
        }
        return std::string::npos;
    };
    const auto images = [this] {
        return Count(Output("pdfimages -list '" + pdf_.string() + "'"), " image ");
    };
    const std::size_t plain = composerIndent(Sheet(number).at(0));
    EXPECT_EQ(images(), 0u);
    AppSettings().PrintBitmap = true;
    const std::size_t beside = composerIndent(Sheet(number).at(0));
    EXPECT_EQ(images(), 1u);
    EXPECT_GT(beside, plain + 10);
    // The picture's file is gone, or the handset would take it for the drive's disc's picture.
    for (const auto& entry : fs::directory_iterator(dir_.Path())) {
        EXPECT_NE(QString::fromStdString(entry.path().filename().string()).toLower().toStdString(),
                  "disc.bmp");
    }
}

TEST_F(ReportsTest, TheReportFontIsTheMetricCompatibleFamilySetupInstalls) {
    const std::int32_t number =
        Store(Record("00000000000000C2", "Typeset"), StringGrid(3, 100), "");
    // The fonts the PDF embeds: the first word of each row of poppler's table under its head.
    const auto fonts = [&] {
        Sheet(number);
        const std::vector<std::string> rows = LinesOf(Output("pdffonts '" + pdf_.string() + "'"));
        std::string names;
        for (std::size_t i = 2; i < rows.size(); ++i) {
            names += rows[i].substr(0, rows[i].find(' ')) + " ";
        }
        return names;
    };
    std::string used = fonts();
    EXPECT_NE(used.find("LiberationSerif"), std::string::npos) << "the default: " << used;
    EXPECT_EQ(used.find("DejaVu"), std::string::npos) << used;
    AppSettings().ReportFontSize = 11;
    const std::pair<const char*, const char*> named[] = {{"Times New Roman", "LiberationSerif"},
                                                         {"Times Roman New", "LiberationSerif"},
                                                         {"Arial", "LiberationSans"},
                                                         {"Courier New", "LiberationMono"},
                                                         {"DejaVu Sans", "DejaVuSans"}};
    for (const auto& [name, family] : named) {
        AppSettings().ReportFontName = name;
        used = fonts();
        EXPECT_NE(used.find(family), std::string::npos) << name << ": " << used;
    }
}

TEST_F(ReportsTest, AComposerListingHeadsEachComposersDiscsOnPagesWithTheirHeader) {
    // On a German desktop the date is written the German way and the times keep their dot.
    const test::CommaLocale locale;
    ASSERT_TRUE(locale.Active());
    struct GermanDates {
        QLocale Before;
        GermanDates() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
        ~GermanDates() { QLocale::setDefault(Before); }
    } const germanDates;
    std::map<std::string, std::string> composerOf;
    const char* const composers[] = {"Bartok", "Haydn", "Mozart", "Schubert", "Ravel"};
    StringGrid tracks(3, 100);
    for (int i = 0; i < 90; ++i) {
        char identity[17];
        std::snprintf(identity, sizeof identity, "%016X", 0xD000 + i);
        const std::string name = "Album " + std::to_string(1000 + i);
        DiscRecord record = Record(identity, name);
        record.Composer = composers[(i * 7) % 5];
        record.Year = static_cast<std::int16_t>(i % 3 == 0 ? 0 : 1950 + i);
        Store(record, tracks, "");
        composerOf[name] = record.Composer;
    }
    PrintLayer layer;
    const std::vector<std::string> pages = Listing(BrowseView::Composer, layer);
    ASSERT_GE(pages.size(), 3u);
    EXPECT_EQ(static_cast<int>(pages.size()), layer.PageNumber());
    EXPECT_TRUE(layer.Landscape());

    std::map<std::string, int> seen;
    std::map<std::string, int> headings;
    std::string heading;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const std::string& page = pages[p];
        EXPECT_NE(page.find("Page: " + std::to_string(p + 1)), std::string::npos) << p;
        EXPECT_NE(page.find("CD Catalogue"), std::string::npos) << p;
        EXPECT_NE(page.find("by composer"), std::string::npos) << p;
        EXPECT_NE(page.find("Collector: Tester - Printed on 8 Dezember 2026"), std::string::npos)
            << p;
        EXPECT_NE(page.find("Music type"), std::string::npos) << p;
        for (const std::string& line : LinesOf(page)) {
            const std::string text = Trimmed(line);
            if (composerOf.end() != std::find_if(composerOf.begin(), composerOf.end(),
                                                 [&](const auto& d) { return d.second == text; })) {
                heading = text;
                ++headings[text];
                continue;
            }
            const auto at = text.find("Album ");
            if (at == std::string::npos) {
                continue;
            }
            const std::string name = text.substr(at, 10);
            ++seen[name];
            EXPECT_EQ(composerOf[name], heading) << name;
            EXPECT_NE(line.find("41.07"), std::string::npos) << name;
            const int i = std::stoi(name.substr(6)) - 1000;
            EXPECT_EQ(line.find(std::to_string(1950 + i)) != std::string::npos, i % 3 != 0) << line;
        }
    }
    EXPECT_EQ(seen.size(), 90u);
    for (const auto& [name, times] : seen) {
        EXPECT_EQ(times, 1) << name;
    }
    // One space between the title and its sort phrase, as between the phrase's own words.
    const std::vector<WordBox> words = FirstPageWords(pdf_);
    const auto at = [&words](const std::string& text) {
        const auto found = std::find_if(words.begin(), words.end(),
                                        [&](const WordBox& w) { return w.Text == text; });
        EXPECT_NE(found, words.end()) << text;
        return found == words.end() ? WordBox{} : *found;
    };
    const double afterTitle = at("by").XMin - at("Catalogue").XMax;
    const double inPhrase = at("composer").XMin - at("by").XMax;
    EXPECT_GT(afterTitle, 0.5 * inPhrase);
    EXPECT_LT(afterTitle, 1.5 * inPhrase);
    EXPECT_EQ(headings.size(), 5u);
    for (const auto& [name, times] : headings) {
        EXPECT_EQ(times, 1) << name;
    }
}

TEST_F(ReportsTest, AbortingLeavesNoDocumentAndTheNextReportPrints) {
    StringGrid tracks(3, 100);
    for (int i = 0; i < 80; ++i) {
        char identity[17];
        std::snprintf(identity, sizeof identity, "%016X", 0xE000 + i);
        Store(Record(identity, "Disc " + std::to_string(i)), tracks, "");
    }
    TPrintingDlg dialog;
    PrintLayer layer(&dialog);
    bool shown = false;
    // Pressed while the first pages print: the job runs to its end and is thrown away.
    QTimer::singleShot(0, [&] {
        shown =
            dialog.isVisible() && dialog.ReportLabel()->text() == QStringLiteral("CD catalogue");
        EXPECT_EQ(test::WindowFaults(dialog), std::vector<std::string>{});
        test::Click(dialog.AbortButton());
    });
    EXPECT_TRUE(Listing(BrowseView::Name, layer).empty());
    EXPECT_TRUE(shown);
    EXPECT_FALSE(fs::exists(pdf_));
    EXPECT_FALSE(fs::exists(dir_ / "report.pdf.part"));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.AbortButton()->isEnabled());

    const std::vector<std::string> pages = Listing(BrowseView::Name, layer);
    ASSERT_GE(pages.size(), 2u);
    EXPECT_TRUE(dialog.AbortButton()->isEnabled());
    EXPECT_EQ(dialog.PageLabel()->text(), QStringLiteral("Page: ") + QString::number(pages.size()));
    EXPECT_TRUE(dialog.PrinterLabel()->text().startsWith(QStringLiteral("Printing on ")));
}

TEST_F(ReportsTest, AListingWhoseFilesCannotBeOpenedEndsAtOnceWithoutADocument) {
    StringGrid tracks(3, 100);
    for (int i = 0; i < 30; ++i) {
        char identity[17];
        std::snprintf(identity, sizeof identity, "%016X", 0xA000 + i);
        Store(Record(identity, "Gone " + std::to_string(i)), tracks, "");
    }
    const std::vector<BrowseNode> tree = BuildBrowseTree(*catalogue_, BrowseView::Name, {});
    ASSERT_EQ(tree.size(), 30u);
    fs::remove(dir_ / "disc.DAT");
    fs::remove(dir_ / "disc.IX");
    messages_.Answer(false);  // no new empty catalogue
    PrintLayer layer;
    layer.PrintToPdf(pdf_);
    EXPECT_FALSE(
        PrintCatalogueListing(layer, *catalogue_, tree, BrowseView::Name, "Tester", QDate()));
    EXPECT_EQ(messages_.Errors(), std::vector<std::string>{});
    EXPECT_EQ(messages_.UnusedAnswers(), 0u);
    EXPECT_FALSE(fs::exists(pdf_));
    EXPECT_FALSE(fs::exists(dir_ / "report.pdf.part"));
}

TEST_F(ReportsTest, EscapeAndTheCloseBoxAbortTheReportAndKeepTheProgressWindowUp) {
    StringGrid tracks(3, 100);
    for (int i = 0; i < 80; ++i) {
        char identity[17];
        std::snprintf(identity, sizeof identity, "%016X", 0xB000 + i);
        Store(Record(identity, "Disc " + std::to_string(i)), tracks, "");
    }
    TPrintingDlg dialog;
    PrintLayer layer(&dialog);
    const std::function<void()> presses[] = {
        [&] {
            test::Activate(dialog);
            test::Key(Qt::Key_Escape);
        },
        [&] { dialog.close(); },
    };
    for (const auto& press : presses) {
        bool stillShown = false;
        QTimer::singleShot(0, [&] {
            press();
            stillShown = dialog.isVisible();
        });
        EXPECT_TRUE(Listing(BrowseView::Name, layer).empty());
        EXPECT_TRUE(stillShown);
        EXPECT_FALSE(fs::exists(pdf_));
        EXPECT_FALSE(dialog.isVisible()) << "hidden at the report's end";
        EXPECT_FALSE(dialog.AbortButton()->isEnabled());
    }
}

TEST_F(ReportsTest, AJobThatCannotStartIsReported) {
    PrintLayer layer;
    layer.PrintToPdf(dir_ / "no such folder" / "report.pdf");
    EXPECT_FALSE(
        PrintCatalogueListing(layer, *catalogue_, {}, BrowseView::Name, "Tester", QDate()));
    EXPECT_EQ(messages_.Errors(), std::vector<std::string>{"Cannot start printing."});
    EXPECT_FALSE(fs::exists(dir_ / "no such folder"));
}

TEST_F(ReportsTest, ACancelledPrintDialogPrintsNothing) {
    TPrintingDlg dialog;
    PrintLayer layer(&dialog);
    layer.PrintToPrinter();
    layer.Printer().setOutputFormat(QPrinter::PdfFormat);
    layer.Printer().setOutputFileName(QString::fromStdString(pdf_.string()));
    bool visible = true;
    {
        test::Boxes boxes(nullptr);
        boxes.Dialog<QPrintDialog>([&](QPrintDialog&) {
            visible = dialog.isVisible();
            test::Key(Qt::Key_Escape);
        });
        EXPECT_FALSE(PrintCatalogueListing(layer, *catalogue_, {}, BrowseView::Name, "Tester",
                                           QDate(2026, 12, 8)));
    }
    EXPECT_FALSE(visible);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(fs::exists(pdf_));

    // Confirmed, the same printer writes the file.
    {
        test::Boxes boxes(nullptr);
        boxes.Dialog<QPrintDialog>([](QPrintDialog&) { test::Key(Qt::Key_Return); });
        EXPECT_TRUE(PrintCatalogueListing(layer, *catalogue_, {}, BrowseView::Artist, "Tester",
                                          QDate(2026, 12, 8)));
    }
    ASSERT_EQ(PdfPages(pdf_).size(), 1u);
    EXPECT_NE(PdfPages(pdf_)[0].find("by artist"), std::string::npos);

    // A sheet that fits a portrait page in a small font comes out as the user turned the printer
    // in the dialog's properties; the file now there is overwritten once the user agrees.
    AppSettings().ReportFontName = "Courier New";
    AppSettings().ReportFontSize = 6;
    DiscSheet sheet;
    ASSERT_TRUE(LoadDiscSheet(*catalogue_,
                              Store(Record("00000000000000C1", "Turned"), StringGrid(3, 100), ""),
                              false, sheet));
    {
        test::Boxes boxes(nullptr);
        boxes.Dialog<QPrintDialog>([](QPrintDialog&) {
            test::Alt('r');
            test::Key(Qt::Key_Return);
        });
        // The orientation buttons have no letter: Tab reaches them, an arrow turns the page.
        boxes.Dialog<QDialog>([](QDialog&) {
            const auto focused = [] {
                return qobject_cast<QRadioButton*>(QApplication::focusWidget());
            };
            for (int i = 0; i < 30 && focused() == nullptr; ++i) {
                test::Key(Qt::Key_Tab);
            }
            ASSERT_NE(focused(), nullptr) << "no Tab reaches the orientation";
            ASSERT_EQ(focused()->text(), QStringLiteral("Portrait"));
            test::Key(Qt::Key_Down);
            ASSERT_EQ(focused()->text(), QStringLiteral("Landscape"));
            EXPECT_TRUE(focused()->isChecked());
            test::Key(Qt::Key_Return);
        });
        boxes.Question(pdf_.string() + " already exists.\nDo you want to overwrite it?", true);
        EXPECT_TRUE(PrintDiscSheet(layer, sheet, "Tester"));
    }
    std::istringstream size(
        Output("pdfinfo '" + pdf_.string() + "' | sed -n 's/^Page size: *//p'"));
    double width = 0;
    double height = 0;
    std::string by;
    size >> width >> by >> height;
    EXPECT_GT(width, height) << "landscape";
}

TEST_F(ReportsTest, PrintingTheSelectedDiscNeedsADiscNodeAndAsksAboutUserFields) {
    PrintLayer layer;
    layer.PrintToPdf(pdf_);
    BrowseNode heading;
    heading.Heading = true;
    PrintSelectedDisc(layer, *catalogue_, nullptr, "Tester");
    PrintSelectedDisc(layer, *catalogue_, &heading, "Tester");
    EXPECT_EQ(messages_.Errors(),
              (std::vector<std::string>{"Please first select the CD to be printed.",
                                        "Please first select the CD to be printed."}));
    EXPECT_FALSE(fs::exists(pdf_));

    AppSettings().TrackUser2Label = "Soloist";
    BrowseNode disc;
    disc.RecordNumber = Store(Record("00000000000000F1", "Selected"), StringGrid(3, 100), "");
    messages_.Answer(true);
    PrintSelectedDisc(layer, *catalogue_, &disc, "Tester");
    EXPECT_EQ(messages_.Messages().back().Text,
              "Do you wish to include the user defined fields for the track listing?");
    ASSERT_EQ(PdfPages(pdf_).size(), 1u);
    EXPECT_NE(PdfPages(pdf_)[0].find("Soloist"), std::string::npos);
    messages_.Answer(false);
    PrintSelectedDisc(layer, *catalogue_, &disc, "Tester");
    EXPECT_EQ(PdfPages(pdf_)[0].find("Soloist"), std::string::npos);

    // The browser's buttons sign with the configured collector.
    AppSettings().CollectorName = "Ada Collector";
    messages_.Answer(false);
    PrintSelectedDisc(layer, *catalogue_, &disc);
    EXPECT_NE(PdfPages(pdf_)[0].find("Collector: Ada Collector"), std::string::npos);
    layer.PrintToPdf(pdf_);
    EXPECT_TRUE(PrintCatalogueListing(layer, *catalogue_, {disc}, BrowseView::Name));
    EXPECT_NE(PdfPages(pdf_)[0].find("Collector: Ada Collector - Printed on"), std::string::npos);
}

}  // namespace
}  // namespace snx
