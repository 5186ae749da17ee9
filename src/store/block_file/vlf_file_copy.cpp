// TVlf: whole files copied into blocks and back out.
#include "store/block_file/vlf.h"

#include <algorithm>
#include <cstring>

#include "store/block_file/block_header.h"

namespace snx {

using namespace block_file;

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

std::int32_t TVlf::CopyBlockFrom(TVlf& source, std::int32_t address, std::int16_t type) {
    BlockHeader h;
    if (!IsOpen() || !source.IsOpen() || !source.ReadValidHeader(address, h)) {
        return 0;
    }
    const std::int32_t length = h.Length;
    const std::int32_t to = PlaceFor(length);
    if (to == 0) {
        return 0;
    }
    // The header goes out with the first piece; a piece is large enough that a sample takes one
    // read and one write, small enough that a long one never sits in memory whole.
    constexpr std::int64_t kPiece = std::int64_t{1} << 20;
    std::vector<std::uint8_t> piece(static_cast<std::size_t>(
        std::min<std::int64_t>(kPiece, kHeaderSize + std::int64_t{length})));
    const auto head = EncodeHeader(InUse(type, length));
    std::copy(head.begin(), head.end(), piece.begin());
    std::int64_t done = 0;  // data bytes copied
    std::size_t filled = kHeaderSize;
    while (true) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(
            static_cast<std::int64_t>(piece.size() - filled), length - done));
        const std::span<std::uint8_t> part(piece.data() + filled, n);
        if (!source.file_.ReadAt(static_cast<std::int64_t>(address) + kHeaderSize + done, part)) {
            return 0;
        }
        const std::int64_t at =
            static_cast<std::int64_t>(to) + kHeaderSize + done - static_cast<std::int64_t>(filled);
        if (!file_.WriteAt(at, std::span(piece.data(), filled + n))) {
            NoteHeader(-1, header_);
            return 0;
        }
        done += static_cast<std::int64_t>(n);
        if (done >= length) {
            break;
        }
        filled = 0;
    }
    header_ = InUse(type, length);
    NoteHeader(to, header_);
    return to;
}

}  // namespace snx
