#include "store/record_file/record_btree.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace snx::record_files {

namespace {

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
        // A copy with room for the new entry, so that inserting it does not move them all again.
        const Page& current = *path.Pages[level];
        Page p;
        p.P0 = current.P0;
        p.E.reserve(current.E.size() + 1);
        p.E.assign(current.E.begin(), current.E.end());
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

}  // namespace

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
}  // namespace snx::record_files
