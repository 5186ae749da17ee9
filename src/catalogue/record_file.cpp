#include "catalogue/record_file.h"

#include "catalogue/file_stamp.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <list>
#include <map>
#include <memory>
#include <new>
#include <unordered_map>

#include "catalogue/raw_file.h"
#include "settings/file_names.h"
#include "util/bytes.h"

namespace snx {

namespace {

constexpr int kHalf = kPageEntries / 2;          // 31: the least a page other than the root holds
constexpr int kMaxDepth = 40;                    // deeper paths can only come from a damaged file
constexpr std::size_t kCachePages = 1024;        // decoded pages kept per open pair
constexpr std::int64_t kKeyHeadersRead = 16384;  // bytes of index record 0 read in one go
constexpr std::int64_t kDatHeaderBytes = 21;

struct Failure {
    int Code;
};

[[noreturn]] void Fail(int code) {
    throw Failure{code};
}

RecordStatus g_status;

// ---------------------------------------------------------------------------------------------
// Entries, pages and comparison

struct Entry {
    std::int32_t Rec = 0;
    std::int32_t Child = 0;
    std::uint8_t Len = 0;
    std::array<char, kMaxKeyLength> Text{};

    std::string_view View() const { return {Text.data(), Len}; }
};

struct Page {
    std::int32_t P0 = 0;
    std::vector<Entry> E;

    bool IsLeaf() const { return P0 == 0; }
    std::int32_t Child(std::size_t c) const { return c == 0 ? P0 : E[c - 1].Child; }
};
using PagePtr = std::shared_ptr<const Page>;

// Byte-wise over the common length, then the shorter first.
int CompareTexts(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    if (n > 0) {
        const int c = std::memcmp(a.data(), b.data(), n);
        if (c != 0) {
            return c;
        }
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

struct Target {
    std::string_view Text;
    std::int32_t Rec = 0;
    bool UseRec = false;  // keys with duplicates order equal texts by record number
};

// The entry against the target: negative when the entry sorts first.
int Compare(const Entry& e, const Target& t) {
    const int c = CompareTexts(e.View(), t.Text);
    if (c != 0 || !t.UseRec) {
        return c;
    }
    return e.Rec < t.Rec ? -1 : (e.Rec > t.Rec ? 1 : 0);
}

Entry MakeEntry(std::int32_t rec, std::string_view text) {
    Entry e;
    e.Rec = rec;
    e.Len = static_cast<std::uint8_t>(text.size());
    std::memcpy(e.Text.data(), text.data(), text.size());
    return e;
}

// Bisection: the middle entry is compared and half of the rest is kept. Returns the position of
// the first entry not below the target (or, with strict, above it); found when an entry equals
// the target (never with strict).
std::size_t Bisect(const Page& page, const Target& t, bool strict, bool& found) {
    std::size_t lo = 0;
    std::size_t hi = page.E.size();
    found = false;
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        const int c = Compare(page.E[mid], t);
        if (c == 0 && !strict) {
            found = true;
            return mid;
        }
        if (c < 0 || c == 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

// ---------------------------------------------------------------------------------------------
// Open pairs

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

class PageCache {
  public:
    PagePtr Find(std::uint64_t id) {
        auto it = map_.find(id);
        if (it == map_.end()) {
            return nullptr;
        }
        order_.splice(order_.begin(), order_, it->second);
        return it->second->second;
    }
    void Put(std::uint64_t id, PagePtr page) {
        auto it = map_.find(id);
        if (it != map_.end()) {
            it->second->second = std::move(page);
            order_.splice(order_.begin(), order_, it->second);
            return;
        }
        order_.emplace_front(id, std::move(page));
        map_[id] = order_.begin();
        if (order_.size() > kCachePages) {
            map_.erase(order_.back().first);
            order_.pop_back();
        }
    }
    void Erase(std::uint64_t id) {
        auto it = map_.find(id);
        if (it != map_.end()) {
            order_.erase(it->second);
            map_.erase(it);
        }
    }

  private:
    using Item = std::pair<std::uint64_t, PagePtr>;
    std::list<Item> order_;
    std::unordered_map<std::uint64_t, std::list<Item>::iterator> map_;
};

// Decoded pages kept between the opens of one pair by this process, trusted only while both
// files are exactly as this process closed them.
struct SharedPages {
    PageCache Cache;
    FileStamp Dat;
    FileStamp Ix;
    bool Valid = false;
};

std::map<std::string, std::shared_ptr<SharedPages>>& SharedPagesRegistry() {
    static std::map<std::string, std::shared_ptr<SharedPages>> registry;
    return registry;
}

std::shared_ptr<SharedPages> SharedPagesFor(const std::filesystem::path& dat) {
    auto& shared = SharedPagesRegistry()[FileKey(dat)];
    if (!shared) {
        shared = std::make_shared<SharedPages>();
    }
    return shared;
}

// After a failed write or a damaged read nothing remembered can be trusted.
void ForgetSharedPages() {
    for (auto& [name, shared] : SharedPagesRegistry()) {
        shared->Cache = PageCache();
        shared->Valid = false;
    }
}

bool StampOf(const RawFile& file, FileStamp& stamp) {
    struct stat status {};
    if (!file.Stat(status)) {
        return false;
    }
    stamp = FileStamp::Of(status);
    return true;
}

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
        // Remember how the files were left, so the next open may keep the pages.
        if (Shared && !ReadOnly && StampOf(Dat, Shared->Dat) && StampOf(Ix, Shared->Ix)) {
            Shared->Valid = true;
        }
    }
};

std::vector<std::unique_ptr<Pair>> g_slots;
bool g_started = false;

std::filesystem::path WithExtension(const std::filesystem::path& base, const char* ext) {
    std::filesystem::path dir = base.parent_path();
    if (dir.empty()) {
        dir = ".";
    }
    return ResolveFileName(dir, base.filename().string() + ext);
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

// Writes bytes at the record's place. A place beyond the end of the data file (a highest
// record number that the file does not hold) is damage: writing there would leave a hole.
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

// A chain link read from a record or page: -1 or 1..highest, anything else is a broken chain.
void CheckLink(std::int32_t link, std::int32_t highest) {
    if (link != -1 && (link < 1 || link > highest)) {
        Fail(kErrBrokenChain);
    }
}

// --- index file ------------------------------------------------------------------------------

std::uint64_t PageId(std::size_t key, std::int32_t page) {
    return (static_cast<std::uint64_t>(key) << 32) | static_cast<std::uint32_t>(page);
}

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

Page DecodePage(std::span<const std::uint8_t> bytes, const Key& k) {
    Page p;
    const std::uint16_t count = GetU16(bytes, 0);
    if (count > kPageEntries) {
        Fail(kErrDamaged);
    }
    p.P0 = GetI32(bytes, 2);
    p.E.resize(count);
    const std::size_t size = static_cast<std::size_t>(k.Length) + 9;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = 6 + i * size;
        Entry& e = p.E[i];
        e.Rec = GetI32(bytes, at);
        e.Child = GetI32(bytes, at + 4);
        e.Len = GetU8(bytes, at + 8);
        if (e.Len > k.Length) {
            Fail(kErrDamaged);
        }
        std::memcpy(e.Text.data(), bytes.data() + at + 9, e.Len);
        // A leaf has no children at all, an inner page a child everywhere.
        if ((p.P0 == 0) != (e.Child == 0)) {
            Fail(kErrDamaged);
        }
    }
    return p;
}

void EncodePage(const Page& p, const Key& k, std::span<std::uint8_t> bytes) {
    std::fill(bytes.begin(), bytes.end(), 0);
    PutU16(bytes, 0, static_cast<std::uint16_t>(p.E.size()));
    PutI32(bytes, 2, p.P0);
    const std::size_t size = static_cast<std::size_t>(k.Length) + 9;
    for (std::size_t i = 0; i < p.E.size(); ++i) {
        const std::size_t at = 6 + i * size;
        const Entry& e = p.E[i];
        PutI32(bytes, at, e.Rec);
        PutI32(bytes, at + 4, e.Child);
        PutU8(bytes, at + 8, e.Len);
        std::memcpy(bytes.data() + at + 9, e.Text.data(), e.Len);
    }
}

void CheckPageNumber(const Pair& f, const Key& k, std::int32_t page) {
    if (page < 1 || page > k.Highest || page >= f.IndexRecords) {
        Fail(kErrDamaged);
    }
}

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
    auto decoded = std::make_shared<const Page>(DecodePage(bytes, k));
    f.Cache().Put(id, decoded);
    return decoded;
}

PagePtr StorePage(Pair& f, std::size_t keyIndex, std::int32_t page, Page p) {
    const Key& k = f.Keys[keyIndex];
    CheckPageNumber(f, k, page);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(k.PageBytes));
    EncodePage(p, k, bytes);
    if (!f.Ix.WriteAt(PageOffset(f, k, page), bytes)) {
        Fail(kErrIo);
    }
    auto stored = std::make_shared<const Page>(std::move(p));
    f.Cache().Put(PageId(keyIndex, page), stored);
    return stored;
}

// A page from the key's free chain, else highest + 1 (the index growing by one zero-filled index
// record when that page has no place yet).
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

// --- opening ---------------------------------------------------------------------------------

std::unique_ptr<Pair> OpenPair(const std::filesystem::path& base, bool readOnly) {
    auto f = std::make_unique<Pair>();
    f->ReadOnly = readOnly;
    const auto access = readOnly ? RawFile::Access::Read : RawFile::Access::ReadWrite;
    const std::filesystem::path dat = WithExtension(base, ".DAT");
    if (!f->Dat.Open(dat, access) || !f->Ix.Open(WithExtension(base, ".IX"), access)) {
        Fail(kErrIo);
    }
    f->Shared = SharedPagesFor(dat);
    FileStamp datStamp;
    FileStamp ixStamp;
    if (!f->Shared->Valid || !StampOf(f->Dat, datStamp) || !StampOf(f->Ix, ixStamp) ||
        datStamp != f->Shared->Dat || ixStamp != f->Shared->Ix) {
        f->Shared->Cache = PageCache();  // changed since this process last closed it
    }
    // Valid again only once this open is closed cleanly.
    f->Shared->Valid = false;
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

Pair& PairOf(int handle) {
    if (!g_started || handle < 0 || static_cast<std::size_t>(handle) >= g_slots.size() ||
        !g_slots[static_cast<std::size_t>(handle)]) {
        Fail(kErrNotOpen);
    }
    return *g_slots[static_cast<std::size_t>(handle)];
}

std::size_t KeyIndex(const Pair& f, int key) {
    if (key < 1 || static_cast<std::size_t>(key) > f.Keys.size()) {
        Fail(kErrArgument);
    }
    return static_cast<std::size_t>(key - 1);
}

std::string_view Cut(std::string_view text) {
    return text.substr(0, std::min<std::size_t>(text.size(), kMaxKeyLength));
}

template <class Result, class Body>
Result Guarded(Result failure, Body body) {
    g_status = {};
    try {
        return body();
    } catch (const Failure& e) {
        g_status = {false, e.Code};
        if (e.Code == kErrIo || e.Code == kErrDamaged) {
            ForgetSharedPages();
        }
    } catch (const std::bad_alloc&) {
        g_status = {false, kErrNoMemory};
    }
    return failure;
}

// ---------------------------------------------------------------------------------------------
// The B-tree

struct PathPages {
    std::vector<Step> Steps;
    std::vector<PagePtr> Pages;
};

void Push(PathPages& p, std::int32_t pageNo, std::size_t idx, PagePtr page) {
    if (p.Steps.size() >= kMaxDepth) {
        Fail(kErrDamaged);
    }
    p.Steps.push_back({pageNo, idx});
    p.Pages.push_back(std::move(page));
}

// Descends from the root for target. Stops at the page holding an equal entry (found, Idx = the
// entry) or at the leaf (Idx = the place where the target belongs).
PathPages Search(Pair& f, std::size_t ki, const Target& t, bool strict, bool& found) {
    PathPages path;
    found = false;
    std::int32_t pageNo = f.Keys[ki].Root;
    while (pageNo != 0) {
        PagePtr page = LoadPage(f, ki, pageNo);
        const std::size_t idx = Bisect(*page, t, strict, found);
        const bool leaf = page->IsLeaf();
        const std::int32_t child = leaf ? 0 : page->Child(idx);
        Push(path, pageNo, idx, std::move(page));
        if (found || leaf) {
            break;
        }
        pageNo = child;
    }
    return path;
}

void CheckSameKind(const Page& a, const Page& b) {
    if (a.IsLeaf() != b.IsLeaf()) {
        Fail(kErrDamaged);
    }
}

// Shares list (left page entries, separator, right page entries) out again: leftCount entries
// to the left page, the next one up into the parent as the separator, the rest to the right.
void Redistribute(Pair& f, std::size_t ki, std::vector<Entry>& list, std::int32_t leftP0,
                  std::size_t leftCount, std::int32_t leftNo, std::int32_t rightNo, Page& parent,
                  std::size_t sep, std::int32_t parentNo) {
    Page left;
    left.P0 = leftP0;
    left.E.assign(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(leftCount));
    Entry up = list[leftCount];
    Page right;
    right.P0 = up.Child;
    right.E.assign(list.begin() + static_cast<std::ptrdiff_t>(leftCount) + 1, list.end());
    up.Child = rightNo;
    parent.E[sep] = up;
    StorePage(f, ki, leftNo, std::move(left));
    StorePage(f, ki, rightNo, std::move(right));
    StorePage(f, ki, parentNo, std::move(parent));
}

// The one neighbour a page shares entries with: the page to its right under the same parent,
// or to its left when it is the parent's last child.
struct Neighbour {
    Page Parent;
    std::int32_t ParentNo;
    bool ToRight;
    std::size_t Separator;  // the parent entry between the two pages
    std::int32_t PageNo;
    PagePtr Contents;
};

Neighbour NeighbourOf(Pair& f, std::size_t ki, const PathPages& path, std::size_t level) {
    Page parent = *path.Pages[level - 1];
    const std::int32_t parentNo = path.Steps[level - 1].PageNo;
    const std::size_t j = path.Steps[level - 1].Idx;
    if (j > parent.E.size() || parent.E.empty()) {
        Fail(kErrDamaged);
    }
    const bool toRight = j < parent.E.size();
    const std::size_t sep = toRight ? j : j - 1;
    const std::int32_t neighbourNo = parent.Child(toRight ? j + 1 : j - 1);
    PagePtr neighbour = LoadPage(f, ki, neighbourNo);
    return {std::move(parent), parentNo, toRight, sep, neighbourNo, std::move(neighbour)};
}

// The entries of a page and its neighbour with the separator between them, in key order: the
// separator takes the right page's first child, and leftP0 is set to the left page's.
std::vector<Entry> JoinPages(std::vector<Entry> near, std::int32_t nearP0, const Page& neighbour,
                             Entry separator, bool neighbourOnRight, std::int32_t& leftP0) {
    std::vector<Entry> list;
    if (neighbourOnRight) {
        leftP0 = nearP0;
        list = std::move(near);
        separator.Child = neighbour.P0;
        list.push_back(separator);
        list.insert(list.end(), neighbour.E.begin(), neighbour.E.end());
    } else {
        leftP0 = neighbour.P0;
        list = neighbour.E;
        separator.Child = nearP0;
        list.push_back(separator);
        list.insert(list.end(), near.begin(), near.end());
    }
    return list;
}

// Inserts e at position pos of the page at path level `level`, then the overflow rules.
void Insert(Pair& f, std::size_t ki, PathPages& path, std::size_t level, std::size_t pos, Entry e) {
    Key& k = f.Keys[ki];
    while (true) {
        Page p = *path.Pages[level];
        const std::int32_t pageNo = path.Steps[level].PageNo;
        if (pos > p.E.size()) {
            Fail(kErrDamaged);
        }
        if (p.E.size() < static_cast<std::size_t>(kPageEntries)) {
            p.E.insert(p.E.begin() + static_cast<std::ptrdiff_t>(pos), e);
            StorePage(f, ki, pageNo, std::move(p));
            return;
        }
        std::vector<Entry> all = p.E;
        all.insert(all.begin() + static_cast<std::ptrdiff_t>(pos), e);
        if (level > 0) {
            auto [parent, parentNo, toRight, sep, neighbourNo, neighbour] =
                NeighbourOf(f, ki, path, level);
            CheckSameKind(p, *neighbour);
            if (neighbour->E.size() < static_cast<std::size_t>(kPageEntries)) {
                std::int32_t leftP0 = 0;
                std::vector<Entry> list =
                    JoinPages(std::move(all), p.P0, *neighbour, parent.E[sep], toRight, leftP0);
                // The two pages end equal, or the overflowing page one more.
                const std::size_t moved = list.size() - 1;
                const std::size_t leftCount = toRight ? (moved + 1) / 2 : moved / 2;
                Redistribute(f, ki, list, leftP0, leftCount, toRight ? pageNo : neighbourNo,
                             toRight ? neighbourNo : pageNo, parent, sep, parentNo);
                return;
            }
        }
        // Split: 31 stay, the 32nd moves up, 31 go to a new page.
        const std::int32_t newNo = AllocatePage(f, ki);
        const std::int32_t rootNo = level == 0 ? AllocatePage(f, ki) : 0;
        Entry up = all[kHalf];
        Page left;
        left.P0 = p.P0;
        left.E.assign(all.begin(), all.begin() + kHalf);
        Page right;
        right.P0 = up.Child;
        right.E.assign(all.begin() + kHalf + 1, all.end());
        up.Child = newNo;
        StorePage(f, ki, pageNo, std::move(left));
        StorePage(f, ki, newNo, std::move(right));
        if (level == 0) {
            Page root;
            root.P0 = pageNo;
            root.E.push_back(up);
            StorePage(f, ki, rootNo, std::move(root));
            k.Root = rootNo;
            return;
        }
        e = up;
        pos = path.Steps[level - 1].Idx;
        --level;
    }
}

// Refills thin pages going back up the path from `level`, then collapses an empty root.
void Rebalance(Pair& f, std::size_t ki, PathPages& path, std::size_t level) {
    Key& k = f.Keys[ki];
    while (level > 0 && path.Pages[level]->E.size() < static_cast<std::size_t>(kHalf)) {
        const Page& thin = *path.Pages[level];
        const std::int32_t thinNo = path.Steps[level].PageNo;
        auto [parent, parentNo, toRight, sep, neighbourNo, neighbour] =
            NeighbourOf(f, ki, path, level);
        CheckSameKind(thin, *neighbour);
        const int m = static_cast<int>(neighbour->E.size());
        const int kk = (m - 30) / 2;  // truncates toward zero, as Pascal's div
        std::int32_t leftP0 = 0;
        std::vector<Entry> list =
            JoinPages(thin.E, thin.P0, *neighbour, parent.E[sep], toRight, leftP0);
        const std::int32_t leftNo = toRight ? thinNo : neighbourNo;
        const std::int32_t rightNo = toRight ? neighbourNo : thinNo;
        if (kk > 0) {
            const std::size_t t = thin.E.size();
            const std::size_t leftCount =
                toRight ? t + static_cast<std::size_t>(kk) : static_cast<std::size_t>(m - kk);
            Redistribute(f, ki, list, leftP0, leftCount, leftNo, rightNo, parent, sep, parentNo);
            break;
        }
        if (list.size() > static_cast<std::size_t>(kPageEntries)) {
            Fail(kErrDamaged);
        }
        Page merged;
        merged.P0 = leftP0;
        merged.E = std::move(list);
        StorePage(f, ki, leftNo, std::move(merged));
        FreePage(f, ki, rightNo);
        parent.E.erase(parent.E.begin() + static_cast<std::ptrdiff_t>(sep));
        path.Pages[level - 1] = StorePage(f, ki, parentNo, std::move(parent));
        --level;
    }
    PagePtr root = LoadPage(f, ki, k.Root);
    if (root->E.empty()) {
        const std::int32_t newRoot = root->P0;
        FreePage(f, ki, k.Root);
        k.Root = newRoot;
    }
}

void AddEntry(Pair& f, std::size_t ki, std::int32_t record, std::string_view text) {
    Key& k = f.Keys[ki];
    if (text.size() > static_cast<std::size_t>(k.Length)) {
        Fail(kErrKeyTooLong);
    }
    if (k.Count == std::numeric_limits<std::int32_t>::max()) {
        Fail(kErrDamaged);
    }
    const Entry e = MakeEntry(record, text);
    ++k.Generation;
    if (k.Root == 0) {
        const std::int32_t pageNo = AllocatePage(f, ki);
        Page root;
        root.E.push_back(e);
        StorePage(f, ki, pageNo, std::move(root));
        k.Root = pageNo;
    } else {
        bool found = false;
        PathPages path = Search(f, ki, {text, record, k.Duplicates}, false, found);
        if (found) {
            Fail(kErrAddKey);
        }
        Insert(f, ki, path, path.Steps.size() - 1, path.Steps.back().Idx, e);
    }
    ++k.Count;
    WriteKeyHeader(f, k);
}

void RemoveEntry(Pair& f, std::size_t ki, std::int32_t record, std::string_view text) {
    Key& k = f.Keys[ki];
    bool found = false;
    PathPages path = Search(f, ki, {text, record, k.Duplicates}, false, found);
    if (!found) {
        Fail(kErrDeleteKey);
    }
    ++k.Generation;
    const std::size_t level = path.Steps.size() - 1;
    const std::size_t i = path.Steps[level].Idx;
    Page page = *path.Pages[level];
    const std::int32_t pageNo = path.Steps[level].PageNo;
    std::size_t bottom = level;
    if (page.IsLeaf()) {
        page.E.erase(page.E.begin() + static_cast<std::ptrdiff_t>(i));
        path.Pages[level] = StorePage(f, ki, pageNo, std::move(page));
    } else {
        // Replace by the predecessor: the last entry of the rightmost leaf under the left child.
        std::int32_t childNo = page.Child(i);
        while (true) {
            PagePtr child = LoadPage(f, ki, childNo);
            const std::size_t n = child->E.size();
            const bool leaf = child->IsLeaf();
            const std::int32_t next = leaf ? 0 : child->Child(n);
            Push(path, childNo, n, std::move(child));
            if (leaf) {
                break;
            }
            childNo = next;
        }
        bottom = path.Steps.size() - 1;
        Page leaf = *path.Pages[bottom];
        if (leaf.E.empty()) {
            Fail(kErrDamaged);
        }
        Entry pred = leaf.E.back();
        leaf.E.pop_back();
        pred.Child = page.E[i].Child;
        page.E[i] = pred;
        path.Pages[level] = StorePage(f, ki, pageNo, std::move(page));
        path.Pages[bottom] = StorePage(f, ki, path.Steps[bottom].PageNo, std::move(leaf));
    }
    Rebalance(f, ki, path, bottom);
    --k.Count;
    WriteKeyHeader(f, k);
}

// Positions the key's path on the first entry not below (strict: above) the target; false when
// there is none.
bool Seek(Pair& f, std::size_t ki, const Target& t, bool strict) {
    Key& k = f.Keys[ki];
    bool found = false;
    PathPages path = Search(f, ki, t, strict, found);
    k.Path = std::move(path.Steps);
    k.PathGeneration = k.Generation;
    if (k.Path.empty()) {
        return false;
    }
    if (found) {
        return true;
    }
    // At a leaf: the entry at Idx, or climb to the first parent entry after the subtree.
    if (k.Path.back().Idx < path.Pages.back()->E.size()) {
        return true;
    }
    k.Path.pop_back();
    path.Pages.pop_back();
    while (!k.Path.empty()) {
        if (k.Path.back().Idx < path.Pages.back()->E.size()) {
            return true;
        }
        k.Path.pop_back();
        path.Pages.pop_back();
    }
    return false;
}

Entry EntryAtPath(Pair& f, std::size_t ki) {
    const Key& k = f.Keys[ki];
    PagePtr page = LoadPage(f, ki, k.Path.back().PageNo);
    if (k.Path.back().Idx >= page->E.size()) {
        Fail(kErrDamaged);
    }
    return page->E[k.Path.back().Idx];
}

// Moves the key's path from its entry to the next one in order; false at the end.
bool Advance(Pair& f, std::size_t ki) {
    Key& k = f.Keys[ki];
    PagePtr page = LoadPage(f, ki, k.Path.back().PageNo);
    if (!page->IsLeaf()) {
        // Down the child after the entry, then leftmost to a leaf.
        Step& step = k.Path.back();
        if (step.Idx >= page->E.size()) {
            Fail(kErrDamaged);
        }
        ++step.Idx;
        std::int32_t childNo = page->Child(step.Idx);
        while (true) {
            if (k.Path.size() >= kMaxDepth) {
                Fail(kErrDamaged);
            }
            PagePtr child = LoadPage(f, ki, childNo);
            k.Path.push_back({childNo, 0});
            if (child->IsLeaf()) {
                if (child->E.empty()) {
                    Fail(kErrDamaged);
                }
                return true;
            }
            childNo = child->P0;
        }
    }
    if (k.Path.back().Idx + 1 < page->E.size()) {
        ++k.Path.back().Idx;
        return true;
    }
    k.Path.pop_back();
    while (!k.Path.empty()) {
        PagePtr parent = LoadPage(f, ki, k.Path.back().PageNo);
        if (k.Path.back().Idx < parent->E.size()) {
            return true;
        }
        k.Path.pop_back();
    }
    return false;
}

bool FirstEntry(Pair& f, std::size_t ki) {
    Key& k = f.Keys[ki];
    k.Path.clear();
    k.PathGeneration = k.Generation;
    std::int32_t pageNo = k.Root;
    while (pageNo != 0) {
        if (k.Path.size() >= kMaxDepth) {
            Fail(kErrDamaged);
        }
        PagePtr page = LoadPage(f, ki, pageNo);
        k.Path.push_back({pageNo, 0});
        if (page->IsLeaf()) {
            if (page->E.empty()) {
                k.Path.clear();  // only an empty root page, which a sound file never keeps
                return false;
            }
            return true;
        }
        pageNo = page->P0;
    }
    return false;
}

void ResetPosition(Key& k) {
    k.Pos = Position::Start;
    k.Path.clear();
}

}  // namespace

// -------------------------------------------------------------------------------------------------

const RecordStatus& LastRecordStatus() {
    return g_status;
}

void InitRecordFiles(int slots) {
    g_status = {};
    g_slots.clear();
    g_slots.resize(static_cast<std::size_t>(std::max(slots, 0)));
    g_started = true;
}

void ExitRecordFiles() {
    g_status = {};
    g_slots.clear();
    g_started = false;
}

void CreateRecordFiles(const std::filesystem::path& base, int recordLength,
                       std::span<const KeyDescription> keys) {
    Guarded(0, [&] {
        if (recordLength < kDatHeaderBytes) {
            Fail(kErrRecordLength);
        }
        if (keys.size() > static_cast<std::size_t>(kMaxKeys)) {
            Fail(kErrTooManyKeys);
        }
        for (const KeyDescription& d : keys) {
            if (d.Length < 1 || d.Length > kMaxKeyLength) {
                Fail(kErrKeyLength);
            }
        }
        for (const char* ext : {".DAT", ".IX", ".DIA"}) {
            std::error_code ignored;
            std::filesystem::remove(WithExtension(base, ext), ignored);
        }
        std::vector<std::uint8_t> dat(static_cast<std::size_t>(recordLength), 0);
        PutI32(dat, 0, -1);
        PutI32(dat, 12, recordLength);
        PutI32(dat, 16, static_cast<std::int32_t>(keys.size()));
        std::int64_t recordSize = 0;
        for (const KeyDescription& d : keys) {
            recordSize += PageSize(d.Length);
        }
        std::vector<std::uint8_t> ix(static_cast<std::size_t>(recordSize), 0);
        std::int64_t offset = 0;
        for (const KeyDescription& d : keys) {
            const std::span<std::uint8_t> h(ix.data() + offset, kKeyHeaderSize);
            PutI32(h, 0, -1);
            PutI32(h, 12, static_cast<std::int32_t>(PageSize(d.Length)));
            PutU8(h, 20, d.Duplicates ? 1 : 0);
            PutU16(h, 26, kPageEntries);
            offset += PageSize(d.Length);
        }
        RawFile file;
        const std::string name = base.filename().string();
        const std::filesystem::path datPath = base.parent_path() / (name + ".DAT");
        const std::filesystem::path ixPath = base.parent_path() / (name + ".IX");
        if (!file.CreateOrTruncate(datPath) || !file.WriteAt(0, dat)) {
            Fail(kErrIo);
        }
        if (!file.CreateOrTruncate(ixPath) || !file.WriteAt(0, ix)) {
            Fail(kErrIo);
        }
        return 0;
    });
}

int OpenRecordFiles(const std::filesystem::path& base) {
    return Guarded(-1, [&] {
        if (!g_started) {
            Fail(kErrNotOpen);
        }
        const auto slot = std::find(g_slots.begin(), g_slots.end(), nullptr);
        if (slot == g_slots.end()) {
            Fail(kErrNoMemory);
        }
        *slot = OpenPair(base, false);
        return static_cast<int>(slot - g_slots.begin());
    });
}

void CloseRecordFiles(int handle) {
    Guarded(0, [&] {
        PairOf(handle);
        g_slots[static_cast<std::size_t>(handle)].reset();
        return 0;
    });
}

int RecordLength(int handle) {
    return Guarded(0, [&] { return PairOf(handle).L; });
}

int KeyCount(int handle) {
    return Guarded(0, [&] { return static_cast<int>(PairOf(handle).Keys.size()); });
}

bool GetRec(int handle, std::int32_t record, std::span<std::uint8_t> buffer) {
    return Guarded(false, [&] {
        Pair& f = PairOf(handle);
        if (buffer.size() < static_cast<std::size_t>(f.L)) {
            Fail(kErrArgument);
        }
        if (record < 0 || record > f.Highest) {
            Fail(kErrRecordRange);
        }
        if (!f.Dat.ReadAt(RecordOffset(f, record), buffer.first(static_cast<std::size_t>(f.L)))) {
            Fail(kErrDamaged);
        }
        return true;
    });
}

std::int32_t GetRecs(int handle, std::int32_t first, std::span<std::uint8_t> buffer) {
    return Guarded(0, [&] {
        Pair& f = PairOf(handle);
        if (first < 0 || first > f.Highest) {
            Fail(kErrRecordRange);
        }
        const auto length = static_cast<std::size_t>(f.L);
        const std::int32_t count = static_cast<std::int32_t>(std::min<std::int64_t>(
            static_cast<std::int64_t>(buffer.size() / length), f.Highest - first + 1));
        if (count == 0) {
            Fail(kErrArgument);
        }
        if (!f.Dat.ReadAt(RecordOffset(f, first),
                          buffer.first(length * static_cast<std::size_t>(count)))) {
            Fail(kErrDamaged);
        }
        return count;
    });
}

bool PutRec(int handle, std::int32_t record, std::span<const std::uint8_t> data) {
    return Guarded(false, [&] {
        Pair& f = PairOf(handle);
        if (data.size() < static_cast<std::size_t>(f.L)) {
            Fail(kErrArgument);
        }
        if (record == 0) {
            Fail(kErrWriteRecord0);
        }
        if (record < 0 || record > f.Highest) {
            Fail(kErrRecordRange);
        }
        WriteRecordBytes(f, record, data.first(static_cast<std::size_t>(f.L)));
        return true;
    });
}

std::int32_t AddRec(int handle, std::span<const std::uint8_t> data) {
    return Guarded(std::int32_t{0}, [&] {
        Pair& f = PairOf(handle);
        if (data.size() < static_cast<std::size_t>(f.L)) {
            Fail(kErrArgument);
        }
        const auto bytes = data.first(static_cast<std::size_t>(f.L));
        std::int32_t record = 0;
        if (f.FirstDeleted != -1) {
            record = f.FirstDeleted;
            if (record < 1 || record > f.Highest) {
                Fail(kErrBrokenChain);
            }
            std::array<std::uint8_t, 4> link{};
            if (!f.Dat.ReadAt(RecordOffset(f, record), link)) {
                Fail(kErrBrokenChain);
            }
            const std::int32_t next = GetI32(link, 0);
            CheckLink(next, f.Highest);
            WriteRecordBytes(f, record, bytes);
            f.FirstDeleted = next;
            --f.DeletedCount;
        } else {
            if (f.Highest >= std::numeric_limits<std::int32_t>::max() - 1) {
                Fail(kErrDamaged);
            }
            record = f.Highest + 1;
            WriteRecordBytes(f, record, bytes);
            f.Highest = record;
        }
        WriteDatHeader(f);
        return record;
    });
}

bool DeleteRec(int handle, std::int32_t record) {
    return Guarded(false, [&] {
        Pair& f = PairOf(handle);
        if (record < 1 || record > f.Highest) {
            Fail(kErrRecordRange);
        }
        std::array<std::uint8_t, 4> link{};
        PutI32(link, 0, f.FirstDeleted);
        WriteRecordBytes(f, record, link);
        f.FirstDeleted = record;
        ++f.DeletedCount;
        WriteDatHeader(f);
        return true;
    });
}

std::int32_t UsedRecs(int handle) {
    return Guarded(std::int32_t{0}, [&] { return PairOf(handle).Highest + 1; });
}

std::int32_t UsedKeys(int handle, int key) {
    return Guarded(std::int32_t{0}, [&] {
        Pair& f = PairOf(handle);
        return f.Keys[KeyIndex(f, key)].Count;
    });
}

void ClearKey(int handle, int key) {
    Guarded(0, [&] {
        Pair& f = PairOf(handle);
        ResetPosition(f.Keys[KeyIndex(f, key)]);
        return 0;
    });
}

bool NextKey(int handle, int key, std::int32_t& record, std::string& text) {
    return Guarded(false, [&] {
        Pair& f = PairOf(handle);
        const std::size_t ki = KeyIndex(f, key);
        Key& k = f.Keys[ki];
        bool ok = false;
        switch (k.Pos) {
            case Position::End:
                Fail(kErrKeyNotFound);
            case Position::Start:
                ok = FirstEntry(f, ki);
                break;
            case Position::Before:
                ok = Seek(f, ki, {k.Last.View(), k.Last.Rec, k.LastUseRec}, false);
                break;
            case Position::At:
                if (k.PathGeneration == k.Generation && !k.Path.empty()) {
                    ok = Advance(f, ki);
                } else {
                    ok = Seek(f, ki, {k.Last.View(), k.Last.Rec, k.Duplicates}, true);
                }
                break;
        }
        if (!ok) {
            k.Pos = Position::End;
            k.Path.clear();
            Fail(kErrKeyNotFound);
        }
        const Entry e = EntryAtPath(f, ki);
        // Keys only ever move forward; anything else is a damaged tree (and would never end).
        if (k.Pos == Position::At) {
            const Target last{k.Last.View(), k.Last.Rec, k.Duplicates};
            if (Compare(e, last) <= 0) {
                ResetPosition(k);
                Fail(kErrDamaged);
            }
        }
        k.Pos = Position::At;
        k.Last = e;
        record = e.Rec;
        text.assign(e.View());
        return true;
    });
}

std::int32_t FindKey(int handle, int key, std::string_view text) {
    return Guarded(std::int32_t{0}, [&] {
        Pair& f = PairOf(handle);
        const std::size_t ki = KeyIndex(f, key);
        Key& k = f.Keys[ki];
        text = Cut(text);
        const Target t{text, std::numeric_limits<std::int32_t>::min(), k.Duplicates};
        ResetPosition(k);
        if (!Seek(f, ki, t, false)) {
            k.Pos = Position::End;
            k.Path.clear();
            Fail(kErrKeyNotFound);
        }
        const Entry e = EntryAtPath(f, ki);
        if (e.View() != text) {
            k.Pos = Position::Before;
            k.Last = e;
            k.LastUseRec = k.Duplicates;
            Fail(kErrKeyNotFound);
        }
        k.Pos = Position::At;
        k.Last = e;
        return e.Rec;
    });
}

bool AddKey(int handle, int key, std::int32_t record, std::string_view text) {
    return Guarded(false, [&] {
        Pair& f = PairOf(handle);
        AddEntry(f, KeyIndex(f, key), record, Cut(text));
        return true;
    });
}

bool DeleteKey(int handle, int key, std::int32_t record, std::string_view text) {
    return Guarded(false, [&] {
        Pair& f = PairOf(handle);
        RemoveEntry(f, KeyIndex(f, key), record, Cut(text));
        return true;
    });
}

// -------------------------------------------------------------------------------------------------
// The checker

namespace {

struct KeyWalk {
    Pair& F;
    std::size_t Ki;
    std::vector<std::string>& Problems;
    std::vector<std::uint8_t> Seen;  // 0 unseen, 1 in the tree, 2 on the free chain
    std::int64_t Entries = 0;
    int LeafDepth = -1;
    bool HavePrevious = false;
    Entry Previous;
    std::string Name;

    void Add(std::string text) {
        if (Problems.size() < 200) {
            Problems.push_back(Name + text);
        }
    }

    void Visit(std::int32_t pageNo, int depth, bool isRoot) {
        if (depth > kMaxDepth) {
            Add("tree deeper than " + std::to_string(kMaxDepth) + " pages");
            return;
        }
        const Key& k = F.Keys[Ki];
        if (pageNo < 1 || pageNo > k.Highest || pageNo >= F.IndexRecords) {
            Add("page number " + std::to_string(pageNo) + " out of range");
            return;
        }
        if (Seen[static_cast<std::size_t>(pageNo)] != 0) {
            Add("page " + std::to_string(pageNo) + " reached more than once");
            return;
        }
        Seen[static_cast<std::size_t>(pageNo)] = 1;
        PagePtr page;
        try {
            page = LoadPage(F, Ki, pageNo);
        } catch (const Failure&) {
            Add("page " + std::to_string(pageNo) + " cannot be decoded");
            return;
        }
        const std::size_t n = page->E.size();
        const std::string at = " on page " + std::to_string(pageNo);
        if (isRoot ? n < 1 : n < static_cast<std::size_t>(kHalf)) {
            Add("only " + std::to_string(n) + " entries" + at);
        }
        if (page->IsLeaf()) {
            if (LeafDepth < 0) {
                LeafDepth = depth;
            } else if (LeafDepth != depth) {
                Add("leaf at depth " + std::to_string(depth) + ", others at " +
                    std::to_string(LeafDepth) + at);
            }
        }
        for (std::size_t c = 0; c <= n; ++c) {
            if (!page->IsLeaf()) {
                Visit(page->Child(c), depth + 1, false);
            }
            if (c == n) {
                break;
            }
            const Entry& e = page->E[c];
            ++Entries;
            if (e.Rec < 1) {
                Add("entry with record number " + std::to_string(e.Rec) + at);
            }
            if (HavePrevious) {
                const int textOrder = CompareTexts(Previous.View(), e.View());
                if (textOrder > 0 || (textOrder == 0 && (!k.Duplicates || Previous.Rec >= e.Rec))) {
                    Add(std::string(textOrder == 0 && !k.Duplicates ? "duplicate text"
                                                                    : "entries out of order") +
                        " at \"" + std::string(e.View()) + "\"" + at);
                }
            }
            HavePrevious = true;
            Previous = e;
        }
    }
};

void CheckKey(Pair& f, std::size_t ki, std::vector<std::string>& problems) {
    const Key& k = f.Keys[ki];
    KeyWalk walk{f, ki, problems, {}, 0, -1, false, {}, "key " + std::to_string(ki + 1) + ": "};
    if (k.Highest >= f.IndexRecords) {
        walk.Add("highest page " + std::to_string(k.Highest) + " has no place in the index");
    }
    // Pages past the index file's end are reported as out of range, never given a table slot.
    const std::int32_t limit = static_cast<std::int32_t>(
        std::min<std::int64_t>(k.Highest, std::max<std::int64_t>(f.IndexRecords - 1, 0)));
    walk.Seen.assign(static_cast<std::size_t>(limit) + 1, 0);
    if (k.Root != 0) {
        walk.Visit(k.Root, 0, true);
    }
    if (walk.Entries != k.Count) {
        walk.Add("header counts " + std::to_string(k.Count) + " entries, the tree holds " +
                 std::to_string(walk.Entries));
    }
    std::int32_t free = k.FirstFree;
    std::int64_t freeCount = 0;
    while (free != -1) {
        if (free < 1 || free > k.Highest || free >= f.IndexRecords) {
            walk.Add("free-page chain reaches page number " + std::to_string(free));
            break;
        }
        std::uint8_t& seen = walk.Seen[static_cast<std::size_t>(free)];
        if (seen != 0) {
            walk.Add(seen == 1 ? "free page " + std::to_string(free) + " is in the tree"
                               : "free-page chain loops at page " + std::to_string(free));
            break;
        }
        seen = 2;
        ++freeCount;
        std::array<std::uint8_t, 4> link{};
        if (!f.Ix.ReadAt(PageOffset(f, k, free), link)) {
            walk.Add("free page " + std::to_string(free) + " cannot be read");
            break;
        }
        free = GetI32(link, 0);
    }
    if (freeCount != k.FreeCount) {
        walk.Add("header counts " + std::to_string(k.FreeCount) + " free pages, the chain holds " +
                 std::to_string(freeCount));
    }
    for (std::int32_t p = 1; p <= limit; ++p) {
        if (walk.Seen[static_cast<std::size_t>(p)] == 0) {
            walk.Add("page " + std::to_string(p) + " is neither in the tree nor free");
        }
    }
}

}  // namespace

std::vector<std::string> CheckRecordFiles(const std::filesystem::path& base) {
    std::vector<std::string> problems;
    std::unique_ptr<Pair> f;
    try {
        f = OpenPair(base, true);
    } catch (const Failure& e) {
        problems.push_back("the pair cannot be opened (error " + std::to_string(e.Code) + ")");
        return problems;
    } catch (const std::bad_alloc&) {
        problems.push_back("the pair cannot be opened (no memory)");
        return problems;
    }
    // The deleted-record chain.
    const std::int64_t datSize = f->Dat.Size();
    if (datSize < (static_cast<std::int64_t>(f->Highest) + 1) * f->L) {
        problems.push_back("data file is shorter than its " + std::to_string(f->Highest) +
                           " records");
    }
    if (f->Highest > 0 && datSize >= 0 && f->Highest > datSize / f->L + 1) {
        // Too large to walk with a table per record; the short file is already reported.
    } else {
        std::vector<bool> seen(static_cast<std::size_t>(f->Highest) + 1, false);
        std::int32_t r = f->FirstDeleted;
        std::int64_t count = 0;
        while (r != -1) {
            if (r < 1 || r > f->Highest) {
                problems.push_back("deleted-record chain reaches record number " +
                                   std::to_string(r));
                break;
            }
            if (seen[static_cast<std::size_t>(r)]) {
                problems.push_back("deleted-record chain loops at record " + std::to_string(r));
                break;
            }
            seen[static_cast<std::size_t>(r)] = true;
            ++count;
            std::array<std::uint8_t, 4> link{};
            if (!f->Dat.ReadAt(RecordOffset(*f, r), link)) {
                problems.push_back("deleted record " + std::to_string(r) + " cannot be read");
                break;
            }
            r = GetI32(link, 0);
        }
        if (count != f->DeletedCount) {
            problems.push_back("header counts " + std::to_string(f->DeletedCount) +
                               " deleted records, the chain holds " + std::to_string(count));
        }
    }
    const std::int64_t ixSize = f->Ix.Size();
    if (f->IndexRecordSize > 0 && ixSize % f->IndexRecordSize != 0) {
        problems.push_back("index file is not a whole number of index records");
    }
    for (std::size_t ki = 0; ki < f->Keys.size(); ++ki) {
        try {
            CheckKey(*f, ki, problems);
        } catch (const Failure& e) {
            problems.push_back("key " + std::to_string(ki + 1) + ": cannot be walked (error " +
                               std::to_string(e.Code) + ")");
        } catch (const std::bad_alloc&) {
            problems.push_back("key " + std::to_string(ki + 1) + ": no memory to walk it");
        }
    }
    return problems;
}

}  // namespace snx
