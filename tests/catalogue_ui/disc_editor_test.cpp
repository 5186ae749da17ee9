// The disc editor's rules without a window: completion, what OK and Cancel take, the track grid.
#include <gtest/gtest.h>

#include "catalogue_ui/disc_editor.h"
#include "catalogue_ui/list_editing.h"

namespace snx {
namespace {

ReferenceList ListOf(std::initializer_list<const char*> entries) {
    ReferenceList list;
    for (const char* entry : entries) {
        list.Add(entry);
    }
    return list;
}

TEST(CompleteFromList, TakesTheFirstCaseBlindPrefixAndStopsAtTheFirstLaterEntry) {
    const ReferenceList list = ListOf({"adams", "Adagio", "Bach", "brahms", "Zappa"});
    // "Adagio" sorts before "adams": the first match in list order wins.
    EXPECT_EQ(CompleteFromList(list, "ad").Text, "Adagio");
    EXPECT_EQ(CompleteFromList(list, "ad").SelectFrom, 2u);
    EXPECT_EQ(CompleteFromList(list, "ADAM").Text, "adams");
    EXPECT_EQ(CompleteFromList(list, "br").Text, "brahms");
    // Nothing matches: the text stays as typed, nothing to select.
    const Completion none = CompleteFromList(list, "Bx");
    EXPECT_EQ(none.Text, "Bx");
    EXPECT_EQ(none.SelectFrom, 2u);
    EXPECT_EQ(CompleteFromList(list, "").Text, "");
}

TEST(DiscEditor, OkTakesFieldsCutOnCharacterBoundariesAndPutsTheIdentityBack) {
    DiscRecord record;
    record.Identity = "00000000000374F6";
    record.Name = "Old";
    record.Composer = "Bach";
    record.TrackCount = 2;
    StringGrid tracks(3, 100);
    tracks.SetCell(0, 1, "One");
    tracks.SetCell(1, 2, "extra");
    TextBox memo{"00000000000374F6\r\nFirst note\r\nSecond\r\n"};

    DiscEditor editor = DiscEditor::Open(record, tracks, memo);
    EXPECT_EQ(editor.Notes, "First note\nSecond");
    EXPECT_EQ(editor.Tracks.RowCount(), 3);
    EXPECT_EQ(editor.Tracks.Cell(0, 1), "One");

    std::string name;
    for (int i = 0; i < 100; ++i) {
        name += "\xC3\xA9";  // é, two bytes
    }
    editor.Fields.Name = name;
    editor.Fields.Reference = std::string(40, 'r');
    editor.Fields.Year = 1999;
    editor.Notes = "Changed\nnotes";
    editor.Tracks.SetCell(0, 2, "Two");
    editor.Working.BitmapAddress = 5000;  // written while the dialog was open

    editor.TakeOk(record, tracks, memo);
    EXPECT_EQ(record.Name, name.substr(0, 100));  // 50 whole characters
    EXPECT_EQ(record.Reference, std::string(30, 'r'));
    EXPECT_EQ(record.Composer, "Bach");
    EXPECT_EQ(record.Year, 1999);
    EXPECT_EQ(record.BitmapAddress, 5000);
    EXPECT_EQ(memo.Text, "00000000000374F6\r\nChanged\r\nnotes\r\n");
    EXPECT_EQ(tracks.Cell(0, 2), "Two");
    EXPECT_EQ(tracks.Cell(1, 2), "extra");
}

TEST(DiscEditor, OkWithoutChangeKeepsEveryStoredByte) {
    DiscRecord record;
    record.Identity = "ABCDEF0123456789";
    record.Name = "Caf\xE9";  // Windows-1252 from an old catalogue
    record.Artist = std::string(100, 'a');
    record.TrackCount = 1;
    StringGrid tracks(3, 100);
    tracks.SetCell(0, 1, "Na\xEFve");
    TextBox memo{"ABCDEF0123456789\r\nNo\xEBl"};  // no final line end
    const DiscRecord beforeRecord = record;
    const StringGrid beforeTracks = tracks;
    const TextBox beforeMemo = memo;

    DiscEditor::Open(record, tracks, memo).TakeOk(record, tracks, memo);
    EXPECT_EQ(record, beforeRecord);
    EXPECT_EQ(tracks, beforeTracks);
    EXPECT_EQ(memo, beforeMemo);
}

TEST(DiscEditor, CancelTakesOnlyTheWorkingCopy) {
    DiscRecord record;
    record.Name = "Kept";
    StringGrid tracks(3, 100);
    TextBox memo;
    DiscEditor editor = DiscEditor::Open(record, tracks, memo);
    editor.Fields.Name = "Typed";
    editor.Working.SampleAddress = 0;
    editor.Working.Programme = {2, 1};
    editor.TakeCancel(record);
    EXPECT_EQ(record.Name, "Kept");
    EXPECT_EQ(record.Programme, (std::vector<std::uint8_t>{2, 1}));
}

StringGrid Rows(std::initializer_list<const char*> names) {
    StringGrid grid(3, static_cast<std::int32_t>(names.size()) + 1);
    int row = 1;
    for (const char* name : names) {
        grid.SetCell(0, row, name);
        grid.SetCell(2, row, std::string(name) + "2");
        ++row;
    }
    return grid;
}

std::vector<std::string> Names(const StringGrid& grid) {
    std::vector<std::string> names;
    for (int row = 1; row < grid.RowCount(); ++row) {
        names.push_back(grid.Cell(0, row) + "/" + grid.Cell(2, row));
    }
    return names;
}

TEST(TrackGridRules, InsertDeleteAndMoveKeepTheNumberOfRows) {
    StringGrid grid = Rows({"a", "b", "c"});
    InsertTrackRow(grid, 3, 2);
    EXPECT_EQ(Names(grid), (std::vector<std::string>{"a/a2", "/", "b/b2"}));  // c is lost
    grid = Rows({"a", "b", "c"});
    InsertTrackRow(grid, 3, 3);
    EXPECT_EQ(Names(grid), (std::vector<std::string>{"a/a2", "b/b2", "/"}));
    grid = Rows({"a", "b", "c"});
    DeleteTrackRow(grid, 3, 1);
    EXPECT_EQ(Names(grid), (std::vector<std::string>{"b/b2", "c/c2", "/"}));
    grid = Rows({"a", "b", "c"});
    DeleteTrackRow(grid, 3, 3);
    EXPECT_EQ(Names(grid), (std::vector<std::string>{"a/a2", "b/b2", "/"}));
    grid = Rows({"a", "b", "c", "d"});
    MoveTrackRow(grid, 4, 1, 3);
    EXPECT_EQ(Names(grid), (std::vector<std::string>{"b/b2", "c/c2", "a/a2", "d/d2"}));
    MoveTrackRow(grid, 4, 4, 1);
    EXPECT_EQ(Names(grid), (std::vector<std::string>{"d/d2", "b/b2", "c/c2", "a/a2"}));
}

}  // namespace
}  // namespace snx
