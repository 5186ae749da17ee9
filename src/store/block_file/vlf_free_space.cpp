// TVlf: finding, taking and merging free blocks, through the free-space map.
#include "store/block_file/vlf.h"

#include <algorithm>
#include <cstring>

#include "store/block_file/block_header.h"

namespace snx {

using namespace block_file;

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
    if (free_ && free_->Complete && free_->Blocks.empty()) {
        return 0;  // no free block at all (a new file): the hint need not be read
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

}  // namespace snx
