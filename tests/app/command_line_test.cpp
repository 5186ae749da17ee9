#include "app/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/temp_dir.h"

namespace snx {
namespace {

TEST(CommandLine, TakesTheDataDirectoryInBothSpellings) {
    EXPECT_EQ(ParseCommandLine({"--data-dir", "/d"}).DataDirectory, "/d");
    EXPECT_EQ(ParseCommandLine({"--data-dir=/e"}).DataDirectory, "/e");
    EXPECT_EQ(ParseCommandLine({}).DataDirectory, std::nullopt);
    EXPECT_TRUE(ParseCommandLine({"--help"}).ShowHelp);
}

TEST(CommandLine, TakesTheDiscOptions) {
    const CommandLine image = ParseCommandLine({"--image", "a.cue", "--data-dir=/d"});
    EXPECT_EQ(image.Image, "a.cue");
    EXPECT_EQ(image.DataDirectory, "/d");
    EXPECT_FALSE(image.Demo);
    EXPECT_EQ(ParseCommandLine({"--image=b.cue"}).Image, "b.cue");
    EXPECT_TRUE(ParseCommandLine({"--demo"}).Demo);
    EXPECT_TRUE(ParseCommandLine({"--has-drive"}).HasDrive);
    EXPECT_EQ(ParseCommandLine({"--image"}).Image, std::nullopt);
    const CommandLine both = ParseCommandLine({"--demo", "--image", "a.cue"});
    EXPECT_FALSE(both.Demo);
    EXPECT_EQ(both.Image, "a.cue");
    // An archive is named by its disc's identity, in the catalogue's spelling, and plays.
    const CommandLine archive = ParseCommandLine({"--play-archive", "00ab0000000374f6"});
    EXPECT_EQ(archive.Archive, "00AB0000000374F6");
    EXPECT_TRUE(archive.Play);
    for (const std::vector<std::string>& wrong :
         std::vector<std::vector<std::string>>{{"--play-archive=374F6"},
                                               {"--play-archive", "00000000000374G6"},
                                               {"a.cue", "--play-archive=00000000000374F6"},
                                               {"--play-archive=00000000000374F6", "b.cue"}}) {
        const CommandLine parsed = ParseCommandLine(wrong);
        EXPECT_EQ(parsed.Ignored.size(), 1u) << wrong.back();
        EXPECT_FALSE(parsed.Archive && parsed.Image) << wrong.back();
    }
}

TEST(CommandLine, IgnoresWhatItCannotUseAndTakesTheRest) {
    const CommandLine other = ParseCommandLine({"/x", "--data-dir", "/d", "--bogus", "-p"});
    EXPECT_TRUE(other.Play);
    EXPECT_EQ(other.DataDirectory, "/d");
    EXPECT_EQ(IgnoredWarning(other), "sonatrix: ignored: /x (unknown), --bogus (unknown)\n");
    const CommandLine slashP = ParseCommandLine({"/p", "foo"});
    EXPECT_TRUE(slashP.Play);
    EXPECT_FALSE(slashP.Image || slashP.Drive);
    EXPECT_EQ(IgnoredWarning(slashP), "sonatrix: ignored: foo (not a disc image or drive)\n");
    EXPECT_EQ(ParseCommandLine({"--data-dir"}).Ignored.size(), 1u);
    EXPECT_EQ(ParseCommandLine({"--data-dir=", "--data-dir=/e"}).DataDirectory, "/e");
    EXPECT_EQ(IgnoredWarning(ParseCommandLine({"/P", "--demo"})), "");
}

}  // namespace
}  // namespace snx

namespace snx {
namespace {

TEST(CommandLine, PlaysOnlyForSlashPFirstOrThePlayOption) {
    EXPECT_TRUE(ParseCommandLine({"/P"}).Play);
    EXPECT_TRUE(ParseCommandLine({"/p", "--demo"}).Play);
    const CommandLine second = ParseCommandLine({"--demo", "/p"});
    EXPECT_FALSE(second.Play);
    EXPECT_TRUE(second.Ignored.empty());
    EXPECT_TRUE(ParseCommandLine({"--demo", "-p"}).Play);
    EXPECT_TRUE(ParseCommandLine({"--play"}).Play);
    EXPECT_FALSE(ParseCommandLine({"--demo"}).Play);
}

}  // namespace
}  // namespace snx

namespace snx {
namespace {

TEST(CommandLine, OnePositionalArgumentNamesTheDisc) {
    // The desktop file's "sonatrix /p %U".
    const CommandLine desktop = ParseCommandLine({"/p", "file:///home/me/My%20Album.CUE"});
    EXPECT_TRUE(desktop.Play);
    EXPECT_EQ(desktop.Image, "/home/me/My Album.CUE");
    EXPECT_EQ(ParseCommandLine({"file://localhost/a/b.toc"}).Image, "/a/b.toc");
    EXPECT_EQ(ParseCommandLine({"music/c.nrg"}).Image, "music/c.nrg");
    EXPECT_EQ(ParseCommandLine({"/dev/sr1"}).Drive, "/dev/sr1");
    EXPECT_EQ(ParseCommandLine({"cdda://sr0/"}).Drive, "/dev/sr0");
    EXPECT_EQ(ParseCommandLine({"CDDA:///dev/sr2"}).Drive, "/dev/sr2");
    const CommandLine anyDrive = ParseCommandLine({"cdda://"});
    EXPECT_TRUE(anyDrive.Ignored.empty());
    EXPECT_FALSE(anyDrive.Drive);
    // Nothing named: the desktop expanded %U to nothing.
    EXPECT_TRUE(ParseCommandLine({"/p"}).Ignored.empty());
}

TEST(CommandLine, IgnoresDiscsItCannotPlayAndKeepsTheFirstDisc) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"song.mp3"},
             {"file:///a/song.mp3"},
             {"file://elsewhere/a.cue"},
             {"http://example.org/a.cue"},
             {"file:///a%2"},
             {"file:///a%zz.cue"},
             {"file:///a%00.cue"},
         }) {
        const CommandLine parsed = ParseCommandLine(arguments);
        EXPECT_FALSE(parsed.Image || parsed.Drive) << arguments.back();
        EXPECT_EQ(parsed.Ignored.size(), 1u) << arguments.back();
    }
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"a.cue", "b.cue"},
             {"--image", "a.cue", "b.cue"},
             {"a.cue", "--image=b.cue"},
             {"a.cue", "cdda://sr0"},
         }) {
        const CommandLine parsed = ParseCommandLine(arguments);
        EXPECT_EQ(parsed.Image, "a.cue") << arguments.back();
        EXPECT_FALSE(parsed.Drive) << arguments.back();
        EXPECT_EQ(parsed.Ignored.size(), 1u) << arguments.back();
    }
    EXPECT_EQ(ParseCommandLine({"--demo", "/dev/sr0"}).Drive, "/dev/sr0");
}

TEST(CommandLine, HandsTheSameRequestsToTheRunningPlayer) {
    CommandLine given = ParseCommandLine({"--play", "rel/a.cue"});
    const CommandLine handed = ParseCommandLine(CommandLineArguments(given));
    EXPECT_TRUE(handed.Play);
    EXPECT_EQ(handed.Image, (std::filesystem::current_path() / "rel/a.cue").string());
    EXPECT_EQ(ParseCommandLine(CommandLineArguments(ParseCommandLine({"cdda://sr3"}))).Drive,
              "/dev/sr3");
    EXPECT_TRUE(ParseCommandLine(CommandLineArguments(ParseCommandLine({"--demo"}))).Demo);
    const CommandLine archive = ParseCommandLine(
        CommandLineArguments(ParseCommandLine({"--play-archive=00000000000374F6"})));
    EXPECT_EQ(archive.Archive, "00000000000374F6");
    EXPECT_TRUE(archive.Play);
    EXPECT_TRUE(CommandLineArguments(ParseCommandLine({})).empty());
}

TEST(CommandLine, FindsADriveByItsDeviceOrALinkToIt) {
    const test::TempDir dir;
    const std::filesystem::path device = dir.Path() / "sr1";
    std::ofstream(device).put('x');
    std::filesystem::create_symlink(device, dir.Path() / "cdrom");
    const std::vector<std::string> labels = {(dir.Path() / "sr0").string(), device.string(),
                                             "virtual: demo.cue"};
    EXPECT_EQ(FindDriveIndex(labels, device.string()), 1);
    EXPECT_EQ(FindDriveIndex(labels, (dir.Path() / "cdrom").string()), 1);
    EXPECT_EQ(FindDriveIndex(labels, (dir.Path() / "sr0").string()), 0);
    EXPECT_EQ(FindDriveIndex(labels, (dir.Path() / "sr9").string()), -1);
}

}  // namespace
}  // namespace snx
