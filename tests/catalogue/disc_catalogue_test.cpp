#include "catalogue/disc_catalogue.h"

#include "catalogue/catalogue_check.h"
#include "tests/support/catalogue_fixture.h"
#include "util/text.h"

namespace snx {
namespace {

using test::CatalogueTest;

std::vector<std::pair<std::int32_t, std::string>> Entries(int handle, int key) {
    std::vector<std::pair<std::int32_t, std::string>> entries;
    ClearKey(handle, key);
    std::int32_t number = 0;
    std::string text;
    while (NextKey(handle, key, number, text)) {
        entries.emplace_back(number, text);
    }
    return entries;
}

TEST_F(CatalogueTest, AsksForNewFilesOncePerOperationUntilYes) {
    DiscRecord record;
    StringGrid tracks;
    TextBox memo;
    KeySnapshot keys;
    messages_.Answer(false);
    EXPECT_EQ(catalogue_->LoadDiscRecord("00000000000374F6", record, tracks, memo, keys), 0);
    messages_.Answer(false);
    EXPECT_EQ(catalogue_->StoreDiscRecord(record, tracks, memo, keys), 0);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "disc.DAT"));
    messages_.Answer(true);
    EXPECT_GT(catalogue_->StoreDiscRecord(record, tracks, memo, keys), 0);
    const auto& m = messages_.Messages();
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0].Text, "Please confirm that a new set of data files are to be created?");
    EXPECT_TRUE(m[1].Question);
    EXPECT_EQ(m[2].Text, "Error processing disc record file - 10445 Code 0");
    EXPECT_TRUE(m[3].Question);
    // Once the files exist, nothing more is asked.
    EXPECT_GT(catalogue_->LoadDiscRecord("00000000000374F6", record, tracks, memo, keys), 0);
    EXPECT_EQ(messages_.Messages().size(), 4u);
}

TEST_F(CatalogueTest, UnknownDiscGetsANewRecordAndNothingIsWritten) {
    CreateFiles();
    test::WriteFileText(dir_ / "disc.wav", "old sample");
    AppSettings().VolumeLeft = 1234;
    DiscRecord record;
    StringGrid tracks(1, 1);
    TextBox memo{"old"};
    KeySnapshot keys{"a", "b", "c", "d", "e"};
    EXPECT_EQ(catalogue_->LoadDiscRecord("00000000000374F6", record, tracks, memo, keys), 0);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "disc.wav"));
    EXPECT_EQ(record.Identity, "00000000000374F6");
    for (const std::string* field :
         {&record.Name, &record.Artist, &record.Composer, &record.MusicType, &record.RecordLabel}) {
        EXPECT_EQ(*field, "Unknown");
    }
    EXPECT_EQ(record.Reference, "");
    EXPECT_EQ(record.TrackCount, 3);
    EXPECT_EQ(record.TrackLengths[1], PackMsf(4, 10, 0));
    EXPECT_EQ(record.TrackLengths[3], 0u);
    EXPECT_DOUBLE_EQ(record.PlayingTime, 9.15);
    EXPECT_EQ(record.SavedVolumeLeft, 1234);
    EXPECT_EQ(keys, KeySnapshot{});
    EXPECT_EQ(memo.Text, "00000000000374F6");
    EXPECT_EQ(tracks.ColCount(), 3);
    EXPECT_EQ(tracks.RowCount(), 100);
    EXPECT_EQ(tracks.Cell(0, 0), "00000000000374F6");
    const int handle = OpenRecordFiles(dir_ / "disc");
    EXPECT_EQ(UsedRecs(handle), 1);
    CloseRecordFiles(handle);
}

TEST_F(CatalogueTest, StoringAgainReplacesTheTextKeys) {
    CreateFiles();
    const std::int32_t number = AddDisc("0000000000000001", "First", "Bach", "Gould");
    ASSERT_EQ(number, 1);
    DiscRecord record;
    StringGrid tracks;
    TextBox memo;
    KeySnapshot keys;
    ASSERT_EQ(catalogue_->LoadDiscRecord("0000000000000001", record, tracks, memo, keys), 1);
    EXPECT_EQ(tracks.Cell(0, 2), "First two");
    EXPECT_EQ(memo.Text, "0000000000000001\r\nNotes of First\r\n");
    record.Artist = std::string(35, 'R');
    EXPECT_EQ(catalogue_->StoreDiscRecord(record, tracks, memo, keys), 1);
    EXPECT_EQ(keys.Artist, std::string(20, 'R'));

    const int handle = OpenRecordFiles(dir_ / "disc");
    EXPECT_EQ(Entries(handle, kKeyArtist),
              (std::vector<std::pair<std::int32_t, std::string>>{{1, std::string(20, 'R')}}));
    for (int key = kKeyIdentity; key <= kKeyMusicType; ++key) {
        EXPECT_EQ(UsedKeys(handle, key), 1) << key;
    }
    DiscRecordBytes bytes{};
    ASSERT_TRUE(GetRec(handle, 1, bytes));
    EXPECT_EQ(DecodeDiscRecord(bytes).Artist, std::string(35, 'R'));
    CloseRecordFiles(handle);
    EXPECT_EQ(CheckCatalogue(dir_.Path()), std::vector<std::string>{});
}

// Another program's rebuild puts new files in the names (its journal untouched): what this one
// read before must not outlive them.
TEST_F(CatalogueTest, FilesPutInPlaceByNameAreTheOnesReadNext) {
    namespace fs = std::filesystem;
    CreateFiles();
    ASSERT_EQ(AddDisc("0000000000000001", "First"), 1);
    const fs::path aside = dir_ / "aside";
    fs::create_directory(aside);
    for (const char* name : {"disc.DAT", "disc.IX", "disc.VLF"}) {
        fs::copy_file(dir_ / name, aside / name);
    }
    ASSERT_EQ(AddDisc("0000000000000002", "Second"), 2);
    DiscRecord record;
    StringGrid tracks;
    TextBox memo;
    KeySnapshot keys;
    ASSERT_EQ(catalogue_->LoadDiscRecord("0000000000000002", record, tracks, memo, keys), 2);

    for (const char* name : {"disc.DAT", "disc.IX", "disc.VLF"}) {
        fs::rename(aside / name, dir_ / name);
    }
    EXPECT_EQ(catalogue_->LoadDiscRecord("0000000000000002", record, tracks, memo, keys), 0);
    EXPECT_EQ(catalogue_->LoadDiscRecord("0000000000000001", record, tracks, memo, keys), 1);
    EXPECT_EQ(memo.Text, "0000000000000001\r\nNotes of First\r\n");
    EXPECT_EQ(AddDisc("0000000000000003", "Third"), 2);
    EXPECT_EQ(CheckCatalogue(dir_.Path()), std::vector<std::string>{});
}

TEST_F(CatalogueTest, SameComposerIsKeyedForBothDiscs) {
    CreateFiles();
    AddDisc("0000000000000009", "Nine", "Bach");
    AddDisc("0000000000000003", "Three", "Bach");
    const int handle = OpenRecordFiles(dir_ / "disc");
    EXPECT_EQ(Entries(handle, kKeyComposer),
              (std::vector<std::pair<std::int32_t, std::string>>{{1, "Bach"}, {2, "Bach"}}));
    // A second record may not take an identity that is keyed already.
    EXPECT_FALSE(AddKey(handle, kKeyIdentity, 2, "0000000000000009"));
    CloseRecordFiles(handle);
}

TEST_F(CatalogueTest, FirstBlocksDoNotClaimUnusedSpaceButMovedOnesAndDeletedRecordsDo) {
    CreateFiles();
    AddDisc("0000000000000001", "First");
    EXPECT_FALSE(AppSettings().DeletedRecordsPresent);
    DiscRecord record;
    StringGrid tracks;
    TextBox memo;
    KeySnapshot keys;
    catalogue_->LoadDiscRecord("0000000000000001", record, tracks, memo, keys);
    memo.Text += std::string(500, 'x');  // grows: the block moves
    catalogue_->StoreDiscRecord(record, tracks, memo, keys);
    EXPECT_TRUE(AppSettings().DeletedRecordsPresent);
    EXPECT_NE(test::ReadFileText(dir_ / "SONATRIX.INI").find("Deleted records present=1"),
              std::string::npos);

    // Another program deletes a record: the next open finds it on the chain of deleted records.
    AppSettings().DeletedRecordsPresent = false;
    ASSERT_TRUE(catalogue_->OpenDiscFiles());
    catalogue_->CloseDiscFiles();
    EXPECT_FALSE(AppSettings().DeletedRecordsPresent);
    const int handle = OpenRecordFiles(dir_ / "disc");
    ASSERT_TRUE(DeleteRec(handle, 1));
    CloseRecordFiles(handle);
    ASSERT_TRUE(catalogue_->OpenDiscFiles());
    catalogue_->CloseDiscFiles();
    EXPECT_TRUE(AppSettings().DeletedRecordsPresent);
}

TEST_F(CatalogueTest, ForeignSingleByteTextsKeepTheirIndexEntries) {
    CreateFiles();
    // A record written elsewhere: Windows-1252 bytes, keyed by those bytes.
    DiscRecord foreign;
    foreign.Identity = "00000000ABCDEF01";
    foreign.Name = "Caf\xE9 Society";
    foreign.Artist = "Bj\xF6rk";
    foreign.Composer = "Dvo\xF8\xE1k";
    foreign.RecordLabel = "Label";
    foreign.MusicType = "Pop";
    const int handle = OpenRecordFiles(dir_ / "disc");
    const std::int32_t number = AddRec(handle, EncodeDiscRecord(foreign));
    for (int key = kKeyIdentity; key <= kKeyMusicType; ++key) {
        ASSERT_TRUE(AddKey(handle, key, number, KeyText(KeyField(foreign, key), key)));
    }
    CloseRecordFiles(handle);

    DiscRecord record;
    StringGrid tracks;
    TextBox memo;
    KeySnapshot keys;
    ASSERT_EQ(catalogue_->LoadDiscRecord(foreign.Identity, record, tracks, memo, keys), number);
    EXPECT_EQ(StoredTextToUtf8(record.Name), "Caf\xC3\xA9 Society");
    record.Year = 1997;
    catalogue_->StoreDiscRecord(record, tracks, memo, keys);
    record.Artist = "Bj\xC3\xB6rk";  // edited by the user: now UTF-8
    catalogue_->StoreDiscRecord(record, tracks, memo, keys);
    EXPECT_EQ(CheckCatalogue(dir_.Path()), std::vector<std::string>{});
    EXPECT_TRUE(messages_.Errors().empty()) << messages_.Errors().front();
}

TEST_F(CatalogueTest, AnOrphanTakesItsTrackDataFromTheDiscOnce) {
    CreateFiles();
    AddDisc("00000000000374F6", "Imported");
    DiscRecord record;
    StringGrid tracks;
    TextBox memo;
    KeySnapshot keys;
    catalogue_->LoadDiscRecord("00000000000374F6", record, tracks, memo, keys);
    record.Orphan = true;
    record.TrackCount = 30;  // what an import without the disc guesses
    record.TrackLengths.fill(0);
    record.PlayingTime = 0;
    catalogue_->WriteDiscRecord(record);

    ASSERT_EQ(catalogue_->LoadDiscRecord("00000000000374F6", record, tracks, memo, keys), 1);
    ASSERT_TRUE(record.Orphan);
    EXPECT_TRUE(catalogue_->AdoptDriveDisc(record, tracks, memo, keys));
    DiscRecord stored;
    catalogue_->LoadDiscRecord("00000000000374F6", stored, tracks, memo, keys);
    EXPECT_FALSE(stored.Orphan);
    EXPECT_EQ(stored.TrackCount, 3);
    EXPECT_EQ(stored.TrackLengths[2], PackMsf(2, 0, 0));
    EXPECT_NEAR(stored.PlayingTime, 9.15, 1e-9);
    EXPECT_EQ(stored.Name, "Imported");
    EXPECT_FALSE(catalogue_->AdoptDriveDisc(stored, tracks, memo, keys));
}

TEST_F(CatalogueTest, WriteDiscRecordKeysTheIdentityOnly) {
    CreateFiles();
    DiscRecord record;
    StringGrid tracks;
    TextBox memo;
    KeySnapshot keys;
    catalogue_->LoadDiscRecord("0000000000000042", record, tracks, memo, keys);
    catalogue_->WriteDiscRecord(record);
    const int handle = OpenRecordFiles(dir_ / "disc");
    EXPECT_EQ(UsedKeys(handle, kKeyIdentity), 1);
    EXPECT_EQ(UsedKeys(handle, kKeyName), 0);
    CloseRecordFiles(handle);
    record.Year = 2001;
    catalogue_->WriteDiscRecord(record);  // found: rewritten in place
    DiscRecord back;
    EXPECT_EQ(catalogue_->LoadDiscRecord("0000000000000042", back, tracks, memo, keys), 1);
    EXPECT_EQ(back.Year, 2001);
}

}  // namespace
}  // namespace snx
