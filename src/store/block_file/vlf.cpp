#include "store/block_file/vlf.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "store/block_file/string_table_block.h"
#include "util/bytes.h"

namespace snx {

namespace {

constexpr std::int64_t kMaxAddress = std::numeric_limits<std::int32_t>::max();

std::array<std::uint8_t, TVlf::kHeaderSize> EncodeHeader(const TVlf::BlockHeader& h) {
    std::array<std::uint8_t, TVlf::kHeaderSize> bytes{};
    PutU8(bytes, 0, h.State);
    PutU8(bytes, 1, h.Check);
    PutI16(bytes, 2, h.Type);
    PutI32(bytes, 4, h.Length);
    return bytes;
}

TVlf::BlockHeader DecodeHeader(std::span<const std::uint8_t> bytes) {
    TVlf::BlockHeader h;
    h.State = GetU8(bytes, 0);
    h.Check = GetU8(bytes, 1);
    h.Type = GetI16(bytes, 2);
    h.Length = GetI32(bytes, 4);
    return h;
}

TVlf::BlockHeader InUse(std::int16_t type, std::int32_t length) {
    return {TVlf::kInUse, TVlf::kCheck, type, length};
}

TVlf::BlockHeader FreeHeader(std::int32_t length) {
    return {TVlf::kFree, TVlf::kCheck, TVlf::kTypeFree, length};
}

}  // namespace

TVlf::~TVlf() {
    file_.Close();
}

bool TVlf::Open(const std::filesystem::path& name) {
    const std::filesystem::path path = name.empty() ? FileName : name;
    if (path.empty()) {
        return false;
    }
    if (IsOpen()) {
        Close();
    }
    if (BeforeFileOpen) {
        BeforeFileOpen(*this);
    }
    RawFile::Access access = RawFile::Access::ReadWrite;
    if (FileOpenMode == OpenRead) {
        access = RawFile::Access::Read;
    } else if (FileOpenMode == OpenWrite) {
        access = RawFile::Access::Write;
    }
    // A file that exists but cannot be opened is never created over (that would empty it).
    if (!file_.Open(path, access) && !file_.CreateNew(path)) {
        return false;
    }
    if (FileShareMode == Exclusive || FileShareMode == DenyRead || FileShareMode == DenyWrite) {
        if (!file_.TryLock(true)) {
            file_.Close();
            return false;
        }
    }
    const std::int64_t size = file_.Size();
    if (size == 0) {
        std::vector<std::uint8_t> head(kFirstBlock, 0);
        const std::uint8_t signature[] = {0xF5, 0xF4, 0x02, 0x00, 0x06, 0x00};
        std::copy(std::begin(signature), std::end(signature), head.begin());
        const std::size_t textLength = std::strlen(kFormatText);
        std::memcpy(head.data() + 6, kFormatText, textLength);
        if (!file_.WriteAt(0, head)) {
            file_.Close();
            return false;
        }
        free_ = StampedCacheFor<FreeSpaceMap>(path);
        free_->Forget();
        free_->Complete = true;  // a new file has no free blocks
        return true;
    }
    std::array<std::uint8_t, 2> signature{};
    if (size < kFirstBlock || !file_.ReadAt(0, signature) || signature[0] != 0xF5 ||
        signature[1] != 0xF4) {
        file_.Close();
        return false;
    }
    free_ = StampedCacheFor<FreeSpaceMap>(path);
    struct stat status {};
    // Changed since this process last had it: walked again when needed.
    if (!file_.Stat(status) || !free_->Trust({FileStamp::Of(status)})) {
        free_->Forget();
    }
    return true;
}

int TVlf::Close() {
    if (!IsOpen()) {
        return -1;
    }
    if (BeforeFileClose) {
        BeforeFileClose(*this);
    }
    struct stat status {};
    if (free_ && file_.Stat(status)) {
        free_->Seal({FileStamp::Of(status)});
    }
    free_.reset();
    file_.Close();
    return 0;
}

bool TVlf::ReadHeader(std::int64_t address, BlockHeader& header) {
    std::array<std::uint8_t, kHeaderSize> bytes{};
    if (address < kFirstBlock || !file_.ReadAt(address, bytes)) {
        return false;
    }
    header = DecodeHeader(bytes);
    header_ = header;
    return true;
}

bool TVlf::WriteHeader(std::int64_t address, const BlockHeader& header) {
    if (address < kFirstBlock || address > kMaxAddress) {
        return false;
    }
    header_ = header;
    const bool written = file_.WriteAt(address, EncodeHeader(header));
    NoteHeader(written ? address : -1, header);
    return written;
}

void TVlf::NoteHeader(std::int64_t address, const BlockHeader& header) {
    if (!free_ || !free_->Complete) {
        return;
    }
    if (address < 0) {
        free_->Forget();  // a failed write leaves the file unknown
    } else if (header.State == kFree) {
        free_->Blocks[address] = header.Length;
    } else {
        free_->Blocks.erase(address);
    }
}

bool TVlf::CompleteFreeSpaceMap() {
    if (!free_) {
        return false;
    }
    if (free_->Complete) {
        return true;
    }
    const std::int64_t size = FileLength();
    BlockHeader h;
    for (std::int64_t address = kFirstBlock; address + kHeaderSize <= size;
         address += kHeaderSize + static_cast<std::int64_t>(h.Length)) {
        if (!ReadValidHeader(address, h)) {
            free_->Forget();
            return false;
        }
        if (h.State == kFree) {
            free_->Blocks[address] = h.Length;
        }
    }
    free_->Complete = true;
    return true;
}

bool TVlf::ReadValidHeader(std::int64_t address, BlockHeader& header) {
    if (!ReadHeader(address, header) || header.Length < 0) {
        return false;
    }
    return address + kHeaderSize + header.Length <= FileLength();
}

std::int32_t TVlf::FreeHint() {
    std::array<std::uint8_t, 4> bytes{};
    if (!IsOpen() || !file_.ReadAt(kHintOffset, bytes)) {
        return 0;
    }
    return GetI32(bytes, 0);
}

bool TVlf::WriteHint(std::int32_t address) {
    std::array<std::uint8_t, 4> bytes{};
    PutI32(bytes, 0, address);
    return file_.WriteAt(kHintOffset, bytes);
}

void TVlf::LowerHint(std::int32_t address) {
    const std::int32_t hint = FreeHint();
    if (hint == 0 || hint > address) {
        WriteHint(address);
    }
}

std::int32_t TVlf::FindFree(std::int32_t length) {
    if (!IsOpen() || !Recycle || length < 0) {
        return 0;
    }
    std::int64_t start = FreeHint();
    if (start < kFirstBlock) {
        start = kFirstBlock;
    }
    if (!CompleteFreeSpaceMap()) {
        return WalkForFree(start, length);
    }
    // The free blocks in address order from the hint: the same blocks the walk would meet.
    for (auto it = free_->Blocks.lower_bound(start); it != free_->Blocks.end(); ++it) {
        const std::int32_t found = TakeFree(it->first, it->second, length);
        if (found != 0 || !free_->Complete) {
            return found;  // a failed split write forgot the map: stop before using it again
        }
    }
    return 0;
}

// The free block at address, of freeLength, for length bytes: itself when it fits exactly,
// split when it has room for the rest's header too, else 0.
std::int32_t TVlf::TakeFree(std::int64_t address, std::int32_t freeLength, std::int32_t length) {
    if (freeLength == length) {
        return static_cast<std::int32_t>(address);
    }
    if (freeLength >= static_cast<std::int64_t>(length) + kHeaderSize) {
        if (!WriteHeader(address + kHeaderSize + length,
                         FreeHeader(freeLength - length - kHeaderSize))) {
            return 0;
        }
        return static_cast<std::int32_t>(address);
    }
    return 0;
}

// Reads block after block from start: for a file whose blocks could not all be mapped.
std::int32_t TVlf::WalkForFree(std::int64_t address, std::int32_t length) {
    const std::int64_t size = FileLength();
    BlockHeader h;
    while (address + kHeaderSize <= size) {
        // A header whose length runs outside the file ends the search: nothing after it can be
        // trusted to be a block boundary.
        if (!ReadValidHeader(address, h)) {
            return 0;
        }
        if (h.State == kFree) {
            const std::int32_t found = TakeFree(address, h.Length, length);
            if (found != 0) {
                return found;
            }
        }
        address += kHeaderSize + static_cast<std::int64_t>(h.Length);
    }
    return 0;
}

void TVlf::MergeFree(std::int32_t address) {
    if (!IsOpen() || address < kFirstBlock) {
        return;
    }
    const std::int64_t size = FileLength();
    BlockHeader h;
    if (!ReadHeader(address, h)) {
        return;
    }
    while (h.Length >= 0) {
        const std::int64_t next = address + kHeaderSize + static_cast<std::int64_t>(h.Length);
        BlockHeader n;
        if (next + kHeaderSize > size || !ReadHeader(next, n) || n.State != kFree || n.Length < 0 ||
            next + kHeaderSize + n.Length > size) {
            break;
        }
        const std::int64_t merged = static_cast<std::int64_t>(h.Length) + kHeaderSize + n.Length;
        if (merged > kMaxAddress) {
            break;
        }
        if (!WriteHeader(next, {kAbsorbed, kAbsorbedCheck, kTypeFree, n.Length})) {
            break;
        }
        h.Length = static_cast<std::int32_t>(merged);
        if (!WriteHeader(address, h)) {
            break;
        }
    }
    LowerHint(address);
}

std::int32_t TVlf::WriteAt(std::int32_t address, std::span<const std::uint8_t> data,
                           std::int16_t type, std::int32_t length) {
    if (address < kFirstBlock ||
        static_cast<std::int64_t>(address) + kHeaderSize + length > kMaxAddress) {
        return 0;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length) + kHeaderSize);
    const auto head = EncodeHeader(InUse(type, length));
    std::copy(head.begin(), head.end(), bytes.begin());
    std::copy_n(data.begin(), length, bytes.begin() + kHeaderSize);
    header_ = InUse(type, length);
    const bool written = file_.WriteAt(address, bytes);
    NoteHeader(written ? address : -1, header_);
    return written ? address : 0;
}

std::int32_t TVlf::PlaceFor(std::int32_t length) {
    const std::int32_t found = FindFree(length);
    if (found != 0) {
        return found;
    }
    const std::int64_t end = FileLength();
    if (end < kFirstBlock || end + kHeaderSize + length > kMaxAddress) {
        return 0;
    }
    return static_cast<std::int32_t>(end);
}

std::int32_t TVlf::WriteNew(std::span<const std::uint8_t> data, std::int16_t type,
                            std::int32_t length) {
    const std::int32_t address = PlaceFor(length);
    return address == 0 ? 0 : WriteAt(address, data, type, length);
}

std::int32_t TVlf::AppendBlock(std::span<const std::uint8_t> data, std::int32_t length,
                               std::int16_t type) {
    if (!IsOpen() || length < 0 || data.size() < static_cast<std::size_t>(length)) {
        return 0;
    }
    const std::int64_t end = FileLength();
    if (end < kFirstBlock || end + kHeaderSize + length > kMaxAddress) {
        return 0;
    }
    return WriteAt(static_cast<std::int32_t>(end), data, type, length);
}

std::int32_t TVlf::WriteBlock(std::int32_t address, std::span<const std::uint8_t> data,
                              std::int16_t type, std::int32_t length) {
    if (!IsOpen() || length < 0 || data.size() < static_cast<std::size_t>(length)) {
        return 0;
    }
    if (address < kFirstBlock) {
        const std::int32_t found = FindFree(length);
        if (found != 0) {
            return WriteBlockAt(found, data, type, length);
        }
        return AppendBlock(data, length, type);
    }
    return WriteBlockAt(address, data, type, length);
}

std::int32_t TVlf::WriteBlockAt(std::int32_t address, std::span<const std::uint8_t> data,
                                std::int16_t type, std::int32_t length) {
    if (FileLength() < static_cast<std::int64_t>(address) + length) {
        return AppendBlock(data, length, type);
    }
    BlockHeader h;
    if (!ReadValidHeader(address, h) || (h.State != kInUse && h.State != kFree)) {
        // Not the header of a block (damage, or an address inside another block): leave it
        // alone and store the data elsewhere.
        return WriteNew(data, type, length);
    }
    MergeFree(address);
    if (!ReadValidHeader(address, h)) {
        return 0;
    }
    const std::int32_t d = h.Length;
    if (d == length) {
        return WriteAt(address, data, type, length);
    }
    if (!WriteHeader(address, FreeHeader(d))) {
        return 0;
    }
    if (static_cast<std::int64_t>(d) >= static_cast<std::int64_t>(length) + kHeaderSize) {
        const std::int64_t split = static_cast<std::int64_t>(address) + kHeaderSize + length;
        if (!WriteHeader(split, FreeHeader(d - length - kHeaderSize))) {
            return 0;
        }
        LowerHint(static_cast<std::int32_t>(split));
        return WriteAt(address, data, type, length);
    }
    return WriteNew(data, type, length);
}

bool TVlf::ReadBlock(std::int32_t address, std::span<std::uint8_t> buffer, std::int32_t length) {
    BlockHeader h;
    if (!IsOpen() || address < kFirstBlock || !ReadHeader(address, h)) {
        return false;
    }
    if (length == 0) {
        length = h.Length;
    }
    if (length < 0 || static_cast<std::size_t>(length) > buffer.size()) {
        return false;
    }
    return file_.ReadAt(static_cast<std::int64_t>(address) + kHeaderSize,
                        buffer.first(static_cast<std::size_t>(length)));
}

bool TVlf::ReadBlock(std::int32_t address, std::vector<std::uint8_t>& data) {
    BlockHeader h;
    if (!IsOpen() || !ReadValidHeader(address, h)) {
        return false;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(h.Length));
    if (!file_.ReadAt(static_cast<std::int64_t>(address) + kHeaderSize, bytes)) {
        return false;
    }
    data = std::move(bytes);
    return true;
}

std::int32_t TVlf::BlockLength(std::int32_t address) {
    BlockHeader h;
    if (!IsOpen() || !ReadHeader(address, h) || h.State != kInUse || h.Length < 0) {
        return 0;
    }
    return h.Length;
}

std::int16_t TVlf::BlockType(std::int32_t address) {
    BlockHeader h;
    if (!IsOpen() || !ReadHeader(address, h)) {
        return -1;
    }
    return h.Type;
}

int TVlf::DeleteBlock(std::int32_t address) {
    BlockHeader h;
    if (!IsOpen() || !ReadValidHeader(address, h)) {
        return 0;
    }
    // An absorbed header lies inside another block: freeing it would make blocks overlap.
    if (h.State != kInUse && h.State != kFree) {
        return 0;
    }
    if (!WriteHeader(address, FreeHeader(h.Length))) {
        return 0;
    }
    MergeFree(address);
    return 1;
}

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
    if (!IsOpen() || !ReadValidHeader(address, h) || h.Type != kTypeText) {
        return false;
    }
    std::vector<std::uint8_t> data(static_cast<std::size_t>(h.Length));
    if (!file_.ReadAt(static_cast<std::int64_t>(address) + kHeaderSize, data)) {
        return false;
    }
    const auto nul = std::find(data.begin(), data.end(), std::uint8_t{0});
    text.Text.assign(data.begin(), nul);
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
    if (!IsOpen() || !ReadValidHeader(address, h) || h.State != kInUse || h.Type != kTypeGrid ||
        h.Length < string_table::kFixedPart) {
        return false;
    }
    data.resize(static_cast<std::size_t>(h.Length));
    if (!file_.ReadAt(static_cast<std::int64_t>(address) + kHeaderSize, data)) {
        return false;
    }
    return string_table::ReadLayout(data, layout);
}

bool TVlf::VisitGridCells(
    std::int32_t address,
    const std::function<void(std::int32_t column, std::int32_t row, std::string_view text)>& cell) {
    std::vector<std::uint8_t> data;
    string_table::Layout layout;
    if (!ReadGridBlock(address, data, layout)) {
        return false;
    }
    string_table::ForEachCell(data, layout, cell);
    return true;
}

bool TVlf::VisitAllGridCells(
    const std::function<void(std::int32_t address, std::int32_t column, std::int32_t row,
                             std::string_view text)>& cell) {
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
    for (std::int64_t at = kFirstBlock; at < end;) {
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
    std::vector<std::uint8_t> data;
    string_table::Layout layout;
    if (!ReadGridBlock(address, data, layout)) {
        return false;
    }
    string_table::Decode(data, layout, grid);
    return true;
}

std::int32_t TVlf::StoreFile(std::int32_t address, const std::filesystem::path& fileName,
                             std::int16_t type) {
    if (!IsOpen()) {
        return 0;
    }
    RawFile source;
    if (!source.Open(fileName, RawFile::Access::Read)) {
        return 0;
    }
    const std::int64_t size = source.Size();
    if (size < 0 || size > kMaxAddress - kFirstBlock - kHeaderSize) {
        return 0;
    }
    const auto length = static_cast<std::int32_t>(size);
    if (address != 0) {
        DeleteBlock(address);
    }
    address = PlaceFor(length);
    if (address == 0) {
        return 0;
    }
    if (!WriteHeader(address, InUse(type, length))) {
        return 0;
    }
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(ChunkSize()));
    std::int64_t done = 0;
    while (done < size) {
        const std::int64_t n = std::min<std::int64_t>(ChunkSize(), size - done);
        if (FileToVlfProgress) {
            FileToVlfProgress(*this, size, done);
        }
        const std::span<std::uint8_t> part(chunk.data(), static_cast<std::size_t>(n));
        if (source.ReadNext(part) != n ||
            !file_.WriteAt(static_cast<std::int64_t>(address) + kHeaderSize + done, part)) {
            return 0;
        }
        done += n;
    }
    return address;
}

bool TVlf::ExtractFile(std::int32_t address, const std::filesystem::path& fileName, int mode) {
    BlockHeader h;
    if (!IsOpen() || !ReadValidHeader(address, h)) {
        return false;
    }
    RawFile out;
    std::error_code error;
    const bool append = mode == 1 && std::filesystem::exists(fileName, error);
    if (append ? !out.OpenAppend(fileName) : !out.CreateOrTruncate(fileName)) {
        return false;
    }
    const std::int64_t length = h.Length;
    const std::int64_t chunkSize =
        std::max<std::int64_t>(1, std::min<std::int64_t>(ChunkSize(), length));
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(chunkSize));
    std::int64_t done = 0;
    while (done < length) {
        const std::int64_t n = std::min(chunkSize, length - done);
        if (VlfToFileProgress) {
            VlfToFileProgress(*this, length, done);
        }
        const std::span<std::uint8_t> part(chunk.data(), static_cast<std::size_t>(n));
        if (!file_.ReadAt(static_cast<std::int64_t>(address) + kHeaderSize + done, part) ||
            !out.Append(part)) {
            return false;
        }
        done += n;
    }
    return true;
}

std::vector<std::string> CheckVlf(const std::filesystem::path& path) {
    std::vector<std::string> problems;
    constexpr std::size_t kMaxProblems = 200;
    auto add = [&](std::string text) {
        if (problems.size() < kMaxProblems) {
            problems.push_back(std::move(text));
        }
    };
    RawFile file;
    if (!file.Open(path, RawFile::Access::Read)) {
        add("cannot open " + path.string());
        return problems;
    }
    const std::int64_t size = file.Size();
    if (size == 0) {
        return problems;  // made but not yet written: opening it writes an empty block file
    }
    std::array<std::uint8_t, TVlf::kFirstBlock> head{};
    if (size < TVlf::kFirstBlock || !file.ReadAt(0, head)) {
        add("file is shorter than its 1024-byte header");
        return problems;
    }
    if (head[0] != 0xF5 || head[1] != 0xF4) {
        add("bad signature");
    }
    if (GetU16(head, 2) != 2 || GetU16(head, 4) != 6) {
        add("bad format numbers in the file header");
    }
    if (size > kMaxAddress) {
        add("file is longer than 32-bit addresses reach");
    }
    const std::int32_t hint = GetI32(head, TVlf::kHintOffset);
    std::vector<std::int64_t> boundaries;
    std::int64_t firstFree = -1;
    std::int64_t address = TVlf::kFirstBlock;
    while (address < size) {
        std::array<std::uint8_t, TVlf::kHeaderSize> bytes{};
        if (address + TVlf::kHeaderSize > size || !file.ReadAt(address, bytes)) {
            add("partial block header at " + std::to_string(address));
            break;
        }
        const TVlf::BlockHeader h = DecodeHeader(bytes);
        const std::string at = " at " + std::to_string(address);
        boundaries.push_back(address);
        if (h.State == TVlf::kInUse) {
            if (h.Check != TVlf::kCheck) {
                add("bad check byte of the block" + at);
            }
            if (h.Type == TVlf::kTypeFree) {
                add("block in use with the free type" + at);
            }
        } else if (h.State == TVlf::kFree) {
            if (h.Check != TVlf::kCheck) {
                add("bad check byte of the free block" + at);
            }
            if (h.Type != TVlf::kTypeFree) {
                add("free block with type " + std::to_string(h.Type) + at);
            }
            if (firstFree < 0) {
                firstFree = address;
            }
        } else if (h.State == TVlf::kAbsorbed) {
            add("absorbed header at a block address" + at);
        } else {
            add("invalid block state " + std::to_string(h.State) + at);
        }
        if (h.Length < 0) {
            add("negative block length" + at);
            break;
        }
        if (address + TVlf::kHeaderSize + h.Length > size) {
            add("block runs past the end of the file" + at);
            break;
        }
        address += TVlf::kHeaderSize + static_cast<std::int64_t>(h.Length);
    }
    if (hint != 0) {
        if (!std::binary_search(boundaries.begin(), boundaries.end(),
                                static_cast<std::int64_t>(hint))) {
            add("free-space hint " + std::to_string(hint) + " is not a block address");
        }
        if (firstFree >= 0 && firstFree < hint) {
            add("free block at " + std::to_string(firstFree) + " lies below the free-space hint " +
                std::to_string(hint));
        }
    } else if (firstFree >= 0) {
        add("free block at " + std::to_string(firstFree) + " but no free-space hint");
    }
    return problems;
}

}  // namespace snx
