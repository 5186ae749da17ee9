#include "store/block_file/string_grid.h"

#include <algorithm>

namespace snx {

namespace {
const std::string kEmpty;
}

void StringGrid::Resize(std::int32_t columns, std::int32_t rows) {
    columns = std::max(columns, 0);
    rows = std::max(rows, 0);
    if (columns == columns_ && rows == rows_) {
        return;
    }
    std::vector<std::string> cells(static_cast<std::size_t>(columns) *
                                   static_cast<std::size_t>(rows));
    const std::int32_t keepColumns = std::min(columns, columns_);
    const std::int32_t keepRows = std::min(rows, rows_);
    for (std::int32_t c = 0; c < keepColumns; ++c) {
        for (std::int32_t r = 0; r < keepRows; ++r) {
            cells[static_cast<std::size_t>(c) * static_cast<std::size_t>(rows) +
                  static_cast<std::size_t>(r)] =
                std::move(cells_[static_cast<std::size_t>(c) * static_cast<std::size_t>(rows_) +
                                 static_cast<std::size_t>(r)]);
        }
    }
    cells_ = std::move(cells);
    widths_.resize(static_cast<std::size_t>(columns), kDefaultColWidth);
    columns_ = columns;
    rows_ = rows;
}

const std::string& StringGrid::Cell(std::int32_t column, std::int32_t row) const {
    if (column < 0 || row < 0 || column >= columns_ || row >= rows_) {
        return kEmpty;
    }
    return cells_[static_cast<std::size_t>(column) * static_cast<std::size_t>(rows_) +
                  static_cast<std::size_t>(row)];
}

void StringGrid::SetCell(std::int32_t column, std::int32_t row, std::string text) {
    if (column < 0 || row < 0 || column >= columns_ || row >= rows_) {
        return;
    }
    cells_[static_cast<std::size_t>(column) * static_cast<std::size_t>(rows_) +
           static_cast<std::size_t>(row)] = std::move(text);
}

void StringGrid::AssignCell(std::int32_t column, std::int32_t row, std::string_view text) {
    if (column < 0 || row < 0 || column >= columns_ || row >= rows_) {
        return;
    }
    cells_[static_cast<std::size_t>(column) * static_cast<std::size_t>(rows_) +
           static_cast<std::size_t>(row)]
        .assign(text);
}

void StringGrid::ClearCells() {
    for (std::string& cell : cells_) {
        cell.clear();
    }
}

std::int32_t StringGrid::ColWidth(std::int32_t column) const {
    if (column < 0 || column >= columns_) {
        return 0;
    }
    return widths_[static_cast<std::size_t>(column)];
}

void StringGrid::SetColWidth(std::int32_t column, std::int32_t width) {
    if (column >= 0 && column < columns_) {
        widths_[static_cast<std::size_t>(column)] = width;
    }
}

std::vector<std::string> TextBox::Lines() const {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') {
                ++i;
            }
        } else {
            line.push_back(c);
        }
    }
    if (!line.empty()) {
        lines.push_back(std::move(line));
    }
    return lines;
}

void TextBox::SetLines(const std::vector<std::string>& lines) {
    Text.clear();
    for (const std::string& line : lines) {
        Text += line;
        Text += "\r\n";
    }
}

}  // namespace snx
