#include "store/record_file/record_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <set>

#include "tests/support/temp_dir.h"

namespace snx {
namespace {

using test::ReadFileText;
using test::TempDir;

std::int32_t I32(const std::string& s, std::size_t at) {
    std::int32_t v = 0;
    std::memcpy(&v, s.data() + at, 4);
    return v;
}

std::uint16_t U16(const std::string& s, std::size_t at) {
    std::uint16_t v = 0;
    std::memcpy(&v, s.data() + at, 2);
    return v;
}

// The catalogue's layout: record length 1204, key 1 of 16 without duplicates, keys 2 to 6 of
// 20 with duplicates.
const std::vector<KeyDescription> kCatalogueKeys = {{16, false}, {20, true}, {20, true},
                                                    {20, true},  {20, true}, {20, true}};

struct PageView {
    int Count = 0;
    std::int32_t P0 = 0;
    std::vector<std::int32_t> Recs;
    std::vector<std::int32_t> Children;
    std::vector<std::string> Texts;
};

// Reads pages straight from the index file's bytes.
struct IndexView {
    std::string Bytes;
    std::vector<std::int64_t> Offsets;
    std::vector<int> Lengths;
    std::int64_t RecordSize = 0;

    IndexView(const std::filesystem::path& ix, const std::vector<KeyDescription>& keys)
        : Bytes(test::ReadCatalogueFile(ix)) {
        for (const auto& k : keys) {
            Offsets.push_back(RecordSize);
            Lengths.push_back(k.Length);
            RecordSize += PageSize(k.Length);
        }
    }
    std::size_t Header(int key) const { return static_cast<std::size_t>(Offsets[key - 1]); }
    std::int32_t Root(int key) const { return I32(Bytes, Header(key) + 16); }
    PageView Page(int key, std::int32_t page) const {
        const std::size_t at = static_cast<std::size_t>(page * RecordSize + Offsets[key - 1]);
        PageView v;
        v.Count = U16(Bytes, at);
        v.P0 = I32(Bytes, at + 2);
        const std::size_t size = static_cast<std::size_t>(Lengths[key - 1]) + 9;
        for (int i = 0; i < v.Count; ++i) {
            const std::size_t e = at + 6 + static_cast<std::size_t>(i) * size;
            v.Recs.push_back(I32(Bytes, e));
            v.Children.push_back(I32(Bytes, e + 4));
            v.Texts.push_back(Bytes.substr(e + 9, static_cast<unsigned char>(Bytes[e + 8])));
        }
        return v;
    }
};

std::string Text(int i) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d", i);
    return buffer;
}

class RecordFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitRecordFiles(8);
        base = dir / "disc";
    }
    void TearDown() override { ExitRecordFiles(); }
    int Create(const std::vector<KeyDescription>& keys, int length = 1204) {
        CreateRecordFiles(base, length, keys);
        EXPECT_TRUE(LastRecordStatus().Ok) << LastRecordStatus().Error;
        const int h = OpenRecordFiles(base);
        EXPECT_GE(h, 0) << LastRecordStatus().Error;
        return h;
    }
    void ExpectSound() {
        const auto problems = CheckRecordFiles(base);
        EXPECT_TRUE(problems.empty()) << problems.front();
    }
    int Error() const { return LastRecordStatus().Error; }

    TempDir dir;
    std::filesystem::path base;
};

TEST_F(RecordFileTest, ANewCataloguePairHasExactBytes) {
    // Old files of the base name go first, including the never-written ".DIA".
    test::WriteFileText(dir / "disc.DIA", "old");
    const int h = Create(kCatalogueKeys);
    EXPECT_FALSE(std::filesystem::exists(dir / "disc.DIA"));
    const std::string dat = test::ReadCatalogueFile(dir / "disc.DAT");
    std::string expected(1204, '\0');
    const std::int32_t header[] = {-1, 0, 0, 1204, 6};
    std::memcpy(expected.data(), header, sizeof header);
    EXPECT_EQ(dat, expected);

    const std::string ix = test::ReadCatalogueFile(dir / "disc.IX");
    ASSERT_EQ(ix.size(), 10576u);
    std::string ixExpected(10576, '\0');
    const std::size_t offsets[] = {0, 1556, 3360, 5164, 6968, 8772};
    for (int k = 0; k < 6; ++k) {
        const std::int32_t pageSize = k == 0 ? 1556 : 1804;
        const std::int32_t fields[] = {-1, 0, 0, pageSize, 0};
        std::memcpy(ixExpected.data() + offsets[k], fields, sizeof fields);
        ixExpected[offsets[k] + 20] = k == 0 ? 0 : 1;
        ixExpected[offsets[k] + 26] = 62;
    }
    EXPECT_EQ(ix, ixExpected);
    EXPECT_EQ(UsedRecs(h), 1);
    for (int k = 1; k <= 6; ++k) {
        EXPECT_EQ(UsedKeys(h, k), 0);
    }
    CloseRecordFiles(h);
    ExpectSound();
}

TEST_F(RecordFileTest, RefusesBadDescriptions) {
    CreateRecordFiles(base, 20, kCatalogueKeys);
    EXPECT_EQ(Error(), kErrRecordLength);
    CreateRecordFiles(base, 100, std::vector<KeyDescription>(101, {5, false}));
    EXPECT_EQ(Error(), kErrTooManyKeys);
    CreateRecordFiles(base, 100, std::vector<KeyDescription>{{0, false}});
    EXPECT_EQ(Error(), kErrKeyLength);
    CreateRecordFiles(base, 100, std::vector<KeyDescription>{{31, false}});
    EXPECT_EQ(Error(), kErrKeyLength);
    EXPECT_FALSE(LastRecordStatus().Ok);
    EXPECT_EQ(OpenRecordFiles(dir / "missing"), -1);
    EXPECT_EQ(Error(), kErrIo);
    EXPECT_EQ(UsedRecs(5), 0);
    EXPECT_EQ(Error(), kErrNotOpen);
}

TEST_F(RecordFileTest, RecordsAreChainedWhenDeletedAndReused) {
    const int h = Create(kCatalogueKeys);
    std::vector<std::uint8_t> record(1204, 0);
    for (int i = 1; i <= 7; ++i) {
        record[4] = static_cast<std::uint8_t>(i);
        EXPECT_EQ(AddRec(h, record), i);
    }
    EXPECT_EQ(UsedRecs(h), 8);
    ASSERT_TRUE(DeleteRec(h, 5));
    std::string dat = test::ReadCatalogueFile(dir / "disc.DAT");
    EXPECT_EQ(I32(dat, 0), 5);
    EXPECT_EQ(I32(dat, 4), 1);
    EXPECT_EQ(I32(dat, 8), 7);
    EXPECT_EQ(I32(dat, 5 * 1204), -1);
    ASSERT_TRUE(DeleteRec(h, 2));
    EXPECT_EQ(I32(test::ReadCatalogueFile(dir / "disc.DAT"), 2 * 1204), 5);
    ExpectSound();
    record[4] = 99;
    EXPECT_EQ(AddRec(h, record), 2);
    EXPECT_EQ(AddRec(h, record), 5);  // record 5 reused
    EXPECT_EQ(AddRec(h, record), 8);
    dat = test::ReadCatalogueFile(dir / "disc.DAT");
    EXPECT_EQ(I32(dat, 0), -1);
    EXPECT_EQ(I32(dat, 4), 0);
    EXPECT_EQ(dat.size(), 9u * 1204);
    std::vector<std::uint8_t> back(1204);
    ASSERT_TRUE(GetRec(h, 5, back));
    EXPECT_EQ(back[4], 99);
    record[4] = 42;
    ASSERT_TRUE(PutRec(h, 3, record));
    ASSERT_TRUE(GetRec(h, 3, back));
    EXPECT_EQ(back, record);
    EXPECT_FALSE(PutRec(h, 0, record));
    EXPECT_EQ(Error(), kErrWriteRecord0);
    EXPECT_FALSE(DeleteRec(h, 0));
    EXPECT_EQ(Error(), kErrRecordRange);
    EXPECT_FALSE(DeleteRec(h, 9));
    EXPECT_EQ(Error(), kErrRecordRange);
    EXPECT_FALSE(GetRec(h, 9, back));
    CloseRecordFiles(h);
    ExpectSound();
}

TEST_F(RecordFileTest, ABrokenDeletedChainFailsWith10170) {
    int h = Create(kCatalogueKeys);
    std::vector<std::uint8_t> record(1204, 0);
    AddRec(h, record);
    AddRec(h, record);
    DeleteRec(h, 1);
    CloseRecordFiles(h);
    {
        std::fstream dat(dir / "disc.DAT", std::ios::in | std::ios::out | std::ios::binary);
        dat.seekp(1204);
        const std::int32_t bad = 77;
        dat.write(reinterpret_cast<const char*>(&bad), 4);
    }
    EXPECT_FALSE(CheckRecordFiles(base).empty());
    h = OpenRecordFiles(base);
    EXPECT_EQ(AddRec(h, record), 0);
    EXPECT_EQ(Error(), kErrBrokenChain);
}

TEST_F(RecordFileTest, The63rdEntrySplitsAFullRoot) {
    const int h = Create({{4, false}}, 32);
    for (int i = 0; i < 62; ++i) {
        ASSERT_TRUE(AddKey(h, 1, i + 1, Text(i * 2)));
    }
    {
        IndexView ix(dir / "disc.IX", {{4, false}});
        EXPECT_EQ(ix.Root(1), 1);
        EXPECT_EQ(ix.Page(1, 1).Count, 62);
    }
    ASSERT_TRUE(AddKey(h, 1, 100, Text(61)));  // lands in the middle: the 32nd in order
    IndexView ix(dir / "disc.IX", {{4, false}});
    EXPECT_EQ(ix.Bytes.size(), 4u * 812);  // index records 0 to 3, each grown whole
    const std::int32_t root = ix.Root(1);
    EXPECT_EQ(root, 3);
    const PageView r = ix.Page(1, root);
    ASSERT_EQ(r.Count, 1);
    EXPECT_EQ(r.Texts[0], Text(61));
    EXPECT_EQ(r.P0, 1);
    EXPECT_EQ(r.Children[0], 2);
    const PageView left = ix.Page(1, 1);
    const PageView right = ix.Page(1, 2);
    EXPECT_EQ(left.Count, 31);
    EXPECT_EQ(right.Count, 31);
    EXPECT_EQ(left.Texts.front(), Text(0));
    EXPECT_EQ(left.Texts.back(), Text(60));
    EXPECT_EQ(right.Texts.front(), Text(62));
    EXPECT_EQ(right.Texts.back(), Text(122));
    EXPECT_EQ(I32(ix.Bytes, 8), 3);    // highest page
    EXPECT_EQ(I32(ix.Bytes, 22), 63);  // entries
    CloseRecordFiles(h);
    ExpectSound();
}

// Writes a page of key 1 (the only key) straight into the index file.
void WritePage(const std::filesystem::path& ix, int keyLength, std::int32_t page, std::int32_t p0,
               const std::vector<std::pair<std::int32_t, std::string>>& entries,
               const std::vector<std::int32_t>& children = {}) {
    const std::int64_t size = PageSize(keyLength);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    const std::uint16_t count = static_cast<std::uint16_t>(entries.size());
    std::memcpy(bytes.data(), &count, 2);
    std::memcpy(bytes.data() + 2, &p0, 4);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t at = 6 + i * static_cast<std::size_t>(keyLength + 9);
        std::memcpy(bytes.data() + at, &entries[i].first, 4);
        const std::int32_t child = children.empty() ? 0 : children[i];
        std::memcpy(bytes.data() + at + 4, &child, 4);
        bytes[at + 8] = static_cast<char>(entries[i].second.size());
        std::memcpy(bytes.data() + at + 9, entries[i].second.data(), entries[i].second.size());
    }
    std::fstream file(ix, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(page * size);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void WriteKeyHeader(const std::filesystem::path& ix, std::int32_t highest, std::int32_t root,
                    std::int32_t count) {
    std::fstream file(ix, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(8);
    file.write(reinterpret_cast<const char*>(&highest), 4);
    file.seekp(16);
    file.write(reinterpret_cast<const char*>(&root), 4);
    file.seekp(22);
    file.write(reinterpret_cast<const char*>(&count), 4);
}

TEST_F(RecordFileTest, AFullLeafSharesWithAThirtyEntryRightNeighbour) {
    CreateRecordFiles(base, 32, std::vector<KeyDescription>{{4, false}});
    const auto ixPath = dir / "disc.IX";
    std::vector<std::pair<std::int32_t, std::string>> full;
    std::vector<std::pair<std::int32_t, std::string>> thirty;
    for (int i = 0; i < 62; ++i) {
        full.emplace_back(i + 1, Text(i * 2));
    }
    for (int i = 0; i < 30; ++i) {
        thirty.emplace_back(200 + i, Text(200 + i));
    }
    WritePage(ixPath, 4, 1, 0, full);
    WritePage(ixPath, 4, 2, 0, thirty);
    WritePage(ixPath, 4, 3, 1, {{150, Text(150)}}, {2});
    WriteKeyHeader(ixPath, 3, 3, 93);
    const int h = OpenRecordFiles(base);
    ASSERT_GE(h, 0);
    ASSERT_TRUE(AddKey(h, 1, 500, Text(33)));
    IndexView ix(ixPath, {{4, false}});
    EXPECT_EQ(ix.Root(1), 3);
    const PageView left = ix.Page(1, 1);
    const PageView right = ix.Page(1, 2);
    const PageView root = ix.Page(1, 3);
    EXPECT_EQ(left.Count, 47);
    EXPECT_EQ(right.Count, 46);
    ASSERT_EQ(root.Count, 1);
    EXPECT_EQ(root.Children[0], 2);
    // 93 entries in order: the 48th goes up.
    std::vector<std::string> all;
    for (const auto& e : full) {
        all.push_back(e.second);
    }
    all.push_back(Text(33));
    std::sort(all.begin(), all.end());
    all.push_back(Text(150));
    for (const auto& e : thirty) {
        all.push_back(e.second);
    }
    EXPECT_EQ(left.Texts.back(), all[46]);
    EXPECT_EQ(root.Texts[0], all[47]);
    EXPECT_EQ(right.Texts.front(), all[48]);
    EXPECT_EQ(I32(ix.Bytes, 8), 3);  // no page was added
    CloseRecordFiles(h);
}

TEST_F(RecordFileTest, AThinPageMergesWithAThirtyOneEntryNeighbour) {
    const int h = Create({{4, false}}, 32);
    for (int i = 0; i < 63; ++i) {
        ASSERT_TRUE(AddKey(h, 1, i + 1, Text(i)));
    }
    // Root 3 holds Text(31); page 1 holds 0..30, page 2 holds 32..62.
    ASSERT_TRUE(DeleteKey(h, 1, 6, Text(5)));
    IndexView ix(dir / "disc.IX", {{4, false}});
    EXPECT_EQ(ix.Root(1), 1);  // the empty root collapsed onto the merged page
    const PageView merged = ix.Page(1, 1);
    EXPECT_EQ(merged.Count, 62);
    EXPECT_EQ(merged.Texts[30], Text(31));
    EXPECT_EQ(I32(ix.Bytes, 0), 3);  // free chain: the old root, then the neighbour
    EXPECT_EQ(I32(ix.Bytes, 4), 2);
    EXPECT_EQ(I32(ix.Bytes, 3 * 812), 2);
    EXPECT_EQ(I32(ix.Bytes, 2 * 812), -1);
    EXPECT_EQ(UsedKeys(h, 1), 62);
    CloseRecordFiles(h);
    ExpectSound();
    // Freed pages are taken again, the most recently freed first.
    const int h2 = OpenRecordFiles(base);
    ASSERT_TRUE(AddKey(h2, 1, 5, Text(5)));
    CloseRecordFiles(h2);
    IndexView again(dir / "disc.IX", {{4, false}});
    EXPECT_EQ(again.Root(1), 2);
    EXPECT_EQ(I32(again.Bytes, 0), -1);
    ExpectSound();
}

TEST_F(RecordFileTest, BorrowingFromARichNeighbour) {
    const int h = Create({{4, false}}, 32);
    for (int i = 0; i < 63; ++i) {
        ASSERT_TRUE(AddKey(h, 1, i + 1, Text(i * 10)));
    }
    for (int i = 0; i < 10; ++i) {  // the right page grows to 41
        ASSERT_TRUE(AddKey(h, 1, 100 + i, Text(i * 10 + 315)));
    }
    ASSERT_TRUE(DeleteKey(h, 1, 1, Text(0)));  // left: 30, neighbour 41: k = 5
    IndexView ix(dir / "disc.IX", {{4, false}});
    EXPECT_EQ(ix.Page(1, 1).Count, 35);
    EXPECT_EQ(ix.Page(1, 2).Count, 36);
    CloseRecordFiles(h);
    ExpectSound();
}

TEST_F(RecordFileTest, DuplicatesAreOrderedByRecordNumber) {
    const int h = Create(kCatalogueKeys);
    ASSERT_TRUE(AddKey(h, 2, 9, "Bach"));
    ASSERT_TRUE(AddKey(h, 2, 3, "Bach"));
    EXPECT_FALSE(AddKey(h, 2, 3, "Bach"));
    EXPECT_EQ(Error(), kErrAddKey);
    EXPECT_EQ(FindKey(h, 2, "Bach"), 3);
    std::int32_t rec = 0;
    std::string text;
    ASSERT_TRUE(NextKey(h, 2, rec, text));
    EXPECT_EQ(rec, 9);
    EXPECT_FALSE(NextKey(h, 2, rec, text));
    EXPECT_EQ(Error(), kErrKeyNotFound);
    ASSERT_TRUE(DeleteKey(h, 2, 9, "Bach"));
    EXPECT_FALSE(DeleteKey(h, 2, 9, "Bach"));
    EXPECT_EQ(Error(), kErrDeleteKey);
    ClearKey(h, 2);
    ASSERT_TRUE(NextKey(h, 2, rec, text));
    EXPECT_EQ(rec, 3);
    EXPECT_EQ(text, "Bach");
    // Without duplicates the text alone decides.
    ASSERT_TRUE(AddKey(h, 1, 4, "ABC"));
    EXPECT_FALSE(AddKey(h, 1, 5, "ABC"));
    EXPECT_EQ(Error(), kErrAddKey);
    CloseRecordFiles(h);
    ExpectSound();
}

TEST_F(RecordFileTest, KeyTextsAreComparedBytewiseAndCut) {
    const int h = Create({{30, true}, {5, false}}, 64);
    const std::string longText(40, 'x');
    ASSERT_TRUE(AddKey(h, 1, 1, longText));
    EXPECT_EQ(FindKey(h, 1, std::string(30, 'x')), 1);
    EXPECT_EQ(FindKey(h, 1, longText), 1);
    EXPECT_FALSE(AddKey(h, 2, 1, "toolong"));
    EXPECT_EQ(Error(), kErrKeyTooLong);
    for (const char* t : {"b", "B", "ab", "a", "\xE9t\xE9", ""}) {
        ASSERT_TRUE(AddKey(h, 2, 1, t)) << t;
    }
    ClearKey(h, 2);
    std::vector<std::string> order;
    std::int32_t rec = 0;
    std::string text;
    while (NextKey(h, 2, rec, text)) {
        order.push_back(text);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"", "B", "a", "ab", "b", "\xE9t\xE9"}));
    EXPECT_EQ(FindKey(h, 2, "aa"), 0);
    EXPECT_EQ(Error(), kErrKeyNotFound);
    ASSERT_TRUE(NextKey(h, 2, rec, text));  // the position lies before the next text
    EXPECT_EQ(text, "ab");
    EXPECT_FALSE(AddKey(h, 3, 1, "x"));
    EXPECT_EQ(Error(), kErrArgument);
    CloseRecordFiles(h);
    ExpectSound();
}

TEST_F(RecordFileTest, SlotsRunOut) {
    Create(kCatalogueKeys);
    for (int i = 1; i < 8; ++i) {
        EXPECT_EQ(OpenRecordFiles(base), i);
    }
    EXPECT_EQ(OpenRecordFiles(base), -1);
    EXPECT_EQ(Error(), kErrNoMemory);
    CloseRecordFiles(3);
    EXPECT_EQ(OpenRecordFiles(base), 3);
}

// The model: per key, the (text, record) entries it must hold, in order.
using Model = std::vector<std::set<std::pair<std::string, std::int32_t>>>;

std::string RandomText(std::mt19937& random, int maxLength, const char* alphabet) {
    const std::size_t n = std::strlen(alphabet);
    std::string text(random() % static_cast<unsigned>(maxLength + 1), ' ');
    for (char& c : text) {
        c = alphabet[random() % n];
    }
    return text;
}

void RunModel(std::uint32_t seed, const std::filesystem::path& base) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const std::vector<KeyDescription> keys = {{6, false}, {2, true}, {30, true}, {20, false}};
    CreateRecordFiles(base, 40, keys);
    ASSERT_TRUE(LastRecordStatus().Ok);
    std::mt19937 random(seed);
    std::multimap<std::string, std::int32_t> dupModel[4];
    std::map<std::int32_t, std::vector<std::string>> live;  // record -> its texts per key
    Model model(keys.size());
    int operations = 0;
    for (int batch = 0; batch < 25; ++batch) {
        const int h = OpenRecordFiles(base);
        ASSERT_GE(h, 0) << LastRecordStatus().Error;
        for (int i = 0; i < 500; ++i, ++operations) {
            const bool add = live.empty() || random() % 100 < (batch < 15 ? 70 : 35);
            if (add) {
                std::vector<std::uint8_t> record(40, 0);
                const std::int32_t r = AddRec(h, record);
                ASSERT_GT(r, 0);
                ASSERT_FALSE(live.count(r));
                std::vector<std::string> texts = {
                    RandomText(random, 6, "0123456789ABCDEF"), RandomText(random, 2, "ab"),
                    RandomText(random, 40, "xyz"), RandomText(random, 3, "abcdefghij")};
                for (std::size_t k = 0; k < keys.size(); ++k) {
                    std::string& t = texts[k];
                    t.resize(std::min<std::size_t>(t.size(), 30));
                    auto& m = model[k];
                    const bool present =
                        keys[k].Duplicates
                            ? m.count({t, r}) > 0
                            : std::any_of(m.lower_bound({t, 0}), m.end(),
                                          [&](const auto& e) { return e.first == t; });
                    const bool ok = AddKey(h, static_cast<int>(k + 1), r, t);
                    ASSERT_EQ(ok, !present) << "key " << k + 1 << " text " << t;
                    if (ok) {
                        m.insert({t, r});
                    } else {
                        ASSERT_EQ(LastRecordStatus().Error, kErrAddKey);
                        t = std::string("\x01", 1);  // not added: nothing to delete later
                    }
                }
                live[r] = texts;
            } else {
                auto it = live.begin();
                std::advance(it, static_cast<long>(random() % live.size()));
                const std::int32_t r = it->first;
                ASSERT_TRUE(DeleteRec(h, r));
                for (std::size_t k = 0; k < keys.size(); ++k) {
                    const std::string& t = it->second[k];
                    if (t == std::string("\x01", 1)) {
                        continue;
                    }
                    ASSERT_TRUE(DeleteKey(h, static_cast<int>(k + 1), r, t))
                        << "key " << k + 1 << " error " << LastRecordStatus().Error;
                    model[k].erase({t, r});
                }
                live.erase(it);
            }
        }
        // Every key walks in model order, and the counts agree.
        for (std::size_t k = 0; k < keys.size(); ++k) {
            const int key = static_cast<int>(k + 1);
            ASSERT_EQ(UsedKeys(h, key), static_cast<std::int32_t>(model[k].size()));
            ClearKey(h, key);
            std::int32_t rec = 0;
            std::string text;
            auto expected = model[k].begin();
            while (NextKey(h, key, rec, text)) {
                ASSERT_NE(expected, model[k].end());
                ASSERT_EQ(text, expected->first);
                ASSERT_EQ(rec, expected->second);
                ++expected;
            }
            ASSERT_EQ(expected, model[k].end());
            ASSERT_EQ(LastRecordStatus().Error, kErrKeyNotFound);
        }
        for (int probe = 0; probe < 50 && !live.empty(); ++probe) {
            auto it = live.begin();
            std::advance(it, static_cast<long>(random() % live.size()));
            if (it->second[0] != std::string("\x01", 1)) {
                ASSERT_EQ(FindKey(h, 1, it->second[0]), it->first);
            }
            const std::string& t = it->second[1];
            if (t != std::string("\x01", 1)) {
                ASSERT_EQ(FindKey(h, 2, t), model[1].lower_bound({t, 0})->second);
            }
        }
        ASSERT_EQ(
            UsedRecs(h) - 1, static_cast<std::int32_t>(live.size()) + [&] {
                std::string dat = ReadFileText(base.parent_path() / "model.DAT");
                return I32(dat, 4);
            }());
        CloseRecordFiles(h);
        const auto problems = CheckRecordFiles(base);
        ASSERT_TRUE(problems.empty()) << "batch " << batch << ": " << problems.front();
    }
    EXPECT_GE(operations, 10000);
    (void)dupModel;
}

TEST(RecordFileModelTest, RandomAddsAndDeletesMatchAModel) {
    InitRecordFiles(8);
    for (const std::uint32_t seed : test::Seeds({11u, 12u, 20261208u})) {
        TempDir dir;
        RunModel(seed, dir / "model");
        if (::testing::Test::HasFatalFailure()) {
            break;
        }
    }
    ExitRecordFiles();
}

}  // namespace
}  // namespace snx

namespace snx {
namespace {

using test::Patch;

class DamagedRecordFileTest : public RecordFileTest {
  protected:
    // A two-level key 1 (length 4): root page 3 over leaves 1 and 2.
    void Build() {
        const int h = Create({{4, false}}, 32);
        for (int i = 0; i < 63; ++i) {
            ASSERT_TRUE(AddKey(h, 1, i + 1, Text(i)));
        }
        CloseRecordFiles(h);
        ExpectSound();
    }
    // Runs every key operation; each must fail cleanly or succeed, never crash or hang.
    void Exercise() {
        const int h = OpenRecordFiles(base);
        if (h < 0) {
            EXPECT_FALSE(LastRecordStatus().Ok);
            return;
        }
        std::int32_t rec = 0;
        std::string text;
        ClearKey(h, 1);
        for (int i = 0; i < 500 && NextKey(h, 1, rec, text); ++i) {
        }
        FindKey(h, 1, Text(40));
        AddKey(h, 1, 99, Text(99));
        DeleteKey(h, 1, 5, Text(4));
        CloseRecordFiles(h);
    }
};

TEST_F(DamagedRecordFileTest, APageCountAboveSixtyTwoIsDamage) {
    Build();
    const std::uint16_t count = 200;
    Patch(dir / "disc.IX", 812, &count, 2);  // page 1
    EXPECT_FALSE(CheckRecordFiles(base).empty());
    const int h = OpenRecordFiles(base);
    EXPECT_EQ(FindKey(h, 1, Text(3)), 0);
    EXPECT_EQ(Error(), kErrDamaged);
    CloseRecordFiles(h);
    Exercise();
}

TEST_F(DamagedRecordFileTest, ACycleOfChildPagesEndsWithAnError) {
    Build();
    // The root's first child points back at the root: an endless descent in a naive reader.
    const std::int32_t root = 3;
    Patch(dir / "disc.IX", 3 * 812 + 2, &root, 4);
    EXPECT_FALSE(CheckRecordFiles(base).empty());
    const int h = OpenRecordFiles(base);
    ClearKey(h, 1);
    std::int32_t rec = 0;
    std::string text;
    EXPECT_FALSE(NextKey(h, 1, rec, text));
    EXPECT_EQ(Error(), kErrDamaged);
    CloseRecordFiles(h);
    Exercise();
}

TEST_F(DamagedRecordFileTest, PageNumbersPastTheFileAreDamage) {
    Build();
    const std::int32_t far = 1000;
    Patch(dir / "disc.IX", 3 * 812 + 6 + 4, &far, 4);  // the root entry's child
    Patch(dir / "disc.IX", 8, &far, 4);                // highest page
    EXPECT_FALSE(CheckRecordFiles(base).empty());
    Exercise();
    // A truncated index file.
    std::filesystem::resize_file(dir / "disc.IX", 2 * 812 + 100);
    EXPECT_FALSE(CheckRecordFiles(base).empty());
    Exercise();
}

TEST_F(DamagedRecordFileTest, TextLengthsAndHeadersAreChecked) {
    Build();
    const std::uint8_t length = 29;
    Patch(dir / "disc.IX", 812 + 6 + 8, &length, 1);  // longer than the key's 4
    EXPECT_FALSE(CheckRecordFiles(base).empty());
    Exercise();
    const std::int32_t pageSize = 777;  // not 6 + 62 * (length + 9)
    Patch(dir / "disc.IX", 12, &pageSize, 4);
    EXPECT_EQ(OpenRecordFiles(base), -1);
    EXPECT_EQ(Error(), kErrDamaged);
    const std::int32_t keys = 5000;
    Patch(dir / "disc.DAT", 16, &keys, 4);
    EXPECT_EQ(OpenRecordFiles(base), -1);
    EXPECT_FALSE(CheckRecordFiles(base).empty());
}

TEST_F(DamagedRecordFileTest, ABrokenFreePageChainFailsWith10170) {
    Build();
    int h = OpenRecordFiles(base);
    for (int i = 0; i < 63; ++i) {
        ASSERT_TRUE(DeleteKey(h, 1, i + 1, Text(i)));
    }
    CloseRecordFiles(h);
    ExpectSound();
    IndexView ix(dir / "disc.IX", {{4, false}});
    const std::int32_t first = I32(ix.Bytes, 0);
    ASSERT_GT(first, 0);
    const std::int32_t bad = 4000;
    Patch(dir / "disc.IX", first * 812, &bad, 4);
    EXPECT_FALSE(CheckRecordFiles(base).empty());
    h = OpenRecordFiles(base);
    EXPECT_FALSE(AddKey(h, 1, 1, "x"));  // the first free page links to page 4000
    EXPECT_EQ(Error(), kErrBrokenChain);
    EXPECT_EQ(UsedKeys(h, 1), 0);
    CloseRecordFiles(h);
}

}  // namespace
}  // namespace snx

namespace snx {
namespace {

TEST_F(RecordFileTest, AFullLastChildSharesWithItsLeftNeighbour) {
    const int h = Create({{4, false}}, 32);
    for (int i = 0; i < 63; ++i) {
        ASSERT_TRUE(AddKey(h, 1, i + 1, Text(i * 10)));  // root [310]; 0..300 | 320..620
    }
    ASSERT_TRUE(AddKey(h, 1, 100, Text(5)));  // left page: 32
    for (int i = 0; i < 31; ++i) {
        ASSERT_TRUE(AddKey(h, 1, 200 + i, Text(700 + i)));  // right page: 62
    }
    ASSERT_TRUE(AddKey(h, 1, 300, Text(800)));  // overflows the parent's last child
    IndexView ix(dir / "disc.IX", {{4, false}});
    const PageView left = ix.Page(1, 1);
    const PageView right = ix.Page(1, 2);
    const PageView root = ix.Page(1, ix.Root(1));
    EXPECT_EQ(left.Count, 47);
    EXPECT_EQ(right.Count, 48);  // the overflowing page one more
    ASSERT_EQ(root.Count, 1);
    std::vector<std::string> all;
    for (int i = 0; i < 63; ++i) {
        all.push_back(Text(i * 10));
    }
    all.push_back(Text(5));
    for (int i = 0; i < 31; ++i) {
        all.push_back(Text(700 + i));
    }
    all.push_back(Text(800));
    std::sort(all.begin(), all.end());
    EXPECT_EQ(left.Texts.back(), all[46]);
    EXPECT_EQ(root.Texts[0], all[47]);
    EXPECT_EQ(right.Texts.front(), all[48]);
    EXPECT_EQ(right.Texts.back(), all.back());
    CloseRecordFiles(h);
    ExpectSound();
}

TEST_F(RecordFileTest, AThinLastChildBorrowsFromItsLeftNeighbour) {
    const int h = Create({{4, false}}, 32);
    for (int i = 0; i < 63; ++i) {
        ASSERT_TRUE(AddKey(h, 1, i + 1, Text(i * 10)));
    }
    for (int i = 0; i < 9; ++i) {
        ASSERT_TRUE(AddKey(h, 1, 100 + i, Text(i * 10 + 1)));  // left page: 40
    }
    ASSERT_TRUE(DeleteKey(h, 1, 40, Text(390)));  // right page: 30, k = (40 - 30) div 2 = 5
    IndexView ix(dir / "disc.IX", {{4, false}});
    const PageView left = ix.Page(1, 1);
    const PageView right = ix.Page(1, 2);
    const PageView root = ix.Page(1, ix.Root(1));
    EXPECT_EQ(left.Count, 35);
    EXPECT_EQ(right.Count, 35);
    std::vector<std::string> all;
    for (int i = 0; i < 63; ++i) {
        if (i != 39) {
            all.push_back(Text(i * 10));
        }
    }
    for (int i = 0; i < 9; ++i) {
        all.push_back(Text(i * 10 + 1));
    }
    std::sort(all.begin(), all.end());
    EXPECT_EQ(left.Texts.back(), all[34]);
    EXPECT_EQ(root.Texts[0], all[35]);
    EXPECT_EQ(right.Texts.front(), all[36]);
    CloseRecordFiles(h);
    ExpectSound();
}

TEST_F(RecordFileTest, AnInnerEntryIsReplacedByItsPredecessor) {
    const int h = Create({{4, false}}, 32);
    for (int i = 0; i < 63; ++i) {
        ASSERT_TRUE(AddKey(h, 1, i + 1, Text(i)));
    }
    ASSERT_TRUE(DeleteKey(h, 1, 32, Text(31)));  // the root's only entry
    // Text(30) moved up, leaving its leaf thin; the two leaves merge and the root collapses.
    IndexView ix(dir / "disc.IX", {{4, false}});
    EXPECT_EQ(ix.Root(1), 1);
    const PageView merged = ix.Page(1, 1);
    ASSERT_EQ(merged.Count, 62);
    EXPECT_EQ(merged.Texts[30], Text(30));
    EXPECT_EQ(merged.Texts[31], Text(32));
    CloseRecordFiles(h);
    ExpectSound();
}

// Deep trees in six keys (more pages than the cache holds), emptied in random order with
// entries taken from the root now and then, checked against the model as they shrink.
TEST_F(RecordFileTest, DeepTreesEmptyInAnyOrder) {
    const std::vector<KeyDescription> keys(6, {8, false});
    int h = Create(keys, 32);
    std::mt19937 random(99);
    std::vector<std::set<std::string>> model(6);
    std::vector<std::pair<int, std::string>> entries;
    for (int k = 1; k <= 6; ++k) {
        while (model[k - 1].size() < 12000) {
            char text[9];
            std::snprintf(text, sizeof text, "%08u", static_cast<unsigned>(random() % 100000000));
            if (model[k - 1].insert(text).second) {
                ASSERT_TRUE(AddKey(h, k, 1, text));
                entries.emplace_back(k, text);
            }
        }
    }
    CloseRecordFiles(h);
    ExpectSound();
    IndexView deep(dir / "disc.IX", keys);
    const PageView root = deep.Page(1, deep.Root(1));
    ASSERT_NE(deep.Page(1, root.P0).P0, 0) << "the tree should have three levels";
    std::shuffle(entries.begin(), entries.end(), random);
    h = OpenRecordFiles(base);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        auto [k, text] = entries[i];
        if (i % 500 == 0) {
            CloseRecordFiles(h);
            IndexView ix(dir / "disc.IX", keys);
            if (ix.Root(k) != 0) {
                text = ix.Page(k, ix.Root(k)).Texts[0];
            }
            h = OpenRecordFiles(base);
        }
        if (model[k - 1].erase(text) == 0) {
            continue;  // taken from the root earlier
        }
        ASSERT_TRUE(DeleteKey(h, k, 1, text)) << LastRecordStatus().Error;
        if (i % 6000 == 0) {
            CloseRecordFiles(h);
            ExpectSound();
            h = OpenRecordFiles(base);
            ClearKey(h, k);
            std::int32_t rec = 0;
            std::string got;
            auto expected = model[k - 1].begin();
            while (NextKey(h, k, rec, got)) {
                ASSERT_EQ(got, *expected++);
            }
            ASSERT_EQ(expected, model[k - 1].end());
        }
    }
    for (int k = 1; k <= 6; ++k) {
        for (const std::string& text : model[k - 1]) {
            ASSERT_TRUE(DeleteKey(h, k, 1, text));
        }
        EXPECT_EQ(UsedKeys(h, k), 0);
    }
    CloseRecordFiles(h);
    ExpectSound();
    IndexView empty(dir / "disc.IX", keys);
    for (int k = 1; k <= 6; ++k) {
        EXPECT_EQ(empty.Root(k), 0);
        EXPECT_EQ(I32(empty.Bytes, empty.Header(k) + 4), I32(empty.Bytes, empty.Header(k) + 8))
            << "every page is free again";
    }
}

}  // namespace
}  // namespace snx

namespace snx {
namespace {

TEST_F(RecordFileTest, AWalkGoesOnAcrossChangesOfTheKey) {
    const int h = Create({{4, true}}, 32);
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(AddKey(h, 1, i + 1, Text(i * 2)));
    }
    ClearKey(h, 1);
    std::int32_t rec = 0;
    std::string text;
    std::vector<std::string> seen;
    while (NextKey(h, 1, rec, text)) {
        seen.push_back(text);
        if (text == Text(100)) {
            ASSERT_TRUE(DeleteKey(h, 1, rec, text));    // the current entry goes
            ASSERT_TRUE(AddKey(h, 1, 500, Text(101)));  // one comes in just after it
            ASSERT_TRUE(AddKey(h, 1, 501, Text(1)));    // and one behind the walk
        }
    }
    EXPECT_EQ(Error(), kErrKeyNotFound);
    EXPECT_EQ(seen.size(), 201u);
    EXPECT_EQ(seen[51], Text(101));
    EXPECT_FALSE(NextKey(h, 1, rec, text));  // stays at the end until cleared
    EXPECT_EQ(FindKey(h, 1, "9999"), 0);     // after the last entry
    EXPECT_FALSE(NextKey(h, 1, rec, text));
    EXPECT_EQ(FindKey(h, 1, Text(398)), 200);
    EXPECT_FALSE(NextKey(h, 1, rec, text));
    EXPECT_EQ(FindKey(h, 1, Text(61)), 0);  // between entries: the walk goes on after it
    ASSERT_TRUE(NextKey(h, 1, rec, text));
    EXPECT_EQ(text, Text(62));
    // The first entry after a text that ends a leaf lies in the parent.
    CloseRecordFiles(h);
    IndexView ix(dir / "disc.IX", {{4, true}});
    const PageView root = ix.Page(1, ix.Root(1));
    ASSERT_GT(root.Count, 0);
    const PageView leaf = ix.Page(1, root.P0);
    const int h2 = OpenRecordFiles(base);
    EXPECT_EQ(FindKey(h2, 1, leaf.Texts.back() + "z"), 0);
    ASSERT_TRUE(NextKey(h2, 1, rec, text));
    EXPECT_EQ(text, root.Texts[0]);
    CloseRecordFiles(h2);
    ExpectSound();
}

TEST_F(DamagedRecordFileTest, TheCheckerNamesBrokenOrderCountsAndDepths) {
    Build();
    // Swap two texts of leaf 1: out of order.
    IndexView ix(dir / "disc.IX", {{4, false}});
    Patch(dir / "disc.IX", 812 + 6 + 9, Text(7).data(), 4);
    auto problems = CheckRecordFiles(base);
    ASSERT_FALSE(problems.empty());
    EXPECT_NE(problems.front().find("out of order"), std::string::npos) << problems.front();
    Patch(dir / "disc.IX", 812 + 6 + 9, Text(1).data(), 4);  // now a duplicate of entry 1
    problems = CheckRecordFiles(base);
    ASSERT_FALSE(problems.empty());
    EXPECT_NE(problems.front().find("duplicate"), std::string::npos) << problems.front();
    Patch(dir / "disc.IX", 812 + 6 + 9, Text(0).data(), 4);
    ExpectSound();
    // Leaf 2 cut to 20 entries: too few, and the header's count disagrees.
    const std::uint16_t twenty = 20;
    Patch(dir / "disc.IX", 2 * 812, &twenty, 2);
    problems = CheckRecordFiles(base);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("only 20 entries"), std::string::npos) << problems[0];
    EXPECT_NE(problems[1].find("counts 63 entries"), std::string::npos) << problems[1];
    Exercise();
}

}  // namespace
}  // namespace snx

namespace snx {
namespace {

TEST_F(DamagedRecordFileTest, RecordsBeyondTheDataFileAreNeverWritten) {
    Build();
    const std::int32_t highest = 1000000;
    Patch(dir / "disc.DAT", 8, &highest, 4);
    const int h = OpenRecordFiles(base);
    std::vector<std::uint8_t> record(32, 0);
    EXPECT_EQ(AddRec(h, record), 0);
    EXPECT_EQ(Error(), kErrDamaged);
    EXPECT_FALSE(PutRec(h, 500000, record));
    EXPECT_FALSE(DeleteRec(h, 500000));
    EXPECT_FALSE(GetRec(h, 500000, record));
    EXPECT_EQ(Error(), kErrDamaged);
    CloseRecordFiles(h);
    EXPECT_EQ(std::filesystem::file_size(dir / "disc.DAT"), 32u);
    EXPECT_FALSE(CheckRecordFiles(base).empty());
}

}  // namespace
}  // namespace snx

namespace snx {
namespace {

// The checker decodes every page from the disk: a page whose bytes went wrong (a fault in the
// encoding, a disk error that kept the file's stamp) is caught even while this process holds
// the decoded page in its cache.
TEST_F(DamagedRecordFileTest, TheCheckerReadsPagesFromTheDiskNotTheCache) {
    Build();
    const int h = OpenRecordFiles(base);
    std::int32_t rec = 0;
    std::string text;
    ClearKey(h, 1);
    int walked = 0;
    while (NextKey(h, 1, rec, text)) {
        ++walked;
    }
    EXPECT_EQ(walked, 63);
    CloseRecordFiles(h);  // the pages stay cached, trusted while the stamps hold
    const auto ix = dir / "disc.IX";
    const auto written = std::filesystem::last_write_time(ix);
    const std::uint16_t count = 200;
    Patch(ix, 812, &count, 2);  // page 1
    std::filesystem::last_write_time(ix, written);
    const auto problems = CheckRecordFiles(base);
    ASSERT_FALSE(problems.empty());
    EXPECT_NE(problems.front().find("page 1 cannot be decoded"), std::string::npos)
        << problems.front();
}

}  // namespace
}  // namespace snx
