#include "store/raw_file.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace snx {
namespace {

std::span<const std::uint8_t> AsBytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Kept writes of every size, over page edges, past the end and over each other, with a budget
// of a few pages so that they are written out often: reads and the length always see them, and
// the file holds exactly them once closed.
TEST(RawFileTest, KeptWritesMatchAModel) {
    for (const std::uint32_t seed : test::Seeds({1u, 2u, 3u})) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        test::TempDir dir;
        const auto path = dir / "new.VLF";
        std::mt19937 random(seed);
        std::string model = "head";
        RawFile file;
        ASSERT_TRUE(file.CreateOrTruncate(path));
        ASSERT_TRUE(file.WriteAt(0, AsBytes(model)));
        file.KeepWrites(3 * 4096);
        for (int i = 0; i < 400; ++i) {
            const std::size_t length =
                random() % 8 == 0 ? 70'000 + random() % 9000 : random() % 6000;
            const std::size_t at = random() % (model.size() + 3000);
            std::string bytes(length, '\0');
            for (char& c : bytes) {
                c = static_cast<char>('a' + random() % 26);
            }
            ASSERT_TRUE(file.WriteAt(static_cast<std::int64_t>(at), AsBytes(bytes)));
            model.resize(std::max(model.size(), at + length), '\0');
            model.replace(at, length, bytes);
            ASSERT_EQ(file.Size(), static_cast<std::int64_t>(model.size()));
            const std::size_t from = random() % model.size();
            std::string back(std::min<std::size_t>(9000, model.size() - from), '\0');
            ASSERT_TRUE(file.ReadAt(static_cast<std::int64_t>(from),
                                    {reinterpret_cast<std::uint8_t*>(back.data()), back.size()}));
            ASSERT_EQ(back, model.substr(from, back.size())) << "write " << i;
        }
        EXPECT_TRUE(file.Flush());
        file.Close();
        EXPECT_EQ(test::ReadFileText(path), model);
    }
}

// A kept write that cannot reach the disc makes Flush fail, even after later writes went out.
TEST(RawFileTest, AFailedWriteOutIsReportedByFlush) {
    test::TempDir dir;
    RawFile file;
    ASSERT_TRUE(file.CreateOrTruncate(dir / "new.DAT"));
    file.KeepWrites(1 << 20);
    ASSERT_TRUE(file.WriteAt(0, AsBytes(std::string(20'000, 'k'))));
    {
        const test::FileSizeLimit limit(8192);
        EXPECT_FALSE(file.Flush());
    }
    ASSERT_TRUE(file.WriteAt(0, AsBytes("x")));
    EXPECT_FALSE(file.Flush());
}

}  // namespace
}  // namespace snx
