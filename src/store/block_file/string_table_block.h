// The data of a string-table block (type 3) of the block file: a grid's properties, column
// widths and cells. Little-endian; offsets from the start of the block's data:
//
// OFFSET  SIZE  CONTENT
// 0       16    zero
// 16      4     column count C
// 20      4     row count R
// 24      2     fixed columns
// 26      2     fixed rows
// 28      4     colour
// 32      4     fixed colour
// 36      2     grid line width
// 38      6     zero
// 44      4     font colour
// 48      2     font height
// 50      1     font name length (at most 31)
// 51      31    font name
// 82      1     font pitch
// 83      1     zero
// 84      2     font size
// 86      1     1 when bold is the one style set, else 0
// 87      1     the same for italic
// 88      1     the same for underline
// 89      1     the same for strike-out
// 90      350   zero
// 440     2     number E of extra bytes (written as 0, skipped when read)
// 442     E     extra bytes
// 442+E   2*C   column widths, 16-bit
// ..      ..    cells column by column, each a length byte (at most 255) and that many bytes,
//               until the end of the block
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

#include "store/block_file/string_grid.h"

namespace snx::string_table {

constexpr std::size_t kColumns = 16;
constexpr std::size_t kRows = 20;
constexpr std::size_t kFixedCols = 24;
constexpr std::size_t kFixedRows = 26;
constexpr std::size_t kColor = 28;
constexpr std::size_t kFixedColor = 32;
constexpr std::size_t kGridLineWidth = 36;
constexpr std::size_t kFontColor = 44;
constexpr std::size_t kFontHeight = 48;
constexpr std::size_t kFontNameLength = 50;
constexpr std::size_t kFontName = 51;
constexpr std::size_t kFontNameMax = 31;
constexpr std::size_t kFontPitch = 82;
constexpr std::size_t kFontSize = 84;
constexpr std::size_t kBold = 86;
constexpr std::size_t kItalic = 87;
constexpr std::size_t kUnderline = 88;
constexpr std::size_t kStrikeOut = 89;
constexpr std::int32_t kPropertyArea = 440;  // where the extra-byte count lies
constexpr std::int32_t kFixedPart = kPropertyArea + 2;
constexpr std::size_t kMaxCell = 255;

// Where the parts of a block's data lie.
struct Layout {
    std::int32_t Columns = 0;
    std::int32_t Rows = 0;
    std::int64_t WidthsAt = 0;
    std::int64_t CellsAt = 0;
};

// The data length of the grid's block; -1 when it would not fit a block.
std::int32_t EncodedLength(const StringGrid& grid);
// The grid's block data (EncodedLength bytes); cells over 255 bytes are cut to 255.
std::vector<std::uint8_t> Encode(const StringGrid& grid);
// Where the parts of data lie; false for counts the data cannot hold.
bool ReadLayout(std::span<const std::uint8_t> data, Layout& layout);
// Sets the grid from data laid out as layout: its size, properties, widths and cells (cells
// not in the data are emptied).
void Decode(std::span<const std::uint8_t> data, const Layout& layout, StringGrid& grid);
// Calls cell(column, row, text) for each cell the data holds that is not empty, column by column
// until its end. An empty cell is its zero length byte alone: runs of them, most of a track
// table, are passed over eight at a time.
template <typename Cell>
void ForEachCell(std::span<const std::uint8_t> data, const Layout& layout, Cell cell) {
    const auto length = static_cast<std::int64_t>(data.size());
    const std::int64_t rows = layout.Rows;
    const std::int64_t cells = static_cast<std::int64_t>(layout.Columns) * rows;
    std::int64_t at = layout.CellsAt;
    for (std::int64_t i = 0; i < cells && at < length;) {
        const std::int64_t n =
            std::min<std::int64_t>(data[static_cast<std::size_t>(at)], length - at - 1);
        if (n == 0) {
            std::uint64_t eight = 1;
            if (i + 8 <= cells && at + 8 <= length) {
                std::memcpy(&eight, data.data() + at, sizeof eight);
            }
            const std::int64_t empty = eight == 0 ? 8 : 1;
            at += empty;
            i += empty;
            continue;
        }
        cell(static_cast<std::int32_t>(i / rows), static_cast<std::int32_t>(i % rows),
             std::string_view(reinterpret_cast<const char*>(data.data() + at + 1),
                              static_cast<std::size_t>(n)));
        at += 1 + n;
        ++i;
    }
}

}  // namespace snx::string_table
