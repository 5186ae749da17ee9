#include "store/block_file/vlf.h"

#include <algorithm>
#include <cstring>

#include "store/block_file/block_header.h"

namespace snx {

using namespace block_file;

namespace {

// What a file filled alone keeps in memory before writing it out.
constexpr std::int64_t kKeptWriteBytes = 8 << 20;

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
    if (KeepWritesUntilClose) {
        file_.KeepWrites(kKeptWriteBytes);
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
    free_ = StampedCacheFor<FreeSpaceMap>(path);
    // Changed since this process last had it: walked again when needed. A file exactly as this
    // process left it was checked then.
    const bool known = free_->Trust({file_.OpenedAs()});
    std::array<std::uint8_t, 2> signature{};
    if (size < kFirstBlock ||
        (!known && (!file_.ReadAt(0, signature) || signature[0] != 0xF5 || signature[1] != 0xF4))) {
        free_.reset();
        file_.Close();
        return false;
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
    const bool written = file_.Flush();
    FileStamp stamp;
    if (free_ && !written) {
        free_->Forget();
    } else if (free_ && file_.CurrentStamp(stamp)) {
        free_->Seal({stamp});
    }
    free_.reset();
    file_.Close();
    return written ? 0 : -1;
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

bool TVlf::ReadValidHeader(std::int64_t address, BlockHeader& header) {
    if (!ReadHeader(address, header) || header.Length < 0) {
        return false;
    }
    return address + kHeaderSize + header.Length <= FileLength();
}

bool TVlf::ReadValidBlock(std::int64_t address, BlockHeader& header,
                          std::vector<std::uint8_t>& data) {
    const std::int64_t end = FileLength();
    if (address < kFirstBlock || address + kHeaderSize > end) {
        return false;
    }
    // The header and what follows it up to kReadAhead: most texts and tables whole.
    const std::int64_t first = std::min(end - address, kHeaderSize + kReadAhead);
    data.resize(static_cast<std::size_t>(first));
    if (!file_.ReadAt(address, data)) {
        return false;
    }
    header = DecodeHeader(data);
    header_ = header;
    if (header.Length < 0 || address + kHeaderSize + header.Length > end) {
        return false;
    }
    const std::int64_t have = std::min<std::int64_t>(first - kHeaderSize, header.Length);
    data.erase(data.begin(), data.begin() + kHeaderSize);
    data.resize(static_cast<std::size_t>(header.Length));
    return have == header.Length ||
           file_.ReadAt(address + kHeaderSize + have,
                        std::span(data).subspan(static_cast<std::size_t>(have)));
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

}  // namespace snx
