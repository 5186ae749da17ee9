#include "store/block_file/free_space_map.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <random>

#include "store/block_file/vlf.h"
#include "store/record_file/record_file.h"
#include "tests/support/temp_dir.h"

namespace snx {
namespace {

// Moves the file's modification time, as another program's write would, so that the next open
// cannot trust what this process remembers of it.
void TouchFromOutside(const std::filesystem::path& path) {
    const auto now = std::filesystem::last_write_time(path);
    std::filesystem::last_write_time(path, now + std::chrono::seconds(1));
}

// The same random stores and deletes on two files: one keeps its free-space map between opens,
// the other is touched before every open and so is walked afresh each time. Both must choose the
// same addresses, or the map has drifted from the file.
TEST(FreeSpaceMap, KeptMapChoosesWhatAFreshWalkChooses) {
    test::TempDir dir;
    const auto kept = dir / "kept.VLF";
    const auto fresh = dir / "fresh.VLF";
    const unsigned seed = 4242;
    std::mt19937 random(seed);
    std::vector<std::int32_t> liveKept;
    std::vector<std::int32_t> liveFresh;
    for (int round = 0; round < 300; ++round) {
        TVlf a;
        TVlf b;
        ASSERT_TRUE(a.Open(kept));
        if (std::filesystem::exists(fresh)) {
            TouchFromOutside(fresh);
        }
        ASSERT_TRUE(b.Open(fresh));
        for (int op = 0; op < 10; ++op) {
            if (!liveKept.empty() && random() % 3 == 0) {
                const std::size_t at = random() % liveKept.size();
                EXPECT_EQ(a.DeleteBlock(liveKept[at]), 1);
                EXPECT_EQ(b.DeleteBlock(liveFresh[at]), 1);
                liveKept.erase(liveKept.begin() + static_cast<std::ptrdiff_t>(at));
                liveFresh.erase(liveFresh.begin() + static_cast<std::ptrdiff_t>(at));
                continue;
            }
            const std::vector<std::uint8_t> data(1 + random() % 300, static_cast<std::uint8_t>(op));
            const bool rewrite = !liveKept.empty() && random() % 2 == 0;
            const std::size_t at = rewrite ? random() % liveKept.size() : 0;
            const std::int32_t x = a.WriteBlock(rewrite ? liveKept[at] : 0, data, 0);
            const std::int32_t y = b.WriteBlock(rewrite ? liveFresh[at] : 0, data, 0);
            ASSERT_EQ(x, y) << "seed " << seed << ", round " << round;
            if (rewrite) {
                liveKept[at] = x;
                liveFresh[at] = y;
            } else {
                liveKept.push_back(x);
                liveFresh.push_back(y);
            }
        }
    }
    EXPECT_TRUE(CheckVlf(kept).empty());
}

TEST(FreeSpaceMap, FreeBlocksMadeByAnotherProgramAreFound) {
    test::TempDir dir;
    const auto path = dir / "disc.VLF";
    std::int32_t second = 0;
    {
        TVlf vlf;
        ASSERT_TRUE(vlf.Open(path));
        vlf.WriteBlock(0, std::vector<std::uint8_t>(100, 1), 0);
        second = vlf.WriteBlock(0, std::vector<std::uint8_t>(100, 2), 0);
        vlf.WriteBlock(0, std::vector<std::uint8_t>(100, 3), 0);
        vlf.Close();
    }
    {
        // Another program frees the second block (state "*", type -1) and sets the hint.
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(second);
        file.put('*');
        file.seekp(second + 2);
        file.put('\xFF').put('\xFF');
        file.seekp(1020);
        file.write(reinterpret_cast<const char*>(&second), 4);
    }
    TouchFromOutside(path);
    TVlf vlf;
    ASSERT_TRUE(vlf.Open(path));
    EXPECT_EQ(vlf.WriteBlock(0, std::vector<std::uint8_t>(100, 9), 0), second);
}

// Index pages are remembered between opens too; a file changed by another program must be read
// again, not served from memory.
TEST(RememberedPages, AnIndexChangedFromOutsideIsReadAgain) {
    test::TempDir dir;
    InitRecordFiles(8);
    const KeyDescription keys[] = {{16, false}};
    CreateRecordFiles(dir / "disc", 64, keys);
    int handle = OpenRecordFiles(dir / "disc");
    ASSERT_TRUE(AddKey(handle, 1, 1, "a"));
    CloseRecordFiles(handle);
    const std::string before = test::ReadFileText(dir / "disc.IX");

    handle = OpenRecordFiles(dir / "disc");
    ASSERT_TRUE(AddKey(handle, 1, 2, "b"));
    CloseRecordFiles(handle);
    // Another program puts the index back as it was.
    test::WriteFileText(dir / "disc.IX", before);
    TouchFromOutside(dir / "disc.IX");

    handle = OpenRecordFiles(dir / "disc");
    EXPECT_EQ(FindKey(handle, 1, "b"), 0);
    EXPECT_EQ(FindKey(handle, 1, "a"), 1);
    CloseRecordFiles(handle);
    ExitRecordFiles();
}

}  // namespace
}  // namespace snx
