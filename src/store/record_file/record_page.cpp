#include "store/record_file/record_page.h"

#include <algorithm>
#include <cstring>

#include "util/bytes.h"

namespace snx::record_files {

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

Page DecodePage(std::span<const std::uint8_t> bytes, int keyLength) {
    Page p;
    const std::uint16_t count = GetU16(bytes, 0);
    if (count > kPageEntries) {
        Fail(kErrDamaged);
    }
    p.P0 = GetI32(bytes, 2);
    p.E.resize(count);
    const std::size_t size = static_cast<std::size_t>(keyLength) + 9;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = 6 + i * size;
        Entry& e = p.E[i];
        e.Rec = GetI32(bytes, at);
        e.Child = GetI32(bytes, at + 4);
        e.Len = GetU8(bytes, at + 8);
        if (e.Len > keyLength) {
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

void EncodePage(const Page& p, int keyLength, std::span<std::uint8_t> bytes) {
    std::fill(bytes.begin(), bytes.end(), 0);
    PutU16(bytes, 0, static_cast<std::uint16_t>(p.E.size()));
    PutI32(bytes, 2, p.P0);
    const std::size_t text = static_cast<std::size_t>(keyLength);
    const std::size_t size = text + 9;
    for (std::size_t i = 0; i < p.E.size(); ++i) {
        const std::size_t at = 6 + i * size;
        const Entry& e = p.E[i];
        PutI32(bytes, at, e.Rec);
        PutI32(bytes, at + 4, e.Child);
        PutU8(bytes, at + 8, e.Len);
        // The whole text place: an entry's bytes after its text are zero, and one copy of a
        // fixed length costs far less than one of each text's own length.
        std::memcpy(bytes.data() + at + 9, e.Text.data(), std::min(text, e.Text.size()));
    }
}

}  // namespace snx::record_files
