// The report grid and the wrapping of text, measured with a fixed-pitch stand-in font.
#include "catalogue_ui/print_grid.h"

#include <gtest/gtest.h>

namespace snx {
namespace {

using Lines = std::vector<std::string>;

// Every character 10 pixels wide, on cells 10 pixels wide: width cells hold width - 1
// characters, since a line must stay below the column's width.
constexpr int kCell = 10;
double Measure(std::string_view text) {
    return static_cast<double>(text.size()) * kCell;
}
Lines Wrap(const Lines& lines, int width) {
    return WrapText(lines, width, kCell, Measure);
}

TEST(WrapTextTest, SourceLinesRunOnIntoParagraphsThatEmptyLinesSeparate) {
    EXPECT_EQ(Wrap({"Recorded live", "in Vienna", "in 1962.", "", "Sleeve worn."}, 30),
              (Lines{"Recorded live in Vienna in", "1962.", "", "Sleeve worn."}));
    // Blank lines at the end are dropped; blanks inside count as empty lines, and two empty
    // lines in a row print two empty lines.
    EXPECT_EQ(Wrap({"One", "  ", "", "Two", "", "   ", ""}, 30), (Lines{"One", "", "", "Two"}));
    // Leading, trailing and repeated blanks between words go.
    EXPECT_EQ(Wrap({"   a    b  ", "c   "}, 30), (Lines{"a b c"}));
}

TEST(WrapTextTest, AnEmptyTextPrintsOneEmptyLine) {
    EXPECT_EQ(Wrap({}, 30), (Lines{""}));
    EXPECT_EQ(Wrap({""}, 30), (Lines{""}));
    EXPECT_EQ(Wrap({"   ", "", " "}, 30), (Lines{""}));
}

TEST(WrapTextTest, ALongTitleBreaksAtWordsAndATooWideWordStandsAloneToBeClipped) {
    const Lines title =
        Wrap({"Symphony No. 9 in D minor, Op. 125 Choral: Presto - Allegro assai"}, 15);
    EXPECT_EQ(title, (Lines{"Symphony No. 9", "in D minor,", "Op. 125", "Choral: Presto",
                            "- Allegro", "assai"}));
    for (const std::string& line : title) {
        EXPECT_LT(Measure(line), 15 * kCell) << line;
    }
    EXPECT_EQ(Wrap({"Ein Donaudampfschifffahrtsgesellschaftskapitaen fuhr"}, 12),
              (Lines{"Ein", "Donaudampfschifffahrtsgesellschaftskapitaen", "fuhr"}));
    EXPECT_EQ(Wrap({"Supercalifragilistic"}, 5), (Lines{"Supercalifragilistic"}));
}

TEST(WrapTextTest, APrintedLineStaysUnder255CharactersWhateverTheWidth) {
    std::string text;
    for (int i = 0; i < 200; ++i) {
        text += "word ";
    }
    const Lines lines = Wrap({text}, 100000);
    ASSERT_GE(lines.size(), 4u);
    std::size_t words = 0;
    for (const std::string& line : lines) {
        EXPECT_LT(line.size(), kMaxWrapLength);
        words += (line.size() + 1) / 5;
    }
    EXPECT_EQ(words, 200u);
    // A single word longer than that is cut to fit too.
    EXPECT_LT(Wrap({std::string(400, 'x')}, 10).front().size(), kMaxWrapLength);
}

TEST(PrintGridTest, CellsAndLinesFollowTheFontHeight) {
    // 12 points at 600 dpi: 100 pixels high.
    EXPECT_EQ(FontHeightPixels(12, 600), 100);
    const PrintGrid grid = MakePrintGrid(-100, 4500, 6500);
    EXPECT_EQ(grid.FontHeight, 100);
    EXPECT_EQ(grid.LineHeight, 120);
    EXPECT_EQ(grid.CellWidth, 66);
    EXPECT_EQ(grid.LinesPerPage, 6500 / 120 - 1);
    EXPECT_EQ(grid.ColumnsPerPage, 4500 / 66 - 1);
    // No font height: the default page length, and no division by zero.
    const PrintGrid none = MakePrintGrid(0, 4500, 6500);
    EXPECT_EQ(none.LinesPerPage, kDefaultLinesPerPage);
    EXPECT_EQ(none.ColumnsPerPage, 4499);
}

TEST(PrintGridTest, ColumnsThatDoNotFitTurnThePageAndThenShrinkTheFont) {
    // A4 less 10 mm margins at 600 dpi.
    const PaperSize portrait{4488, 6566};
    const PaperSize landscape{6566, 4488};
    const ReportPlan fits = PlanReport(8, 600, portrait, landscape, false, 80);
    EXPECT_FALSE(fits.Landscape);
    EXPECT_EQ(fits.FontSize, 8);

    // 125 columns at 9 points: too wide upright, fits across.
    const ReportPlan across = PlanReport(9, 600, portrait, landscape, false, 125);
    EXPECT_TRUE(across.Landscape);
    EXPECT_EQ(across.FontSize, 9);
    EXPECT_EQ(across.Grid, MakePrintGrid(FontHeightPixels(9, 600), 6566, 4488));
    EXPECT_GE(across.Grid.ColumnsPerPage, 125);

    // At 16 points not even landscape holds them: the largest size that does.
    const ReportPlan large = PlanReport(16, 600, portrait, landscape, false, 125);
    EXPECT_TRUE(large.Landscape);
    EXPECT_EQ(large.FontSize, 9);
    EXPECT_GE(large.Grid.ColumnsPerPage, 125);
    EXPECT_LT(MakePrintGrid(FontHeightPixels(large.FontSize + 1, 600), 6566, 4488).ColumnsPerPage,
              125);
}

TEST(PrintGridTest, RightAlignedTextBlanksHighCodesAndTrims) {
    EXPECT_EQ(RightAlignedText("  1999 "), "1999");
    EXPECT_EQ(RightAlignedText("\xC2\xB0"
                               "12.30\xC3\xA9"),
              "12.30");
    EXPECT_EQ(RightAlignedText("a\xE2\x82\xAC"
                               "b"),
              "a b");
    EXPECT_EQ(RightAlignedText("\xC2\xAF"), "\xC2\xAF");  // 175 itself stays
}

TEST(PrintGridTest, TheSortPhraseNamesTheGrouping) {
    EXPECT_EQ(SortPhrase(BrowseView::Name), "");
    EXPECT_EQ(SortPhrase(BrowseView::Composer), " by composer");
    EXPECT_EQ(SortPhrase(BrowseView::Artist), " by artist");
    EXPECT_EQ(SortPhrase(BrowseView::Type), " by music type");
    EXPECT_EQ(SortPhrase(BrowseView::Label), " by label");
}

}  // namespace
}  // namespace snx
