// TVlf: text blocks and string-table blocks, to and from the memo and the grid.
#include "store/block_file/vlf.h"

#include <algorithm>
#include <cstring>

#include "store/block_file/block_header.h"
#include "store/block_file/string_table_block.h"

namespace snx {

using namespace block_file;

std::int32_t TVlf::StoreText(std::int32_t address, const TextBox& text) {
    if (text.Text.size() >= static_cast<std::size_t>(kMaxAddress)) {
        return 0;
    }
    std::vector<std::uint8_t> data(text.Text.begin(), text.Text.end());
    data.push_back(0);
    return WriteBlock(address, data, kTypeText, static_cast<std::int32_t>(data.size()));
}

bool TVlf::LoadText(std::int32_t address, TextBox& text) {
    BlockHeader h;
    if (!IsOpen() || !ReadValidBlock(address, h, blockData_) || h.Type != kTypeText) {
        return false;
    }
    const auto nul = std::find(blockData_.begin(), blockData_.end(), std::uint8_t{0});
    text.Text.assign(blockData_.begin(), nul);
    return true;
}

std::int32_t TVlf::GridBlockLength(const StringGrid& grid) {
    return string_table::EncodedLength(grid);
}

std::int32_t TVlf::StoreGrid(std::int32_t address, const StringGrid& grid) {
    if (!IsOpen()) {
        return 0;
    }
    const std::vector<std::uint8_t> data = string_table::Encode(grid);
    if (data.empty()) {
        return 0;
    }
    const auto size = static_cast<std::int32_t>(data.size());
    if (address < kFirstBlock) {
        address = FindFree(size);
    }
    // The block in place is reused only when it is in use and of the same length.
    if (BlockLength(address) != size) {
        DeleteBlock(address);
        address = PlaceFor(size);
    }
    return address == 0 ? 0 : WriteAt(address, data, kTypeGrid, size);
}

bool TVlf::ReadGridBlock(std::int32_t address, std::vector<std::uint8_t>& data,
                         string_table::Layout& layout) {
    BlockHeader h;
    if (!IsOpen() || !ReadValidBlock(address, h, data) || h.State != kInUse ||
        h.Type != kTypeGrid || h.Length < string_table::kFixedPart) {
        return false;
    }
    return string_table::ReadLayout(data, layout);
}

bool TVlf::VisitGridCells(
    std::int32_t address,
    const std::function<void(std::int32_t column, std::int32_t row, std::string_view text)>& cell) {
    string_table::Layout layout;
    if (!ReadGridBlock(address, blockData_, layout)) {
        return false;
    }
    string_table::ForEachCell(blockData_, layout, cell);
    return true;
}

bool TVlf::VisitAllGridCells(
    const std::function<void(std::int32_t address, std::int32_t column, std::int32_t row,
                             std::string_view text)>& cell,
    std::int64_t upTo) {
    if (!IsOpen()) {
        return false;
    }
    constexpr std::int64_t kWindow = 1 << 20;
    const std::int64_t end = FileLength();
    std::vector<std::uint8_t> window;
    std::int64_t windowAt = 0;  // the file offset of window[0]
    // Makes the bytes at..at + size part of the window, reading from at onward.
    const auto hold = [&](std::int64_t at, std::int64_t size) {
        if (at >= windowAt && at + size <= windowAt + static_cast<std::int64_t>(window.size())) {
            return true;
        }
        const std::int64_t n = std::min(std::max(kWindow, size), end - at);
        if (n < size) {
            return false;
        }
        window.resize(static_cast<std::size_t>(n));
        windowAt = at;
        return file_.ReadAt(at, window);
    };
    for (std::int64_t at = kFirstBlock; at < end && at <= upTo;) {
        if (!hold(at, kHeaderSize)) {
            return false;
        }
        const BlockHeader h =
            DecodeHeader(std::span(window).subspan(static_cast<std::size_t>(at - windowAt)));
        if (h.Length < 0 || at + kHeaderSize + h.Length > end) {
            return false;
        }
        const std::int64_t dataAt = at + kHeaderSize;
        if (h.State == kInUse && h.Type == kTypeGrid && h.Length >= string_table::kFixedPart) {
            if (!hold(dataAt, h.Length)) {
                return false;
            }
            const auto data = std::span<const std::uint8_t>(window).subspan(
                static_cast<std::size_t>(dataAt - windowAt), static_cast<std::size_t>(h.Length));
            string_table::Layout layout;
            if (string_table::ReadLayout(data, layout)) {
                const auto address = static_cast<std::int32_t>(at);
                string_table::ForEachCell(
                    data, layout,
                    [&](std::int32_t column, std::int32_t row, std::string_view text) {
                        cell(address, column, row, text);
                    });
            }
        }
        at = dataAt + h.Length;
    }
    return true;
}

bool TVlf::LoadGrid(std::int32_t address, StringGrid& grid) {
    string_table::Layout layout;
    if (!ReadGridBlock(address, blockData_, layout)) {
        return false;
    }
    string_table::Decode(blockData_, layout, grid);
    return true;
}

}  // namespace snx
