#include "store/rollback_journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "settings/file_names.h"
#include "store/crash_point.h"
#include "store/file_overlay.h"
#include "store/raw_file.h"
#include "util/bytes.h"
#include "util/crc32.h"

namespace snx {

namespace {

constexpr char kHeaderMagic[8] = {'S', 'N', 'X', 'J', 'N', 'L', '1', '\0'};
constexpr char kBodyMagic[4] = {'J', 'B', 'D', 'Y'};

static_assert(kJournalBodyHeaderBytes == 16 + 8 * static_cast<std::int64_t>(kJournalFiles));
static_assert(kJournalEntryHeaderBytes == 1 + 8 + 4);

void PutI64(std::span<std::uint8_t> out, std::size_t at, std::int64_t v) {
    PutU32(out, at, static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
    PutU32(out, at + 4, static_cast<std::uint32_t>(static_cast<std::uint64_t>(v) >> 32));
}

std::int64_t GetI64(std::span<const std::uint8_t> in, std::size_t at) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(GetU32(in, at)) |
                                     (static_cast<std::uint64_t>(GetU32(in, at + 4)) << 32));
}

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

std::vector<std::uint8_t> EncodeJournalHeader(std::uint64_t generation) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(kJournalHeaderBytes), 0);
    std::memcpy(out.data(), kHeaderMagic, sizeof kHeaderMagic);
    PutI64(out, 8, static_cast<std::int64_t>(generation));
    return out;
}

std::optional<std::uint64_t> DecodeJournalHeader(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < static_cast<std::size_t>(kJournalHeaderBytes) ||
        std::memcmp(bytes.data(), kHeaderMagic, sizeof kHeaderMagic) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(GetI64(bytes, 8));
}

JournalPieces LayOutJournalBody(const std::array<std::int64_t, kJournalFiles>& originalSizes,
                                std::span<const JournalRegion> regions) {
    JournalPieces out;
    std::size_t length = static_cast<std::size_t>(kJournalBodyHeaderBytes) + 4;
    for (const JournalRegion& r : regions) {
        length += static_cast<std::size_t>(kJournalEntryHeaderBytes) + r.Bytes.size();
    }
    // Sized once: the pieces point into it.
    out.Heads.assign(static_cast<std::size_t>(kJournalBodyHeaderBytes) +
                         regions.size() * static_cast<std::size_t>(kJournalEntryHeaderBytes) + 4,
                     0);
    const std::span<std::uint8_t> heads(out.Heads);
    std::memcpy(heads.data(), kBodyMagic, sizeof kBodyMagic);
    PutU32(heads, 4, static_cast<std::uint32_t>(regions.size()));
    PutI64(heads, 8, static_cast<std::int64_t>(length));
    for (std::size_t i = 0; i < kJournalFiles; ++i) {
        PutI64(heads, 16 + 8 * i, originalSizes[i]);
    }
    out.Pieces.reserve(2 * regions.size() + 2);
    out.Pieces.push_back(heads.first(static_cast<std::size_t>(kJournalBodyHeaderBytes)));
    std::uint32_t crc = Crc32Extend(0, out.Pieces.back());
    std::size_t at = static_cast<std::size_t>(kJournalBodyHeaderBytes);
    for (const JournalRegion& r : regions) {
        PutU8(heads, at, r.File);
        PutI64(heads, at + 1, r.Offset);
        PutU32(heads, at + 9, static_cast<std::uint32_t>(r.Bytes.size()));
        out.Pieces.push_back(heads.subspan(at, static_cast<std::size_t>(kJournalEntryHeaderBytes)));
        crc = Crc32Extend(crc, out.Pieces.back());
        out.Pieces.push_back(r.Bytes);
        crc = Crc32Extend(crc, r.Bytes);
        at += static_cast<std::size_t>(kJournalEntryHeaderBytes);
    }
    PutU32(heads, at, crc);
    out.Pieces.push_back(heads.subspan(at, 4));
    return out;
}

std::vector<JournalRegion> RegionsOf(const JournalBody& body) {
    std::vector<JournalRegion> regions;
    regions.reserve(body.Entries.size());
    for (const JournalEntry& e : body.Entries) {
        regions.push_back({e.File, e.Offset, e.Bytes});
    }
    return regions;
}

std::vector<std::uint8_t> EncodeJournalBody(const JournalBody& body) {
    const JournalPieces pieces = LayOutJournalBody(body.OriginalSizes, RegionsOf(body));
    std::vector<std::uint8_t> out;
    for (const auto piece : pieces.Pieces) {
        out.insert(out.end(), piece.begin(), piece.end());
    }
    return out;
}

std::optional<JournalBody> DecodeJournalBody(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < static_cast<std::size_t>(kJournalBodyHeaderBytes) + 4 ||
        std::memcmp(bytes.data(), kBodyMagic, sizeof kBodyMagic) != 0) {
        return std::nullopt;
    }
    const std::int64_t length = GetI64(bytes, 8);
    if (length < kJournalBodyHeaderBytes + 4 || length > static_cast<std::int64_t>(bytes.size())) {
        return std::nullopt;
    }
    const std::size_t end = static_cast<std::size_t>(length) - 4;
    if (GetU32(bytes, end) != Crc32(bytes.first(end))) {
        return std::nullopt;
    }
    JournalBody body;
    for (std::size_t i = 0; i < kJournalFiles; ++i) {
        body.OriginalSizes[i] = GetI64(bytes, 16 + 8 * i);
    }
    const std::uint32_t count = GetU32(bytes, 4);
    std::size_t at = static_cast<std::size_t>(kJournalBodyHeaderBytes);
    for (std::uint32_t n = 0; n < count; ++n) {
        if (end - at < static_cast<std::size_t>(kJournalEntryHeaderBytes)) {
            return std::nullopt;
        }
        JournalEntry e;
        e.File = GetU8(bytes, at);
        e.Offset = GetI64(bytes, at + 1);
        const std::uint32_t size = GetU32(bytes, at + 9);
        at += static_cast<std::size_t>(kJournalEntryHeaderBytes);
        if (e.File >= kJournalFiles || e.Offset < 0 || size > end - at) {
            return std::nullopt;
        }
        e.Bytes.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                       bytes.begin() + static_cast<std::ptrdiff_t>(at + size));
        at += size;
        body.Entries.push_back(std::move(e));
    }
    if (at != end) {
        return std::nullopt;
    }
    return body;
}

bool FlushFile(int fd) {
    CrashPoint();
    return ::fdatasync(fd) == 0;
}

bool FlushDirectory(const std::filesystem::path& directory) {
    const Fd fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    CrashPoint();
    return fd.Get() >= 0 && ::fsync(fd.Get()) == 0;
}

bool RollBackJournal(const std::filesystem::path& dataDirectory,
                     const std::array<std::int64_t, kJournalFiles>& originalSizes,
                     std::span<const JournalRegion> regions, std::string& reason) {
    bool removed = false;
    for (std::size_t i = 0; i < kJournalFiles; ++i) {
        const std::int64_t original = originalSizes[i];
        if (original < 0) {
            continue;
        }
        const std::filesystem::path path = ResolveFileName(dataDirectory, kJournalFileNames[i]);
        std::error_code error;
        if (original == 0) {
            // The change made this file; before it there was nothing to keep.
            CrashPoint();
            if (std::filesystem::remove(path, error)) {
                removed = true;
            }
            continue;
        }
        const Fd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
        if (fd.Get() < 0) {
            reason = "cannot open " + path.filename().string();
            return false;
        }
        for (const JournalRegion& e : regions) {
            if (e.File != i) {
                continue;
            }
            CrashPoint();
            if (!WriteFileAt(fd.Get(), e.Offset, e.Bytes)) {
                reason = "cannot write " + path.filename().string();
                return false;
            }
        }
        CrashPoint();
        if (::ftruncate(fd.Get(), static_cast<off_t>(original)) != 0 || !FlushFile(fd.Get())) {
            reason = "cannot write " + path.filename().string();
            return false;
        }
    }
    if (removed && !FlushDirectory(dataDirectory)) {
        reason = "cannot flush the data directory";
        return false;
    }
    return true;
}

}  // namespace snx
