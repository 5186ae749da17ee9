// The index pages of the keyed record file in memory and on disk: entries, their order, and
// the codec between a decoded page and its bytes (layout in record_file.h). Internal to the
// record-file layer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "store/record_file/record_file.h"

namespace snx::record_files {

// Thrown inside the layer; the public operations turn it into the status.
struct Failure {
    int Code;
};

[[noreturn]] inline void Fail(int code) {
    throw Failure{code};
}

// Text is zero after its first Len bytes (the page codec copies the whole place).
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

struct Target {
    std::string_view Text;
    std::int32_t Rec = 0;
    bool UseRec = false;  // keys with duplicates order equal texts by record number
};

// Byte-wise over the common length, then the shorter first.
int CompareTexts(std::string_view a, std::string_view b);
// The entry against the target: negative when the entry sorts first.
int Compare(const Entry& e, const Target& t);
Entry MakeEntry(std::int32_t rec, std::string_view text);
// Bisection: the middle entry is compared and half of the rest is kept. Returns the position of
// the first entry not below the target (or, with strict, above it); found when an entry equals
// the target (never with strict).
std::size_t Bisect(const Page& page, const Target& t, bool strict, bool& found);

// A page of a key of keyLength from its bytes; kErrDamaged for counts, lengths or children
// that no page can hold.
Page DecodePage(std::span<const std::uint8_t> bytes, int keyLength);
// The page's bytes, unused places zero.
void EncodePage(const Page& p, int keyLength, std::span<std::uint8_t> bytes);

}  // namespace snx::record_files
