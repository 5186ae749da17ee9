#include "util/atomic_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include "tests/support/temp_dir.h"

namespace snx {
namespace {

using test::ReadFileText;
using test::TempDir;
using test::WriteFileText;

std::size_t EntryCount(const std::filesystem::path& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                  std::filesystem::directory_iterator()));
}

// Makes writes past `bytes` fail with EFBIG, which refuses writes even to root.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, previousHandler_);
    }

  private:
    rlimit saved_{};
    sighandler_t previousHandler_;
};

TEST(AtomicFile, ReplacesTheWholeFile) {
    TempDir dir;
    WriteFileText(dir / "a.txt", "old contents that are longer");
    WriteFileAtomically(dir / "a.txt", "new");
    EXPECT_EQ(ReadFileText(dir / "a.txt"), "new");
    EXPECT_EQ(EntryCount(dir.Path()), 1u);
}

TEST(AtomicFile, ALinkedFileIsReplacedWhereTheLinksLeadAndTheLinksStay) {
    TempDir dir;
    std::filesystem::create_directory(dir / "kept");
    WriteFileText(dir / "kept" / "a.txt", "old");
    std::filesystem::create_symlink(dir / "kept" / "a.txt", dir / "absolute");
    std::filesystem::create_symlink("absolute", dir / "relative");  // a chain of two
    WriteFileAtomically(dir / "relative", "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "relative"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "absolute"));
    EXPECT_EQ(ReadFileText(dir / "kept" / "a.txt"), "new");
    EXPECT_EQ(EntryCount(dir / "kept"), 1u);

    // A link to a file not made yet makes it there.
    std::filesystem::create_symlink("kept/b.txt", dir / "dangling");
    WriteFileAtomically(dir / "dangling", "first");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "dangling"));
    EXPECT_EQ(ReadFileText(dir / "kept" / "b.txt"), "first");
    EXPECT_EQ(EntryCount(dir.Path()), 4u);
}

TEST(AtomicFile, AbandonedWriterLeavesOldFileAndNoTemporary) {
    TempDir dir;
    WriteFileText(dir / "a.txt", "old");
    {
        AtomicFileWriter writer(dir / "a.txt");
        writer.Write("half written");
    }
    EXPECT_EQ(ReadFileText(dir / "a.txt"), "old");
    EXPECT_EQ(EntryCount(dir.Path()), 1u);
}

TEST(AtomicFile, RefusedWriteKeepsOldFile) {
    TempDir dir;
    WriteFileText(dir / "a.txt", "old");
    {
        FileSizeLimit limit(16);
        EXPECT_THROW(WriteFileAtomically(dir / "a.txt", std::string(4096, 'x')), FileWriteError);
    }
    EXPECT_EQ(ReadFileText(dir / "a.txt"), "old");
    EXPECT_EQ(EntryCount(dir.Path()), 1u);
    EXPECT_THROW(WriteFileAtomically(dir / "missing" / "a.txt", "x"), FileWriteError);
}

}  // namespace
}  // namespace snx
