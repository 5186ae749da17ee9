#include "catalogue/reference_list.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_messages.h"
#include "tests/support/temp_dir.h"

namespace snx {
namespace {

using test::ReadFileText;
using test::TempDir;
using test::WriteFileText;

TEST(ReferenceList, LoadsSortedKeepingEqualSpellings) {
    TempDir dir;
    WriteFileText(dir / "composer.fle", "beta\r\nAlpha\r\nalpha\r\n\r\nlast without end");
    ReferenceList list;
    ASSERT_TRUE(list.Load(dir / "composer.fle", false));
    EXPECT_EQ(list.Entries(),
              (std::vector<std::string>{"", "Alpha", "alpha", "beta", "last without end"}));
    ASSERT_TRUE(list.Save(dir / "composer.fle", "Composers"));
    EXPECT_EQ(ReadFileText(dir / "composer.fle"),
              "\r\nAlpha\r\nalpha\r\nbeta\r\nlast without end\r\n");

    // A list shared from elsewhere through a link is saved there, and the link stays.
    std::filesystem::rename(dir / "composer.fle", dir / "shared.fle");
    std::filesystem::create_symlink("shared.fle", dir / "composer.fle");
    list.Add("gamma");
    ASSERT_TRUE(list.Save(dir / "composer.fle", "Composers"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "composer.fle"));
    EXPECT_NE(ReadFileText(dir / "shared.fle").find("gamma\r\n"), std::string::npos);
}

TEST(ReferenceList, NewEntriesGoToTheirSortedPlace) {
    ReferenceList list;
    list.Add("delta");
    list.Add("Bravo");
    EXPECT_EQ(list.Add("charlie"), 1u);
    EXPECT_EQ(list.Add("BRAVO"), 1u);  // after the equal one already there
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"Bravo", "BRAVO", "charlie", "delta"}));
    EXPECT_EQ(list.Find("bravo"), 0);
    EXPECT_EQ(list.Find("CHARLIE"), 2);
    EXPECT_EQ(list.Find("alpha"), -1);
    EXPECT_EQ(list.Find("zulu"), -1);
}

TEST(ReferenceList, ListEditorCutsLongLines) {
    TempDir dir;
    WriteFileText(dir / "artist.fle", std::string(300, 'a') + "\r\n");
    ReferenceList whole, cut;
    whole.Load(dir / "artist.fle", false);
    cut.Load(dir / "artist.fle", true);
    EXPECT_EQ(whole.Entries().at(0).size(), 300u);
    EXPECT_EQ(cut.Entries().at(0).size(), 255u);
}

TEST(ReferenceList, MissingFileIsCreatedEmptyAndNamesMatchAnyCase) {
    TempDir dir;
    WriteFileText(dir / "Type.fle", "Jazz\r\n");
    EXPECT_EQ(ReferenceListPath(dir.Path(), ReferenceListKind::Types), dir / "Type.fle");
    const auto labels = ReferenceListPath(dir.Path(), ReferenceListKind::Labels);
    ReferenceList list;
    EXPECT_TRUE(list.Load(labels, false));
    EXPECT_TRUE(std::filesystem::exists(dir / "label.fle"));
    EXPECT_TRUE(list.Entries().empty());
    EXPECT_EQ(ReferenceListKindFromLetter('A'), ReferenceListKind::Artists);
    EXPECT_THROW(ReferenceListKindFromLetter('X'), std::invalid_argument);
}

TEST(ReferenceList, FailedSaveSaysSoAndKeepsTheOldFile) {
    TempDir dir;
    test::ScriptedMessages script;
    ReferenceList list;
    list.Add("x");
    EXPECT_FALSE(list.Save(dir / "missing-dir" / "label.fle", "Record labels"));
    EXPECT_EQ(script.Errors(), std::vector<std::string>{"Cannot save Record labels file!"});
}

}  // namespace
}  // namespace snx
