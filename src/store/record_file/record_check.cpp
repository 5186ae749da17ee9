// The checker of the keyed record file: reads the pair from the disk and lists its problems.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "store/record_file/record_file.h"
#include "store/record_file/record_pair.h"
#include "util/bytes.h"

namespace snx {

using namespace record_files;

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
        // A private, empty cache: every page is decoded from the disk, as a fresh open would.
        f = OpenPair(base, true, std::make_shared<SharedPages>());
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
