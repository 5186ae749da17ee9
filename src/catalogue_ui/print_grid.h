// The character grid that printed reports are laid out on, and the wrapping of text into its
// columns. Qt-free: text widths come from a callback, so the rules are tested without a printer.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/browse_tree.h"

namespace snx {

constexpr int kDefaultLinesPerPage = 52;
// Pending text is kept below this many bytes, as a line of the report never holds more.
constexpr std::size_t kMaxWrapLength = 255;

// Cells and lines of one page, in printer pixels.
struct PrintGrid {
    int FontHeight = 0;  // the base font's em height
    int LineHeight = 0;
    int CellWidth = 0;
    int LinesPerPage = kDefaultLinesPerPage;
    int ColumnsPerPage = 0;

    bool operator==(const PrintGrid&) const = default;
};

// The em height in pixels of a font of pointSize points at dotsPerInch.
int FontHeightPixels(int pointSize, int dotsPerInch);

// The grid of a page pageWidth by pageHeight pixels for a font fontHeight pixels high.
PrintGrid MakePrintGrid(int fontHeight, int pageWidth, int pageHeight);

struct PaperSize {
    int Width = 0;
    int Height = 0;
};

struct ReportPlan {
    bool Landscape = false;
    int FontSize = 0;  // the base size in points
    PrintGrid Grid;
};

// The page set-up of a report that needs columnsNeeded columns: the given orientation when they
// fit, else landscape; when even landscape is too narrow, the largest smaller font size whose
// columns fit, so that no column runs off the paper.
ReportPlan PlanReport(int fontSize, int dotsPerInch, PaperSize portrait, PaperSize landscape,
                      bool startLandscape, int columnsNeeded);

// The printed width, in pixels, of a UTF-8 text in the current font.
using MeasureText = std::function<double(std::string_view)>;

// The printed lines of lines (UTF-8) as paragraphs width cells wide: words gathered while they
// fit, an empty source line ending the paragraph with an empty line, consecutive lines running
// on as one paragraph. Lines after the last non-blank one are dropped; the result has at least
// one line. A word wider than the column stands alone on its line (the printer clips it).
std::vector<std::string> WrapText(const std::vector<std::string>& lines, int width, int cellWidth,
                                  const MeasureText& measure);

// The text of a right-aligned cell: characters with codes above 175 become blanks, blanks at
// both ends are dropped.
std::string RightAlignedText(std::string_view utf8);

// " by composer", " by artist", " by music type", " by label", or empty for the name view.
std::string SortPhrase(BrowseView view);

}  // namespace snx
