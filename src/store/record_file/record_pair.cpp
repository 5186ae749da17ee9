#include "store/record_file/record_pair.h"

#include <algorithm>
#include <array>
#include <limits>

#include "store/transaction.h"
#include "util/bytes.h"

namespace snx::record_files {

bool StampOf(const RawFile& file, FileStamp& stamp) {
    return file.CurrentStamp(stamp);
}

std::filesystem::path WithExtension(const std::filesystem::path& base, const char* ext) {
    std::filesystem::path dir = base.parent_path();
    if (dir.empty()) {
        dir = ".";
    }
    const std::string name = base.filename().string() + ext;
    auto existing = catalogue_files::ExistingName(dir, name);
    return existing ? std::move(*existing) : dir / name;
}

// --- data file -------------------------------------------------------------------------------

void WriteDatHeader(Pair& f) {
    std::array<std::uint8_t, 12> bytes{};
    PutI32(bytes, 0, f.FirstDeleted);
    PutI32(bytes, 4, f.DeletedCount);
    PutI32(bytes, 8, f.Highest);
    if (!f.Dat.WriteAt(0, bytes)) {
        Fail(kErrIo);
    }
}

std::int64_t RecordOffset(const Pair& f, std::int32_t record) {
    return static_cast<std::int64_t>(record) * f.L;
}

void WriteRecordBytes(Pair& f, std::int32_t record, std::span<const std::uint8_t> bytes) {
    const std::int64_t at = RecordOffset(f, record);
    if (at > f.DatSize) {
        Fail(kErrDamaged);
    }
    if (!f.Dat.WriteAt(at, bytes)) {
        Fail(kErrIo);
    }
    f.DatSize = std::max(f.DatSize, at + static_cast<std::int64_t>(bytes.size()));
}

void CheckLink(std::int32_t link, std::int32_t highest) {
    if (link != -1 && (link < 1 || link > highest)) {
        Fail(kErrBrokenChain);
    }
}

// --- index file ------------------------------------------------------------------------------

namespace {

constexpr std::int64_t kKeyHeadersRead = 16384;  // bytes of index record 0 read in one go

std::uint64_t PageId(std::size_t key, std::int32_t page) {
    return (static_cast<std::uint64_t>(key) << 32) | static_cast<std::uint32_t>(page);
}

}  // namespace

std::int64_t PageOffset(const Pair& f, const Key& k, std::int32_t page) {
    return static_cast<std::int64_t>(page) * f.IndexRecordSize + k.Offset;
}

void WriteKeyHeader(Pair& f, const Key& k) {
    std::array<std::uint8_t, kKeyHeaderSize> b{};
    PutI32(b, 0, k.FirstFree);
    PutI32(b, 4, k.FreeCount);
    PutI32(b, 8, k.Highest);
    PutI32(b, 12, static_cast<std::int32_t>(k.PageBytes));
    PutI32(b, 16, k.Root);
    PutU8(b, 20, k.Duplicates ? 1 : 0);
    PutU8(b, 21, k.Byte21);
    PutI32(b, 22, k.Count);
    PutU16(b, 26, k.PerPageRaw);
    if (!f.Ix.WriteAt(k.Offset, b)) {
        Fail(kErrIo);
    }
}

namespace {

void CheckPageNumber(const Pair& f, const Key& k, std::int32_t page) {
    if (page < 1 || page > k.Highest || page >= f.IndexRecords) {
        Fail(kErrDamaged);
    }
}

}  // namespace

PagePtr LoadPage(Pair& f, std::size_t keyIndex, std::int32_t page) {
    const Key& k = f.Keys[keyIndex];
    CheckPageNumber(f, k, page);
    const std::uint64_t id = PageId(keyIndex, page);
    if (PagePtr cached = f.Cache().Find(id)) {
        return cached;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(k.PageBytes));
    if (!f.Ix.ReadAt(PageOffset(f, k, page), bytes)) {
        Fail(kErrDamaged);
    }
    auto decoded = std::make_shared<const Page>(DecodePage(bytes, k.Length));
    f.Cache().Put(id, decoded);
    return decoded;
}

PagePtr StorePage(Pair& f, std::size_t keyIndex, std::int32_t page, Page p) {
    const Key& k = f.Keys[keyIndex];
    CheckPageNumber(f, k, page);
    // One buffer for every page stored: the bytes go on into the file's changes at once.
    static thread_local std::vector<std::uint8_t> bytes;
    bytes.resize(static_cast<std::size_t>(k.PageBytes));
    EncodePage(p, k.Length, bytes);
    if (!f.Ix.WriteAt(PageOffset(f, k, page), bytes)) {
        Fail(kErrIo);
    }
    auto stored = std::make_shared<const Page>(std::move(p));
    f.Cache().Put(PageId(keyIndex, page), stored);
    return stored;
}

std::int32_t AllocatePage(Pair& f, std::size_t keyIndex) {
    Key& k = f.Keys[keyIndex];
    if (k.FirstFree != -1) {
        const std::int32_t page = k.FirstFree;
        CheckLink(page, k.Highest);
        if (page >= f.IndexRecords) {
            Fail(kErrBrokenChain);
        }
        std::array<std::uint8_t, 4> link{};
        if (!f.Ix.ReadAt(PageOffset(f, k, page), link)) {
            Fail(kErrDamaged);
        }
        const std::int32_t next = GetI32(link, 0);
        CheckLink(next, k.Highest);
        k.FirstFree = next;
        --k.FreeCount;
        return page;
    }
    if (k.Highest >= std::numeric_limits<std::int32_t>::max() - 1) {
        Fail(kErrDamaged);
    }
    const std::int32_t page = k.Highest + 1;
    if (page > f.IndexRecords) {
        Fail(kErrDamaged);
    }
    if (page == f.IndexRecords) {
        std::vector<std::uint8_t> zeros(static_cast<std::size_t>(f.IndexRecordSize), 0);
        if (!f.Ix.WriteAt(f.IndexRecords * f.IndexRecordSize, zeros)) {
            Fail(kErrIo);
        }
        ++f.IndexRecords;
    }
    k.Highest = page;
    return page;
}

void FreePage(Pair& f, std::size_t keyIndex, std::int32_t page) {
    Key& k = f.Keys[keyIndex];
    CheckPageNumber(f, k, page);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(k.PageBytes), 0);
    PutI32(bytes, 0, k.FirstFree);
    if (!f.Ix.WriteAt(PageOffset(f, k, page), bytes)) {
        Fail(kErrIo);
    }
    f.Cache().Erase(PageId(keyIndex, page));
    k.FirstFree = page;
    ++k.FreeCount;
}

PairHeader Pair::KeptHeader() const {
    PairHeader h{L,       FirstDeleted,    DeletedCount, Highest,
                 DatSize, IndexRecordSize, IndexRecords, Keys};
    for (Key& k : h.Keys) {
        k.Pos = Position::Start;
        k.Last = {};
        k.LastUseRec = false;
        k.Path.clear();
        k.PathGeneration = ~std::uint64_t{0};
    }
    return h;
}

void Pair::Restore(const PairHeader& h) {
    L = h.L;
    FirstDeleted = h.FirstDeleted;
    DeletedCount = h.DeletedCount;
    Highest = h.Highest;
    DatSize = h.DatSize;
    IndexRecordSize = h.IndexRecordSize;
    IndexRecords = h.IndexRecords;
    Keys = h.Keys;
}

// --- opening ---------------------------------------------------------------------------------

std::unique_ptr<Pair> OpenPair(const std::filesystem::path& base, bool readOnly,
                               std::shared_ptr<SharedPages> cache) {
    auto f = std::make_unique<Pair>();
    f->ReadOnly = readOnly;
    const auto access = readOnly ? RawFile::Access::Read : RawFile::Access::ReadWrite;
    const std::filesystem::path dat = WithExtension(base, ".DAT");
    if (!f->Dat.Open(dat, access) || !f->Ix.Open(WithExtension(base, ".IX"), access)) {
        Fail(kErrIo);
    }
    f->Shared = cache ? std::move(cache) : StampedCacheFor<SharedPages>(dat);
    // Dropped when changed since this process last closed it.
    const bool trusted = f->Shared->Trust({f->Dat.OpenedAs(), f->Ix.OpenedAs()});
    // Trusted again only once this open is closed cleanly.
    f->Shared->Unseal();
    if (trusted && f->Shared->Header && !readOnly) {
        f->Restore(*f->Shared->Header);
        return f;
    }
    std::array<std::uint8_t, kDatHeaderBytes> head{};
    if (!f->Dat.ReadAt(0, head)) {
        Fail(kErrDamaged);
    }
    f->FirstDeleted = GetI32(head, 0);
    f->DeletedCount = GetI32(head, 4);
    f->Highest = GetI32(head, 8);
    f->L = GetI32(head, 12);
    const std::int32_t keys = GetI32(head, 16);
    if (f->L < kDatHeaderBytes || f->Highest < 0 || keys < 0 || keys > kMaxKeys) {
        Fail(kErrDamaged);
    }
    f->DatSize = f->Dat.Size();
    std::int64_t offset = 0;
    f->Keys.resize(static_cast<std::size_t>(keys));
    // The key headers lie at the key offsets of index record 0: read its first part at once.
    std::vector<std::uint8_t> head0(
        static_cast<std::size_t>(std::clamp<std::int64_t>(f->Ix.Size(), 0, kKeyHeadersRead)));
    if (!f->Ix.ReadAt(0, head0)) {
        Fail(kErrDamaged);
    }
    for (Key& k : f->Keys) {
        std::array<std::uint8_t, kKeyHeaderSize> b{};
        if (offset + kKeyHeaderSize <= static_cast<std::int64_t>(head0.size())) {
            std::copy_n(head0.begin() + offset, kKeyHeaderSize, b.begin());
        } else if (!f->Ix.ReadAt(offset, b)) {
            Fail(kErrDamaged);
        }
        k.Offset = offset;
        k.FirstFree = GetI32(b, 0);
        k.FreeCount = GetI32(b, 4);
        k.Highest = GetI32(b, 8);
        k.PageBytes = GetI32(b, 12);
        k.Root = GetI32(b, 16);
        const std::uint8_t dup = GetU8(b, 20);
        k.Byte21 = GetU8(b, 21);
        k.Count = GetI32(b, 22);
        k.PerPageRaw = GetU16(b, 26);
        const std::int64_t entries = k.PageBytes - 6;
        if (entries <= 0 || entries % kPageEntries != 0) {
            Fail(kErrDamaged);
        }
        k.Length = static_cast<int>(entries / kPageEntries - 9);
        if (k.Length < 1 || k.Length > kMaxKeyLength || dup > 1 || k.Highest < 0 || k.Root < 0 ||
            k.Root > k.Highest || k.Count < 0 ||
            (k.PerPageRaw != 0 && k.PerPageRaw != kPageEntries)) {
            Fail(kErrDamaged);
        }
        k.Duplicates = dup == 1;
        offset += k.PageBytes;
    }
    f->IndexRecordSize = offset;
    if (offset > 0) {
        const std::int64_t size = f->Ix.Size();
        f->IndexRecords = size / offset;
        if (f->IndexRecords < 1) {
            Fail(kErrDamaged);
        }
    }
    return f;
}

}  // namespace snx::record_files
