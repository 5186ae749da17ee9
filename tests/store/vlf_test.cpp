#include "store/block_file/vlf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <random>

#include "catalogue/fvlf.h"
#include "tests/support/temp_dir.h"

namespace snx {
namespace {

using test::ReadFileText;
using test::TempDir;
using test::WriteFileText;

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t fill) {
    return std::vector<std::uint8_t>(n, fill);
}

TVlf::BlockHeader HeaderAt(const std::string& file, std::size_t address) {
    TVlf::BlockHeader h;
    h.State = static_cast<std::uint8_t>(file.at(address));
    h.Check = static_cast<std::uint8_t>(file.at(address + 1));
    std::memcpy(&h.Type, file.data() + address + 2, 2);
    std::memcpy(&h.Length, file.data() + address + 4, 4);
    return h;
}

std::int32_t HintOf(const std::string& file) {
    std::int32_t hint = 0;
    std::memcpy(&hint, file.data() + 1020, 4);
    return hint;
}

class VlfTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = dir / "disc.VLF";
        ASSERT_TRUE(vlf.Open(path));
    }
    std::string File() { return test::ReadCatalogueFile(path); }
    void ExpectSound() {
        const auto problems = CheckVlf(path);
        EXPECT_TRUE(problems.empty()) << problems.front();
    }
    TempDir dir;
    std::filesystem::path path;
    TVlf vlf;
};

TEST_F(VlfTest, OpeningAnEmptyFileWritesTheHeaderOnce) {
    const std::string file = File();
    ASSERT_EQ(file.size(), 1024u);
    EXPECT_EQ(file.substr(0, 6), std::string("\xF5\xF4\x02\x00\x06\x00", 6));
    const std::string text = TVlf::kFormatText;
    EXPECT_EQ(file.substr(6, text.size() + 1), text + '\0');
    EXPECT_EQ(file.find_first_not_of('\0', 6 + text.size()), std::string::npos);
    EXPECT_EQ(vlf.Close(), 0);
    EXPECT_EQ(vlf.Close(), -1);
    ASSERT_TRUE(vlf.Open(path));
    EXPECT_EQ(File(), file);
    ExpectSound();
}

TEST_F(VlfTest, RefusesAForeignFileAndNeverWritesIt) {
    vlf.Close();
    const auto other = dir / "notes.txt";
    WriteFileText(other, "plain text, not a block file");
    EXPECT_FALSE(vlf.Open(other));
    EXPECT_EQ(ReadFileText(other), "plain text, not a block file");
    EXPECT_FALSE(vlf.IsOpen());
    // A file with the signature but cut inside its header is refused as well.
    WriteFileText(other, std::string("\xF5\xF4\x02\x00\x06\x00", 6));
    EXPECT_FALSE(vlf.Open(other));
    EXPECT_FALSE(TVlf().Open());  // no name at all
}

TEST_F(VlfTest, OpenUsesFileNameAndCallsTheNotifications) {
    vlf.Close();
    int opens = 0;
    int closes = 0;
    vlf.BeforeFileOpen = [&](TVlf&) { ++opens; };
    vlf.BeforeFileClose = [&](TVlf&) { ++closes; };
    vlf.FileName = path;
    ASSERT_TRUE(vlf.Open());
    EXPECT_EQ(vlf.Close(), 0);
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(closes, 1);
}

TEST_F(VlfTest, ReusesAFreedBlockAndSplitsIt) {
    const std::int32_t a = vlf.StoreText(0, {std::string(99, 'a')});  // 100 bytes with the NUL
    const std::int32_t b = vlf.StoreText(0, {"after"});
    EXPECT_EQ(a, 1024);
    EXPECT_EQ(b, 1024 + 8 + 100);
    EXPECT_EQ(vlf.DeleteBlock(a), 1);
    EXPECT_EQ(vlf.FreeHint(), a);
    const std::int32_t c = vlf.StoreText(0, {std::string(49, 'c')});  // 50 bytes
    EXPECT_EQ(c, a);
    const std::string file = File();
    const auto used = HeaderAt(file, 1024);
    EXPECT_EQ(used.State, '#');
    EXPECT_EQ(used.Length, 50);
    const auto rest = HeaderAt(file, 1024 + 8 + 50);
    EXPECT_EQ(rest.State, '*');
    EXPECT_EQ(rest.Check, 0x23);
    EXPECT_EQ(rest.Type, -1);
    EXPECT_EQ(rest.Length, 42);
    TextBox box;
    ASSERT_TRUE(vlf.LoadText(b, box));
    EXPECT_EQ(box.Text, "after");
    ExpectSound();
}

TEST_F(VlfTest, MergesAdjacentFreeBlocks) {
    const std::int32_t a = vlf.WriteBlock(0, Bytes(30, 1), 1025);
    const std::int32_t b = vlf.WriteBlock(0, Bytes(40, 2), 1025);
    const std::int32_t c = vlf.WriteBlock(0, Bytes(50, 3), 1025);
    ASSERT_EQ(vlf.DeleteBlock(b), 1);
    ASSERT_EQ(vlf.DeleteBlock(a), 1);
    const std::string file = File();
    EXPECT_EQ(HeaderAt(file, static_cast<std::size_t>(a)).State, '*');
    EXPECT_EQ(HeaderAt(file, static_cast<std::size_t>(a)).Length, 30 + 8 + 40);
    const auto absorbed = HeaderAt(file, static_cast<std::size_t>(b));
    EXPECT_EQ(absorbed.State, '~');
    EXPECT_EQ(absorbed.Check, 0x7E);
    EXPECT_EQ(absorbed.Length, 40);
    EXPECT_EQ(HintOf(file), a);
    EXPECT_EQ(vlf.BlockLength(c), 50);
    ExpectSound();
    // A run of three merges into one as well, and the block in use absorbs nothing it keeps.
    ASSERT_EQ(vlf.DeleteBlock(c), 1);
    ASSERT_EQ(vlf.DeleteBlock(a), 1);
    EXPECT_EQ(HeaderAt(File(), static_cast<std::size_t>(a)).Length, 30 + 8 + 40 + 8 + 50);
    ExpectSound();
}

TEST_F(VlfTest, SameLengthRewriteKeepsTheAddress) {
    const std::int32_t a = vlf.StoreText(0, {"one"});
    vlf.StoreText(0, {"two"});
    EXPECT_EQ(vlf.StoreText(a, {"uno"}), a);
    TextBox box;
    ASSERT_TRUE(vlf.LoadText(a, box));
    EXPECT_EQ(box.Text, "uno");
    // Longer: it moves (nothing free fits), leaving the old block free.
    const std::int32_t moved = vlf.StoreText(a, {"a longer text"});
    EXPECT_NE(moved, a);
    EXPECT_EQ(vlf.BlockLength(a), 0);
    EXPECT_EQ(vlf.BlockType(a), -1);
    ExpectSound();
}

TEST_F(VlfTest, RecycleOffAppendsEveryNewBlock) {
    vlf.Recycle = false;
    const std::int32_t a = vlf.WriteBlock(0, Bytes(20, 1), 0);
    ASSERT_EQ(vlf.DeleteBlock(a), 1);
    const std::int32_t b = vlf.WriteBlock(0, Bytes(20, 2), 0);
    EXPECT_EQ(b, a + 28);
    EXPECT_EQ(vlf.FindFree(20), 0);
}

TEST_F(VlfTest, AFreeBlockOneToSevenBytesTooLargeIsNotUsed) {
    for (std::int32_t extra = 1; extra <= 8; ++extra) {
        TVlf v;
        const auto p = dir / ("extra" + std::to_string(extra));
        ASSERT_TRUE(v.Open(p));
        const std::int32_t a = v.WriteBlock(0, Bytes(static_cast<std::size_t>(20 + extra), 1), 0);
        v.WriteBlock(0, Bytes(5, 2), 0);
        ASSERT_EQ(v.DeleteBlock(a), 1);
        const std::int32_t b = v.WriteBlock(0, Bytes(20, 3), 0);
        if (extra < 8) {
            EXPECT_NE(b, a) << extra;
        } else {
            EXPECT_EQ(b, a);  // exactly room for the split header: a free block of length 0
            EXPECT_EQ(HeaderAt(ReadFileText(p), static_cast<std::size_t>(a) + 28).Length, 0);
        }
        v.Close();
        const auto problems = CheckVlf(p);
        EXPECT_TRUE(problems.empty()) << problems.front();
    }
}

TEST_F(VlfTest, ShrinkingInPlaceSplitsAndLowersTheHint) {
    const std::int32_t a = vlf.WriteBlock(0, Bytes(100, 1), 0);
    vlf.WriteBlock(0, Bytes(10, 2), 0);
    EXPECT_EQ(vlf.FreeHint(), 0);
    EXPECT_EQ(vlf.WriteBlock(a, Bytes(60, 9), 0), a);
    // MergeFree of the rewritten block lowers the hint to it first.
    EXPECT_EQ(vlf.FreeHint(), a);
    const auto rest = HeaderAt(File(), static_cast<std::size_t>(a) + 68);
    EXPECT_EQ(rest.State, '*');
    EXPECT_EQ(rest.Length, 100 - 60 - 8);
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(vlf.ReadBlock(a, back));
    EXPECT_EQ(back, Bytes(60, 9));
    ExpectSound();
}

TEST_F(VlfTest, LoadTextOnAGridBlockFailsAndLeavesTheBox) {
    StringGrid grid(3, 100);
    const std::int32_t g = vlf.StoreGrid(0, grid);
    TextBox box{"unchanged"};
    EXPECT_FALSE(vlf.LoadText(g, box));
    EXPECT_EQ(box.Text, "unchanged");
    StringGrid other(1, 1);
    const std::int32_t t = vlf.StoreText(0, {"x"});
    EXPECT_FALSE(vlf.LoadGrid(t, other));
    EXPECT_EQ(other, StringGrid(1, 1));
}

TEST_F(VlfTest, AnEmptyThreeByHundredGridTakes748Bytes) {
    StringGrid grid(3, 100);
    EXPECT_EQ(TVlf::GridBlockLength(grid), 748);
    const std::int32_t g = vlf.StoreGrid(0, grid);
    EXPECT_EQ(vlf.BlockLength(g), 748);
    EXPECT_EQ(vlf.BlockType(g), 3);
}

TEST_F(VlfTest, GridRoundTripsWithItsPropertiesAndLayout) {
    StringGrid grid(3, 100);
    grid.FixedCols = 0;
    grid.FixedRows = 1;
    grid.Color = 0x123456;
    grid.FixedColor = 0x654321;
    grid.GridLineWidth = 2;
    grid.Font.Color = 0x0000FF;
    grid.Font.Height = -13;
    grid.Font.Name = "A font name that is longer than thirty-one bytes";
    grid.Font.FontPitch = GridFont::Variable;
    grid.Font.Size = 10;
    grid.Font.Styles = GridFont::Italic;
    grid.SetColWidth(0, 200);
    grid.SetColWidth(1, 90);
    grid.SetColWidth(2, 91);
    grid.SetCell(0, 0, "1A2B3C4D");
    grid.SetCell(0, 1, "Track one");
    grid.SetCell(1, 1, "user");
    grid.SetCell(2, 99, std::string(300, 'z'));
    const std::int32_t g = vlf.StoreGrid(0, grid);
    ASSERT_NE(g, 0);
    EXPECT_EQ(vlf.BlockLength(g), 748 + 8 + 9 + 4 + 255);
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(vlf.ReadBlock(g, data));
    EXPECT_EQ(data[16], 3);
    EXPECT_EQ(data[20], 100);
    EXPECT_EQ(data[50], 31);
    EXPECT_EQ(data[87], 1);
    EXPECT_EQ(data[86] + data[88] + data[89], 0);
    EXPECT_EQ(data[440] + data[441], 0);
    EXPECT_EQ(data[442], 200);                  // column 0 width
    EXPECT_EQ(data[448], 8);                    // the first cell: column 0, row 0
    EXPECT_EQ(data[448 + 9], 9);                // column 0, row 1
    EXPECT_EQ(data[448 + 9 + 10], 0);           // column 0, row 2
    EXPECT_EQ(data[448 + 9 + 10 + 98], 0);      // column 1, row 0
    EXPECT_EQ(data[448 + 9 + 10 + 98 + 1], 4);  // column 1, row 1
    EXPECT_EQ(data.back(), 'z');
    EXPECT_EQ(data[data.size() - 256], 255);

    StringGrid loaded;
    ASSERT_TRUE(vlf.LoadGrid(g, loaded));
    StringGrid expected = grid;
    expected.SetCell(2, 99, std::string(255, 'z'));
    expected.Font.Name.resize(31);
    EXPECT_EQ(loaded, expected);
    // Bold and italic together is "exactly" neither: no flag is stored.
    grid.Font.Styles = GridFont::Bold | GridFont::Italic;
    EXPECT_EQ(vlf.StoreGrid(g, grid), g);
    ASSERT_TRUE(vlf.LoadGrid(g, loaded));
    EXPECT_EQ(loaded.Font.Styles, 0);
    ExpectSound();
}

TEST_F(VlfTest, BlocksLongerThanOneReadLoadWholeOverWhatWasThere) {
    StringGrid big(3, 100);
    for (std::int32_t row = 0; row < 100; ++row) {
        big.SetCell(row % 3, row, std::string(60, static_cast<char>('a' + row % 26)));
    }
    const TextBox text{std::string(10000, 't') + "end"};
    const std::int32_t g = vlf.StoreGrid(0, big);
    const std::int32_t t = vlf.StoreText(0, text);
    StringGrid loaded(3, 100);
    loaded.SetCell(0, 1, "left from the last disc");
    ASSERT_TRUE(vlf.LoadGrid(g, loaded));
    EXPECT_EQ(loaded, big);
    TextBox box{"old"};
    ASSERT_TRUE(vlf.LoadText(t, box));
    EXPECT_EQ(box, text);
}

TEST_F(VlfTest, StoreGridOfAnotherSizeMovesOrReusesSpace) {
    StringGrid grid(3, 100);
    const std::int32_t g = vlf.StoreGrid(0, grid);
    vlf.StoreText(0, {"after"});
    grid.SetCell(0, 5, "Longer now");
    const std::int32_t g2 = vlf.StoreGrid(g, grid);
    EXPECT_NE(g2, g);
    EXPECT_EQ(vlf.BlockLength(g), 0);
    grid.SetCell(0, 5, "");
    EXPECT_EQ(vlf.StoreGrid(0, grid), g);  // the freed block fits exactly again
    ExpectSound();
}

TEST_F(VlfTest, FilesAreCopiedInAndOutInChunks) {
    const auto source = dir / "sample.wav";
    std::string content(1'100'000, '\0');
    std::mt19937 random(7);
    for (char& c : content) {
        c = static_cast<char>(random());
    }
    WriteFileText(source, content);
    vlf.BufferSize = 100;  // below 1024: 4096
    std::vector<std::int64_t> progress;
    vlf.FileToVlfProgress = [&](TVlf&, std::int64_t total, std::int64_t done) {
        EXPECT_EQ(total, 1'100'000);
        progress.push_back(done);
    };
    const std::int32_t a = vlf.StoreFile(0, source, TVlf::kTypeSample);
    ASSERT_NE(a, 0);
    EXPECT_EQ(progress.size(), (1'100'000 + 4095) / 4096u);
    EXPECT_EQ(progress[1], 4096);
    EXPECT_EQ(vlf.BlockType(a), 1026);
    EXPECT_EQ(vlf.BlockLength(a), 1'100'000);

    vlf.BufferSize = 10000;
    int chunks = 0;
    vlf.VlfToFileProgress = [&](TVlf&, std::int64_t total, std::int64_t) {
        EXPECT_EQ(total, 1'100'000);
        ++chunks;
    };
    const auto out = dir / "out.wav";
    ASSERT_TRUE(vlf.ExtractFile(a, out, 0));
    EXPECT_EQ(chunks, 110);
    EXPECT_EQ(ReadFileText(out), content);
    ASSERT_TRUE(vlf.ExtractFile(a, out, 1));
    EXPECT_EQ(ReadFileText(out).size(), 2'200'000u);
    ASSERT_TRUE(vlf.ExtractFile(a, out, 0));
    EXPECT_EQ(ReadFileText(out).size(), 1'100'000u);
    // From one block file to another the bytes go whole, in pieces larger than any chunk.
    TVlf other;
    ASSERT_TRUE(other.Open(dir / "other.VLF"));
    ASSERT_NE(other.StoreText(0, {"first"}), 0);
    const std::int32_t copied = other.CopyBlockFrom(vlf, a, TVlf::kTypeBitmap);
    ASSERT_GT(copied, 1024);
    EXPECT_EQ(other.BlockType(copied), 1025);
    ASSERT_TRUE(other.ExtractFile(copied, out, 0));
    EXPECT_EQ(ReadFileText(out), content);
    EXPECT_EQ(other.CopyBlockFrom(vlf, 1'200'000, TVlf::kTypeBitmap), 0);
    other.Close();
    EXPECT_TRUE(CheckVlf(dir / "other.VLF").empty());
    // Replacing the stored file frees the old block first.
    vlf.FileToVlfProgress = nullptr;
    WriteFileText(source, "small");
    const std::int32_t b = vlf.StoreFile(a, source, TVlf::kTypeBitmap);
    EXPECT_EQ(b, a);
    EXPECT_EQ(vlf.BlockLength(b), 5);
    EXPECT_EQ(vlf.StoreFile(0, dir / "missing", 1025), 0);
    ExpectSound();
}

TEST_F(VlfTest, EveryOperationFailsOnAClosedFile) {
    const std::int32_t a = vlf.StoreText(0, {"kept"});
    vlf.Close();
    const std::string before = File();
    std::vector<std::uint8_t> buffer(10);
    TextBox box;
    StringGrid grid(1, 1);
    EXPECT_EQ(vlf.WriteBlock(0, buffer, 0), 0);
    EXPECT_EQ(vlf.AppendBlock(buffer, 10, 0), 0);
    EXPECT_FALSE(vlf.ReadBlock(a, buffer));
    EXPECT_EQ(vlf.BlockLength(a), 0);
    EXPECT_EQ(vlf.BlockType(a), -1);
    EXPECT_EQ(vlf.DeleteBlock(a), 0);
    EXPECT_EQ(vlf.FindFree(4), 0);
    EXPECT_EQ(vlf.StoreText(0, box), 0);
    EXPECT_FALSE(vlf.LoadText(a, box));
    EXPECT_EQ(vlf.StoreGrid(0, grid), 0);
    EXPECT_FALSE(vlf.LoadGrid(a, grid));
    EXPECT_FALSE(vlf.ExtractFile(a, dir / "x", 0));
    EXPECT_EQ(File(), before);
    EXPECT_FALSE(std::filesystem::exists(dir / "x"));
}

TEST_F(VlfTest, ReadBlockChecksAddressAndBuffer) {
    const std::int32_t a = vlf.WriteBlock(0, Bytes(16, 5), 0);
    std::vector<std::uint8_t> small(8);
    const std::span<std::uint8_t> buffer(small);
    EXPECT_FALSE(vlf.ReadBlock(a, buffer));  // the block is longer than the buffer
    EXPECT_TRUE(vlf.ReadBlock(a, buffer, 8));
    EXPECT_FALSE(vlf.ReadBlock(1000, buffer, 8));
    EXPECT_FALSE(vlf.ReadBlock(a + 4096, buffer, 8));
    EXPECT_EQ(vlf.DeleteBlock(a + 3), 0);  // inside the block: no header there
    EXPECT_EQ(vlf.DeleteBlock(500), 0);
}

TEST(TfvlfTest, HoldsTheTwoFilesAndTheBrowsersControls) {
    TempDir dir;
    Tfvlf holder(dir.Path());
    EXPECT_EQ(holder.Vlf.FileName, dir / "disc.VLF");
    EXPECT_EQ(holder.Vlf2.FileName, dir / "disc2.VLF");
    EXPECT_EQ(holder.catTracks.ColCount(), 3);
    EXPECT_EQ(holder.catTracks.RowCount(), 100);
    EXPECT_TRUE(holder.catMemo.Text.empty());
    EXPECT_TRUE(holder.Vlf.Recycle);
    EXPECT_EQ(holder.Vlf.BufferSize, 4096);
    EXPECT_EQ(holder.Vlf.FileOpenMode, TVlf::OpenReadWrite);
    EXPECT_EQ(holder.Vlf.FileShareMode, TVlf::ShareCompat);
}

TEST(TextBoxTest, SplitsAndJoinsLines) {
    TextBox box{"one\r\ntwo\nthree"};
    EXPECT_EQ(box.Lines(), (std::vector<std::string>{"one", "two", "three"}));
    box.SetLines({"a", "b"});
    EXPECT_EQ(box.Text, "a\r\nb\r\n");
}

// Random stores, rewrites and deletes against a map of address to content, the file closed and
// reopened between batches and checked after each one.
TEST(VlfModelTest, RandomBlocksMatchAModel) {
    for (const std::uint32_t seed : test::Seeds({1u, 2u, 3u, 20261208u})) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TempDir dir;
        const auto path = dir / "model.VLF";
        std::mt19937 random(seed);
        std::map<std::int32_t, std::vector<std::uint8_t>> model;
        TVlf vlf;
        int operations = 0;
        for (int batch = 0; batch < 25; ++batch) {
            vlf.KeepWritesUntilClose = batch % 2 == 1;  // as a rebuild fills its new file
            ASSERT_TRUE(vlf.Open(path));
            for (int i = 0; i < 250; ++i, ++operations) {
                const int op = static_cast<int>(random() % 10);
                auto pick = [&] {
                    auto it = model.begin();
                    std::advance(it, static_cast<long>(random() % model.size()));
                    return it;
                };
                std::vector<std::uint8_t> data(random() % (random() % 4 == 0 ? 600 : 60));
                for (auto& b : data) {
                    b = static_cast<std::uint8_t>(random());
                }
                if (op < 4 || model.empty()) {
                    const std::int32_t a = vlf.WriteBlock(0, data, 0);
                    ASSERT_GE(a, 1024);
                    ASSERT_FALSE(model.count(a)) << "address reused while live: " << a;
                    model[a] = data;
                } else if (op < 7) {
                    auto it = pick();
                    const std::int32_t old = it->first;
                    model.erase(it);
                    const std::int32_t a = vlf.WriteBlock(old, data, 1026);
                    ASSERT_GE(a, 1024);
                    ASSERT_FALSE(model.count(a));
                    model[a] = data;
                } else if (op < 9) {
                    auto it = pick();
                    ASSERT_EQ(vlf.DeleteBlock(it->first), 1);
                    model.erase(it);
                } else {
                    StringGrid grid(1 + static_cast<std::int32_t>(random() % 3),
                                    static_cast<std::int32_t>(random() % 5));
                    grid.SetCell(0, 0, std::string(random() % 20, 'g'));
                    std::int32_t old = 0;
                    if (!model.empty() && random() % 2 == 0) {
                        auto it = pick();
                        old = it->first;
                        model.erase(it);
                    }
                    const std::int32_t a = vlf.StoreGrid(old, grid);
                    ASSERT_GE(a, 1024);
                    ASSERT_FALSE(model.count(a));
                    std::vector<std::uint8_t> stored;
                    ASSERT_TRUE(vlf.ReadBlock(a, stored));
                    model[a] = stored;
                }
            }
            for (const auto& [address, content] : model) {
                std::vector<std::uint8_t> back;
                ASSERT_TRUE(vlf.ReadBlock(address, back)) << address;
                ASSERT_EQ(back, content) << "block at " << address;
                ASSERT_EQ(vlf.BlockLength(address), static_cast<std::int32_t>(content.size()));
            }
            ASSERT_EQ(vlf.Close(), 0);
            const auto problems = CheckVlf(path);
            ASSERT_TRUE(problems.empty()) << "batch " << batch << ": " << problems.front();
        }
        EXPECT_GE(operations, 5000);
    }
}

}  // namespace
}  // namespace snx

namespace snx {
namespace {

using test::Patch;

class DamagedVlfTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = dir / "disc.VLF";
        ASSERT_TRUE(vlf.Open(path));
        a = vlf.StoreText(0, {"first"});
        b = vlf.StoreGrid(0, StringGrid(3, 10));
        c = vlf.StoreText(0, {"third"});
        ASSERT_EQ(vlf.DeleteBlock(c), 1);
        vlf.Close();
    }
    // Every operation on every address must fail cleanly or succeed.
    void Exercise() {
        if (!vlf.Open(path)) {
            return;
        }
        const std::vector<std::uint8_t> data(50, 1);
        for (const std::int32_t at : {a, b, c, a + 3, 1020, 0}) {
            std::vector<std::uint8_t> block;
            TextBox box;
            StringGrid grid;
            vlf.ReadBlock(at, block);
            vlf.LoadText(at, box);
            vlf.LoadGrid(at, grid);
            vlf.BlockLength(at);
            vlf.ExtractFile(at, dir / "out", 0);
        }
        for (const std::int32_t at : {a, b, c, a + 3}) {
            vlf.WriteBlock(at, data, 0);
            vlf.DeleteBlock(at);
            vlf.StoreGrid(at, StringGrid(2, 2));
        }
        vlf.WriteBlock(0, data, 0);
        vlf.Close();
        CheckVlf(path);
    }
    TempDir dir;
    std::filesystem::path path;
    TVlf vlf;
    std::int32_t a = 0, b = 0, c = 0;
};

TEST_F(DamagedVlfTest, ANegativeLengthStopsTheWalks) {
    const std::int32_t negative = -100;
    Patch(path, b + 4, &negative, 4);
    EXPECT_FALSE(CheckVlf(path).empty());
    ASSERT_TRUE(vlf.Open(path));
    EXPECT_EQ(vlf.FindFree(5), 0);
    vlf.Close();
    Exercise();
}

TEST_F(DamagedVlfTest, ALengthPastTheEndIsRefused) {
    const std::int32_t huge = 0x7FFFFFF0;
    Patch(path, a + 4, &huge, 4);
    EXPECT_FALSE(CheckVlf(path).empty());
    ASSERT_TRUE(vlf.Open(path));
    TextBox box;
    EXPECT_FALSE(vlf.LoadText(a, box));
    EXPECT_EQ(vlf.DeleteBlock(a), 0);
    vlf.Close();
    Exercise();
}

TEST_F(DamagedVlfTest, GridCountsTheBlockCannotHoldAreRefused) {
    const std::int32_t rows = 0x40000000;
    Patch(path, b + 8 + 20, &rows, 4);
    ASSERT_TRUE(vlf.Open(path));
    StringGrid grid(1, 1);
    EXPECT_FALSE(vlf.LoadGrid(b, grid));
    EXPECT_EQ(grid, StringGrid(1, 1));
    const std::uint16_t extra = 60000;
    Patch(path, b + 8 + 440, &extra, 2);
    EXPECT_FALSE(vlf.LoadGrid(b, grid));
    vlf.Close();
    Exercise();
}

TEST_F(DamagedVlfTest, ABadHintOrStateIsReported) {
    const std::int32_t hint = 1030;
    Patch(path, 1020, &hint, 4);
    const char state = 'Q';
    Patch(path, a, &state, 1);
    const auto problems = CheckVlf(path);
    EXPECT_EQ(problems.size(), 2u);
    Exercise();
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(c) + 3);
    EXPECT_FALSE(CheckVlf(path).empty());
    Exercise();
}

}  // namespace
}  // namespace snx
