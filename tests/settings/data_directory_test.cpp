#include "settings/data_directory.h"

#include <gtest/gtest.h>

#include "settings/file_names.h"
#include "tests/support/temp_dir.h"

namespace snx {
namespace {

TEST(DataDirectory, ChoosesByPrecedence) {
    DataDirectoryEnvironment env{"/srv/snx", "/home/u/.data", "/home/u"};
    EXPECT_EQ(ChooseDataDirectory("/tmp/cli", env), "/tmp/cli");
    EXPECT_EQ(ChooseDataDirectory(std::nullopt, env), "/srv/snx");
    env.SonatrixDataDir.reset();
    EXPECT_EQ(ChooseDataDirectory(std::nullopt, env), "/home/u/.data/sonatrix");
    env.XdgDataHome = "relative/path";  // not absolute: ignored
    EXPECT_EQ(ChooseDataDirectory(std::nullopt, env), "/home/u/.local/share/sonatrix");
    env.XdgDataHome.reset();
    EXPECT_EQ(ChooseDataDirectory(std::string(), env), "/home/u/.local/share/sonatrix");
}

TEST(DataDirectory, RelativeCommandLineBecomesAbsolute) {
    const auto chosen = ChooseDataDirectory("some/dir", {});
    EXPECT_TRUE(chosen.is_absolute());
    EXPECT_EQ(chosen, std::filesystem::current_path() / "some/dir");
}

TEST(DataDirectory, IsCreatedOnFirstUse) {
    test::TempDir dir;
    EnsureDataDirectory(dir / "a/b");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "a/b"));
    EnsureDataDirectory(dir / "a/b");  // a second time is fine
}

TEST(FileNames, MatchWithoutRegardToCase) {
    test::TempDir dir;
    test::WriteFileText(dir / "disc.dat", "x");
    test::WriteFileText(dir / "Type.fle", "x");
    EXPECT_EQ(ResolveFileName(dir.Path(), "disc.DAT"), dir / "disc.dat");
    EXPECT_EQ(ResolveFileName(dir.Path(), "type.fle"), dir / "Type.fle");
    EXPECT_EQ(ResolveFileName(dir.Path(), "Type.fle"), dir / "Type.fle");
    EXPECT_EQ(ResolveFileName(dir.Path(), "disc.VLF"), dir / "disc.VLF");  // none: as given
    EXPECT_EQ(ResolveFileName(dir / "missing", "x"), dir / "missing" / "x");
}

TEST(FileNames, SeeFilesMadeRightAfterALookup) {
    test::TempDir dir;
    test::WriteFileText(dir / "other", "x");
    EXPECT_EQ(ResolveFileName(dir.Path(), "disc.wav"), dir / "disc.wav");
    test::WriteFileText(dir / "DISC.WAV", "x");
    EXPECT_EQ(ResolveFileName(dir.Path(), "disc.wav"), dir / "DISC.WAV");
    std::filesystem::rename(dir / "DISC.WAV", dir / "Disc.Wav");
    EXPECT_EQ(ResolveFileName(dir.Path(), "disc.wav"), dir / "Disc.Wav");
}

TEST(FileNames, PreferTheExactNameThenNameOrder) {
    test::TempDir dir;
    test::WriteFileText(dir / "LABEL.fle", "x");
    test::WriteFileText(dir / "label.FLE", "x");
    EXPECT_EQ(ResolveFileName(dir.Path(), "label.FLE"), dir / "label.FLE");
    EXPECT_EQ(ResolveFileName(dir.Path(), "label.fle"), dir / "LABEL.fle");
}

}  // namespace
}  // namespace snx
