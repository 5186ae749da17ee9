// The checker of the block file: reads it from the disk and lists its problems.
#include "store/block_file/vlf.h"

#include <algorithm>
#include <cstring>

#include "store/block_file/block_header.h"
#include "store/block_file/string_table_block.h"

namespace snx {

using namespace block_file;

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
