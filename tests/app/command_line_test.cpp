#include "app/command_line.h"

#include <gtest/gtest.h>

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
    EXPECT_FALSE(ParseCommandLine({"--image"}).Error.empty());
    EXPECT_FALSE(ParseCommandLine({"--demo", "--image", "a.cue"}).Error.empty());
}

TEST(CommandLine, ReportsWhatItCannotUse) {
    EXPECT_FALSE(ParseCommandLine({"--data-dir"}).Error.empty());
    EXPECT_FALSE(ParseCommandLine({"--data-dir="}).Error.empty());
    EXPECT_EQ(ParseCommandLine({"--bogus"}).Error, "unknown argument: --bogus");
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
    EXPECT_TRUE(second.Error.empty());
    EXPECT_TRUE(ParseCommandLine({"--demo", "-p"}).Play);
    EXPECT_TRUE(ParseCommandLine({"--play"}).Play);
    EXPECT_FALSE(ParseCommandLine({"--demo"}).Play);
}

}  // namespace
}  // namespace snx
