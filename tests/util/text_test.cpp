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

TEST(StoredText, DecodesWindows1252WhereBytesAreNotUtf8) {
    EXPECT_EQ(StoredTextToUtf8("Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(StoredTextToUtf8("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_EQ(StoredTextToUtf8("\x80 \x93x\x94"), "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D");
    EXPECT_EQ(StoredTextToUtf8("\x81"), "\xC2\x81");  // a hole in the code page
    EXPECT_FALSE(IsValidUtf8("\xC3"));
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));  // overlong
    EXPECT_TRUE(IsValidUtf8("plain"));
    EXPECT_EQ(UpperAscii("abc\xC3\xA9z"), "ABC\xC3\xA9Z");
    EXPECT_TRUE(ContainsUpper("Summer Romance 3", "ROMANCE"));
    EXPECT_TRUE(ContainsUpper("x", ""));
    EXPECT_FALSE(ContainsUpper("Romanc", "ROMANCE"));
    EXPECT_FALSE(ContainsUpper("romance", "romance"));  // the needle is taken as upper-case
}

}  // namespace
}  // namespace snx
