#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include "settings/profile_number.h"

namespace snx {
namespace {

TEST(IniFile, ReadsSectionsAndKeysWithoutRegardToCase) {
    const IniFile ini = IniFile::Parse(
        "; comment\r\n[General]\r\nSkip time = 130 \r\nskip time=1\r\n[general]\r\nMain top=5\r\n");
    EXPECT_EQ(ini.Get("general", "SKIP TIME"), "130");        // the first key wins
    EXPECT_EQ(ini.Get("General", "Main top"), std::nullopt);  // only the first section is read
    EXPECT_EQ(ini.Get("Fonts", "Skip time"), std::nullopt);
}

TEST(IniFile, SetKeepsEverythingElseInPlace) {
    IniFile ini =
        IniFile::Parse("# kept\n[Other]\nMine=1\n\n[General]\nMain top=5\n; note\n\n[Tail]\nx=y\n");
    ini.Set("General", "Main top", "7");
    ini.Set("General", "Main left", "9");
    ini.Set("New", "Key", "v");
    EXPECT_EQ(ini.ToText(),
              "# kept\n[Other]\nMine=1\n\n[General]\nMain top=7\nMain left=9\n; note\n\n"
              "[Tail]\nx=y\n[New]\nKey=v\n");
}

TEST(IniFile, ValueLineBreaksCannotForgeKeys) {
    IniFile ini;
    ini.Set("General", "Previous command line", "abc\n[Evil]\nx=1");
    const IniFile again = IniFile::Parse(ini.ToText());
    EXPECT_EQ(again.Get("General", "Previous command line"), "abc");
    EXPECT_EQ(again.Get("Evil", "x"), std::nullopt);
}

TEST(IniFile, ToleratesJunk) {
    using namespace std::string_literals;
    const IniFile ini = IniFile::Parse("\0\xff=\n[\n]\n=\n[A]\n=v\nno equals\n"s);
    EXPECT_EQ(ini.Get("A", ""), "v");
}

TEST(ProfileNumber, FollowsTheConversionRules) {
    EXPECT_EQ(ParseProfileInteger("130"), 130);
    EXPECT_EQ(ParseProfileInteger("-42"), -42);
    EXPECT_EQ(ParseProfileInteger("+42"), 42);
    EXPECT_EQ(ParseProfileInteger("0x8000000F"), -2147483633);
    EXPECT_EQ(ParseProfileInteger("0XfF"), 255);
    EXPECT_EQ(ParseProfileInteger("$FF00"), 0xFF00);
    EXPECT_EQ(ParseProfileInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseProfileInteger("2147483647"), INT32_MAX);
    EXPECT_EQ(ParseProfileInteger("0xFFFFFFFF"), -1);
    for (const char* bad : {"", "yes", "0x", "$", "2147483648", "-2147483649", "0x100000000", "12a",
                            " 1", "1.5", "0xG", "-"}) {
        EXPECT_EQ(ParseProfileInteger(bad), std::nullopt) << bad;
    }
}

}  // namespace
}  // namespace snx
