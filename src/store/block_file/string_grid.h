// Qt-free stand-ins for the two controls that catalogue blocks pass through: a string grid (the
// track table) and a text box (the memo). They hold only what the block file stores and loads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace snx {

// The font properties a string-table block keeps.
struct GridFont {
    enum Style : std::uint8_t { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
    enum Pitch : std::uint8_t { Default = 0, Variable = 1, Fixed = 2 };

    std::int32_t Color = 0;
    std::int16_t Height = -11;
    std::string Name = "Sans Serif";  // at most 31 bytes are stored
    std::uint8_t FontPitch = Default;
    std::int16_t Size = 8;
    std::uint8_t Styles = 0;  // a set of Style bits

    bool operator==(const GridFont&) const = default;
};

// A table of byte strings addressed as (column, row), with the display properties that a
// string-table block stores. Cells outside the table read as empty and ignore writes.
class StringGrid {
  public:
    StringGrid() = default;
    StringGrid(std::int32_t columns, std::int32_t rows) { Resize(columns, rows); }

    std::int32_t ColCount() const { return columns_; }
    std::int32_t RowCount() const { return rows_; }
    // Changing a count keeps the cells and column widths that stay inside the table.
    void SetColCount(std::int32_t columns) { Resize(columns, rows_); }
    void SetRowCount(std::int32_t rows) { Resize(columns_, rows); }
    void Resize(std::int32_t columns, std::int32_t rows);

    const std::string& Cell(std::int32_t column, std::int32_t row) const;
    // Every cell, column by column (each column's rows in order), as a block stores them.
    const std::vector<std::string>& Cells() const { return cells_; }
    void SetCell(std::int32_t column, std::int32_t row, std::string text);
    // The same into the cell's own storage, which a grid loaded again and again reuses.
    void AssignCell(std::int32_t column, std::int32_t row, std::string_view text);
    // Empties every cell, keeping the size.
    void ClearCells();

    std::int32_t ColWidth(std::int32_t column) const;
    void SetColWidth(std::int32_t column, std::int32_t width);

    std::int32_t FixedCols = 1;
    std::int32_t FixedRows = 1;
    std::int32_t Color = 0x00FFFFFF;
    std::int32_t FixedColor = 0x00C0C0C0;
    std::int32_t GridLineWidth = 1;
    GridFont Font;

    static constexpr std::int32_t kDefaultColWidth = 64;

    bool operator==(const StringGrid&) const = default;

  private:
    std::int32_t columns_ = 0;
    std::int32_t rows_ = 0;
    std::vector<std::int32_t> widths_;
    std::vector<std::string> cells_;  // column by column: cells_[column * rows_ + row]
};

// The memo stand-in: its whole text as bytes, lines separated as the user typed them.
struct TextBox {
    std::string Text;

    // The text cut at line ends ("\r\n", "\n" or "\r"); a final line end adds no empty line.
    std::vector<std::string> Lines() const;
    // Joins lines with "\r\n" after each one.
    void SetLines(const std::vector<std::string>& lines);

    bool operator==(const TextBox&) const = default;
};

}  // namespace snx
