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

TEST(CommandLine, ReportsWhatItCannotUse) {
    EXPECT_FALSE(ParseCommandLine({"--data-dir"}).Error.empty());
    EXPECT_FALSE(ParseCommandLine({"--data-dir="}).Error.empty());
    EXPECT_EQ(ParseCommandLine({"--bogus"}).Error, "unknown argument: --bogus");
}

}  // namespace
}  // namespace snx
