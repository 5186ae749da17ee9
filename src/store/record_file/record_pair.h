// An open pair of the keyed record file (data file and index file): its headers, the pages of
// its keys through the page cache, and the record and page allocation every change goes
// through. Internal to the record-file layer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "store/raw_file.h"
#include "store/record_file/page_cache.h"
#include "store/record_file/record_page.h"
#include "store/stamped_cache.h"

namespace snx::record_files {

constexpr int kHalf = kPageEntries / 2;  // 31: the least a page other than the root holds
constexpr int kMaxDepth = 40;            // deeper paths can only come from a damaged file
constexpr std::int64_t kDatHeaderBytes = 21;

struct Step {
    std::int32_t PageNo = 0;
    std::size_t Idx = 0;  // child index descended into; at the bottom, the entry index
};

enum class Position { Start, At, Before, End };

struct Key {
    int Length = 0;
    bool Duplicates = false;
    std::int64_t Offset = 0;  // of the key's page place in every index record
    std::int64_t PageBytes = 0;
    std::int32_t FirstFree = -1;
    std::int32_t FreeCount = 0;
    std::int32_t Highest = 0;
    std::int32_t Root = 0;
    std::int32_t Count = 0;
    std::uint8_t Byte21 = 0;
    std::uint16_t PerPageRaw = kPageEntries;
    std::uint64_t Generation = 0;  // changes with every change of the tree

    Position Pos = Position::Start;
    Entry Last;  // At: the current entry; Before: the text sought
    bool LastUseRec = false;
    std::vector<Step> Path;
    std::uint64_t PathGeneration = ~std::uint64_t{0};
};

bool StampOf(const RawFile& file, FileStamp& stamp);

// The headers of both files as an open pair decoded them, kept for the next open.
struct PairHeader {
    std::int32_t L = 0;
    std::int32_t FirstDeleted = -1;
    std::int32_t DeletedCount = 0;
    std::int32_t Highest = 0;
    std::int64_t DatSize = 0;
    std::int64_t IndexRecordSize = 0;
    std::int64_t IndexRecords = 0;
    std::vector<Key> Keys;  // positions cleared
};

// What is kept of one pair between its opens by this process (keyed by its data file): decoded
// pages and headers, trusted only while both files are exactly as this process closed them.
struct SharedPages final : StampedCache {
    PageCache Cache;
    std::optional<PairHeader> Header;

  protected:
    void Drop() override {
        Cache = PageCache();
        Header.reset();
    }
};

struct Pair {
    RawFile Dat;
    RawFile Ix;
    bool ReadOnly = false;
    std::int32_t L = 0;
    std::int32_t FirstDeleted = -1;
    std::int32_t DeletedCount = 0;
    std::int32_t Highest = 0;
    std::int64_t DatSize = 0;  // the data file's length, kept as records are written
    std::int64_t IndexRecordSize = 0;
    std::int64_t IndexRecords = 0;
    std::vector<Key> Keys;
    std::shared_ptr<SharedPages> Shared;

    PageCache& Cache() { return Shared->Cache; }

    ~Pair() {
        // Remember how the files were left, so the next open may keep the pages and headers.
        FileStamp dat;
        FileStamp ix;
        if (Shared && !ReadOnly && StampOf(Dat, dat) && StampOf(Ix, ix)) {
            Shared->Header = KeptHeader();
            Shared->Seal({dat, ix});
        }
    }

    PairHeader KeptHeader() const;
    void Restore(const PairHeader& header);
};

// base + ext, matched without regard to case against the files in base's folder.
std::filesystem::path WithExtension(const std::filesystem::path& base, const char* ext);

void WriteDatHeader(Pair& f);
std::int64_t RecordOffset(const Pair& f, std::int32_t record);
// Writes bytes at the record's place. A place beyond the end of the data file (a highest
// record number that the file does not hold) is damage: writing there would leave a hole.
void WriteRecordBytes(Pair& f, std::int32_t record, std::span<const std::uint8_t> bytes);
// A chain link read from a record or page: -1 or 1..highest, anything else is a broken chain.
void CheckLink(std::int32_t link, std::int32_t highest);

std::int64_t PageOffset(const Pair& f, const Key& k, std::int32_t page);
void WriteKeyHeader(Pair& f, const Key& k);
PagePtr LoadPage(Pair& f, std::size_t keyIndex, std::int32_t page);
PagePtr StorePage(Pair& f, std::size_t keyIndex, std::int32_t page, Page p);
// A page from the key's free chain, else highest + 1 (the index growing by one zero-filled index
// record when that page has no place yet).
std::int32_t AllocatePage(Pair& f, std::size_t keyIndex);
void FreePage(Pair& f, std::size_t keyIndex, std::int32_t page);

// Opens the pair at base and reads its headers; kErrIo, kErrDamaged. The pair's pages come from
// cache, or, without one, from the pages this process shares between the opens of the pair.
std::unique_ptr<Pair> OpenPair(const std::filesystem::path& base, bool readOnly,
                               std::shared_ptr<SharedPages> cache = nullptr);

}  // namespace snx::record_files
