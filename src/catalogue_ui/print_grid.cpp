#include "catalogue_ui/print_grid.h"

#include <cmath>
#include <cstdlib>

#include "util/text.h"

namespace snx {

int FontHeightPixels(int pointSize, int dotsPerInch) {
    return static_cast<int>(std::lround(static_cast<double>(pointSize) * dotsPerInch / 72.0));
}

PrintGrid MakePrintGrid(int fontHeight, int pageWidth, int pageHeight) {
    PrintGrid grid;
    grid.FontHeight = std::abs(fontHeight);
    grid.LineHeight = static_cast<int>(std::lround(grid.FontHeight * 1.2));
    grid.CellWidth = grid.FontHeight * 2 / 3;
    grid.LinesPerPage =
        grid.LineHeight == 0 ? kDefaultLinesPerPage : pageHeight / grid.LineHeight - 1;
    // A font too small for a whole pixel per cell still leaves the page its width in cells.
    grid.ColumnsPerPage = std::abs(pageWidth / std::max(grid.CellWidth, 1)) - 1;
    return grid;
}

ReportPlan PlanReport(int fontSize, int dotsPerInch, PaperSize portrait, PaperSize landscape,
                      bool startLandscape, int columnsNeeded) {
    ReportPlan plan;
    plan.FontSize = fontSize;
    plan.Landscape = startLandscape;
    auto gridFor = [&](int size, bool wide) {
        const PaperSize page = wide ? landscape : portrait;
        return MakePrintGrid(FontHeightPixels(size, dotsPerInch), page.Width, page.Height);
    };
    plan.Grid = gridFor(fontSize, plan.Landscape);
    if (plan.Grid.ColumnsPerPage >= columnsNeeded) {
        return plan;
    }
    plan.Landscape = true;
    plan.Grid = gridFor(fontSize, true);
    while (plan.Grid.ColumnsPerPage < columnsNeeded && plan.FontSize > 1) {
        --plan.FontSize;
        plan.Grid = gridFor(plan.FontSize, true);
    }
    return plan;
}

namespace {

bool IsBlank(std::string_view line) {
    return TrimBlanks(line).empty();
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
            ++at;
        }
        const std::size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t') {
            ++at;
        }
        if (at > start) {
            words.push_back(line.substr(start, at - start));
        }
    }
    return words;
}

}  // namespace

std::vector<std::string> WrapText(const std::vector<std::string>& lines, int width, int cellWidth,
                                  const MeasureText& measure) {
    std::size_t used = 1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!IsBlank(lines[i])) {
            used = i + 1;
        }
    }
    const double room = static_cast<double>(width) * cellWidth;
    std::vector<std::string> printed;
    std::string pending;
    for (std::size_t i = 0; i < used; ++i) {
        const std::string_view line = i < lines.size() ? std::string_view(lines[i]) : "";
        if (IsBlank(line)) {
            if (!pending.empty()) {
                printed.push_back(std::move(pending));
                pending.clear();
            }
            printed.emplace_back();
            continue;
        }
        for (std::string_view word : Words(line)) {
            if (pending.empty()) {
                pending = CutText(word, kMaxWrapLength - 1);
                continue;
            }
            std::string joined = pending + " " + std::string(word);
            if (pending.size() + word.size() < kMaxWrapLength && measure(joined) < room) {
                pending = std::move(joined);
            } else {
                printed.push_back(std::move(pending));
                pending = CutText(word, kMaxWrapLength - 1);
            }
        }
    }
    if (!pending.empty() || printed.empty()) {
        printed.emplace_back(TrimBlanks(pending));
    }
    return printed;
}

std::string RightAlignedText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        length = std::min(length, utf8.size() - at);
        unsigned code = lead;
        if (length > 1) {
            code = lead & (0x3Fu >> (length - 1));
            for (std::size_t k = 1; k < length; ++k) {
                code = (code << 6) | (static_cast<unsigned char>(utf8[at + k]) & 0x3Fu);
            }
        }
        if (code > 175) {
            out += ' ';
        } else {
            out.append(utf8.substr(at, length));
        }
        at += length;
    }
    return std::string(TrimBlanks(out));
}

std::string SortPhrase(BrowseView view) {
    switch (view) {
        case BrowseView::Composer:
            return " by composer";
        case BrowseView::Artist:
            return " by artist";
        case BrowseView::Type:
            return " by music type";
        case BrowseView::Label:
            return " by label";
        case BrowseView::Name:
            break;
    }
    return "";
}

}  // namespace snx
