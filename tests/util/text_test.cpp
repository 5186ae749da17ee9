#include "util/text.h"

#include <gtest/gtest.h>

namespace snx {
namespace {

TEST(CutText, KeepsWholeCharacters) {
    EXPECT_EQ(CutText("abcdef", 4), "abcd");
    EXPECT_EQ(CutText("abc", 4), "abc");
    EXPECT_EQ(CutText("ab\xC3\xA9", 3), "ab");  // é would be split
    EXPECT_EQ(CutText("a\xE2\x82\xAC"
                      "b",
                      4),
              "a\xE2\x82\xAC");  // € fits exactly
    // Windows-1252 bytes are single characters: cut exactly at the limit.
    EXPECT_EQ(CutText("caf\xE9s", 4), "caf\xE9");
    EXPECT_EQ(CutText("\xC3", 0), "");
}

TEST(EqualsIgnoreCase, MatchesAsciiOnly) {
    EXPECT_TRUE(EqualsIgnoreCase("disc.DAT", "DISC.dat"));
    EXPECT_FALSE(EqualsIgnoreCase("disc.DAT", "disc.DA"));
    EXPECT_FALSE(EqualsIgnoreCase("\xC3\xA9", "\xC3\x89"));
}

}  // namespace
}  // namespace snx
