#include "store/block_file/string_table_block.h"

#include <cstring>
#include <limits>

#include "util/bytes.h"

namespace snx::string_table {

std::int32_t EncodedLength(const StringGrid& grid) {
    std::int64_t size = kFixedPart + 2 * static_cast<std::int64_t>(grid.ColCount());
    for (const std::string& cell : grid.Cells()) {
        size += static_cast<std::int64_t>(std::min(cell.size(), kMaxCell)) + 1;
    }
    return size > std::numeric_limits<std::int32_t>::max() ? -1 : static_cast<std::int32_t>(size);
}

std::vector<std::uint8_t> Encode(const StringGrid& grid) {
    const std::int32_t size = EncodedLength(grid);
    if (size < kFixedPart) {
        return {};
    }
    std::vector<std::uint8_t> data(static_cast<std::size_t>(size), 0);
    const std::span<std::uint8_t, kFixedPart> out(data.data(), kFixedPart);
    PutI32(out, kColumns, grid.ColCount());
    PutI32(out, kRows, grid.RowCount());
    PutU16(out, kFixedCols, static_cast<std::uint16_t>(grid.FixedCols));
    PutU16(out, kFixedRows, static_cast<std::uint16_t>(grid.FixedRows));
    PutI32(out, kColor, grid.Color);
    PutI32(out, kFixedColor, grid.FixedColor);
    PutU16(out, kGridLineWidth, static_cast<std::uint16_t>(grid.GridLineWidth));
    PutI32(out, kFontColor, grid.Font.Color);
    PutI16(out, kFontHeight, grid.Font.Height);
    const std::size_t nameLength = std::min(grid.Font.Name.size(), kFontNameMax);
    PutU8(out, kFontNameLength, static_cast<std::uint8_t>(nameLength));
    std::memcpy(data.data() + kFontName, grid.Font.Name.data(), nameLength);
    PutU8(out, kFontPitch, grid.Font.FontPitch);
    PutI16(out, kFontSize, grid.Font.Size);
    // The block keeps a flag per style only when it is the one style set.
    PutU8(out, kBold, grid.Font.Styles == GridFont::Bold ? 1 : 0);
    PutU8(out, kItalic, grid.Font.Styles == GridFont::Italic ? 1 : 0);
    PutU8(out, kUnderline, grid.Font.Styles == GridFont::Underline ? 1 : 0);
    PutU8(out, kStrikeOut, grid.Font.Styles == GridFont::StrikeOut ? 1 : 0);
    PutU16(out, kPropertyArea, 0);
    std::size_t at = kFixedPart;
    for (std::int32_t c = 0; c < grid.ColCount(); ++c) {
        PutU16(data, at, static_cast<std::uint16_t>(grid.ColWidth(c)));
        at += 2;
    }
    for (const std::string& cell : grid.Cells()) {
        const std::size_t n = std::min(cell.size(), kMaxCell);
        data[at++] = static_cast<std::uint8_t>(n);
        std::memcpy(data.data() + at, cell.data(), n);
        at += n;
    }
    return data;
}

bool ReadLayout(std::span<const std::uint8_t> data, Layout& layout) {
    const auto length = static_cast<std::int64_t>(data.size());
    if (length < kFixedPart) {
        return false;
    }
    layout.Columns = GetI32(data, kColumns);
    layout.Rows = GetI32(data, kRows);
    layout.WidthsAt = kFixedPart + static_cast<std::int64_t>(GetU16(data, kPropertyArea));
    if (layout.Columns < 0 || layout.Rows < 0 ||
        layout.WidthsAt + 2 * static_cast<std::int64_t>(layout.Columns) > length) {
        return false;
    }
    layout.CellsAt = layout.WidthsAt + 2 * static_cast<std::int64_t>(layout.Columns);
    // Every cell takes at least its length byte: counts the block cannot hold are damage.
    return static_cast<std::int64_t>(layout.Columns) * layout.Rows <= length - layout.CellsAt;
}

void Decode(std::span<const std::uint8_t> data, const Layout& layout, StringGrid& grid) {
    grid.Resize(layout.Columns, layout.Rows);
    grid.ClearCells();
    grid.FixedCols = GetU16(data, kFixedCols);
    grid.FixedRows = GetU16(data, kFixedRows);
    grid.Color = GetI32(data, kColor);
    grid.FixedColor = GetI32(data, kFixedColor);
    grid.GridLineWidth = GetU16(data, kGridLineWidth);
    grid.Font.Color = GetI32(data, kFontColor);
    grid.Font.Height = GetI16(data, kFontHeight);
    const std::size_t nameLength =
        std::min<std::size_t>(GetU8(data, kFontNameLength), kFontNameMax);
    grid.Font.Name.assign(reinterpret_cast<const char*>(data.data() + kFontName), nameLength);
    grid.Font.FontPitch = GetU8(data, kFontPitch);
    grid.Font.Size = GetI16(data, kFontSize);
    std::uint8_t styles = 0;
    styles |= GetU8(data, kBold) == 1 ? GridFont::Bold : 0;
    styles |= GetU8(data, kItalic) == 1 ? GridFont::Italic : 0;
    styles |= GetU8(data, kUnderline) == 1 ? GridFont::Underline : 0;
    styles |= GetU8(data, kStrikeOut) == 1 ? GridFont::StrikeOut : 0;
    grid.Font.Styles = styles;
    for (std::int32_t c = 0; c < layout.Columns; ++c) {
        grid.SetColWidth(c, GetU16(data, static_cast<std::size_t>(layout.WidthsAt + 2 * c)));
    }
    ForEachCell(data, layout, [&](std::int32_t c, std::int32_t r, std::string_view text) {
        grid.AssignCell(c, r, text);
    });
}

}  // namespace snx::string_table
