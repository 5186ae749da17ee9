// A crash at any write or flush of a change leaves the catalogue as it was before the change or as
// it is after it; a journal torn by a crash is ignored; a second program waits for the lock.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <random>

#include "catalogue/browse_attach.h"
#include "catalogue/browse_tree.h"
#include "store/rollback_journal.h"
#include "store/stamped_cache.h"
#include "store/transaction.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/crash_harness.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/random_discs.h"
#include "util/crc32.h"

namespace snx::test {
namespace {

// Another program reading the catalogue for as long as this object lives.
class OtherReader {
  public:
    explicit OtherReader(const std::filesystem::path& dir) {
        if (::pipe(ready_) != 0 || ::pipe(release_) != 0) {
            return;
        }
        child_ = ::fork();
        if (child_ == 0) {
            const CatalogueScope scope(dir, CatalogueAccess::Read);
            char c = scope.Held() ? 'y' : 'n';
            (void)!::write(ready_[1], &c, 1);
            (void)!::read(release_[0], &c, 1);
            ::_exit(0);
        }
        char c = 0;
        reading_ = ::read(ready_[0], &c, 1) == 1 && c == 'y';
    }
    ~OtherReader() {
        (void)!::write(release_[1], "x", 1);
        int status = 0;
        if (child_ > 0) {
            ::waitpid(child_, &status, 0);
        }
        for (int fd : {ready_[0], ready_[1], release_[0], release_[1]}) {
            ::close(fd);
        }
    }
    OtherReader(const OtherReader&) = delete;
    OtherReader& operator=(const OtherReader&) = delete;
    bool Reading() const { return reading_; }

  private:
    int ready_[2] = {-1, -1};
    int release_[2] = {-1, -1};
    pid_t child_ = -1;
    bool reading_ = false;
};

class CatalogueCrashTest : public CatalogueTest {
  protected:
    void SetUp() override {
        CreateFiles();
        RandomDiscShape shape;
        shape.Seed = 7;
        StoreRandomDiscs(*catalogue_, 70, shape);  // keys of several pages
        AddDisc("00000000000000C1", "Kept disc");
    }

    std::int32_t NumberOf(const std::string& identity) {
        DiscRecord record;
        KeySnapshot keys;
        return catalogue_->LoadDiscRecord(identity, record, holder_->catTracks, holder_->catMemo,
                                          keys);
    }

    CrashHarness harness_{dir_.Path()};
};

TEST_F(CatalogueCrashTest, StoringADiscIsWholeOrAbsentAfterACrashAnywhere) {
    const int points = harness_.Run(*catalogue_, [&] { AddDisc("00000000000000D7", "New disc"); });
    EXPECT_GT(points, 5);
}

TEST_F(CatalogueCrashTest, DeletingADiscIsWholeOrAbsentAfterACrashAnywhere) {
    const std::int32_t number = NumberOf("00000000000000C1");
    ASSERT_GT(number, 0);
    harness_.Run(*catalogue_, [&] { DeleteCatalogueRecord(*catalogue_, number, ""); });
}

TEST_F(CatalogueCrashTest, StoringAPictureIsWholeOrAbsentAfterACrashAnywhere) {
    DiscRecord record = Load("00000000000000C1");
    const std::filesystem::path picture = dir_ / "picture.bmp";
    WriteFileText(picture, "BM" + std::string(9000, 'p'));
    harness_.Run(*catalogue_, [&] {
        catalogue_->StoreDiscBlock(record, &DiscRecord::BitmapAddress, picture, TVlf::kTypeBitmap);
    });
}

TEST_F(CatalogueCrashTest, AttachingIsWholeOrAbsentAfterACrashAnywhere) {
    // The drive's disc has a record of its own, deleted by the attach.
    AddDisc("00000000000000E5", "Drive's own record");
    const std::int32_t current = NumberOf("00000000000000E5");
    BrowseNode selected;
    selected.Text = "Kept disc";
    selected.RecordNumber = NumberOf("00000000000000C1");
    selected.Identity = "00000000000000C1";
    harness_.Run(*catalogue_,
                 [&] { AttachDriveDisc(*catalogue_, &selected, current, "00000000000000E5"); });
}

TEST_F(CatalogueCrashTest, ATornJournalIsIgnoredAndAWholeOneRolledBack) {
    const std::string shownBefore = ShownCatalogue(*catalogue_);
    const std::string dat = ReadFileText(dir_ / "disc.DAT");
    // A journal of a change to record 1's bytes, as a crash would leave it mid-commit.
    JournalBody body;
    body.OriginalSizes[0] = static_cast<std::int64_t>(dat.size());
    body.Entries.push_back(
        {0, 1204, std::vector<std::uint8_t>(dat.begin() + 1204, dat.begin() + 2408)});
    const std::vector<std::uint8_t> encoded = EncodeJournalBody(body);
    const std::string header = ReadFileText(dir_ / "disc.JNL").substr(0, 16);
    const auto damage = [&] {
        std::string changed = dat + std::string(1204, 'x');  // grown by a record
        changed.replace(1300, 10, "DAMAGEDDAM");
        WriteFileText(dir_ / "disc.DAT", changed);
    };

    // Torn: every length short of the whole body leaves the files as they stand.
    for (const std::size_t cut : {std::size_t{3}, std::size_t{40}, encoded.size() - 1}) {
        WriteFileText(dir_ / "disc.JNL",
                      header + std::string(encoded.begin(),
                                           encoded.begin() + static_cast<std::ptrdiff_t>(cut)));
        EXPECT_EQ(ShownCatalogue(*catalogue_), shownBefore) << cut;
        EXPECT_EQ(ReadFileText(dir_ / "disc.JNL").size(), 16u) << cut;
    }
    // Whole: the change it protected is undone, the file cut back to its old length.
    damage();
    WriteFileText(dir_ / "disc.JNL", header + std::string(encoded.begin(), encoded.end()));
    ForgetStampedCaches();
    EXPECT_EQ(ShownCatalogue(*catalogue_), shownBefore);
    EXPECT_EQ(ReadFileText(dir_ / "disc.DAT"), dat);
    EXPECT_EQ(ReadFileText(dir_ / "disc.JNL").size(), 16u);
    EXPECT_TRUE(CheckCatalogue(dir_.Path()).empty());
}

TEST(RollbackJournalTest, EveryDamagedByteOfABodyIsCaught) {
    const std::string check = "123456789";
    EXPECT_EQ(Crc32(std::span(reinterpret_cast<const std::uint8_t*>(check.data()), check.size())),
              0xCBF43926u);
    // Every length and alignment around the multiplying path's steps, against the bitwise rule,
    // whole and extended from a part.
    const auto bitwise = [](std::span<const std::uint8_t> bytes) {
        std::uint32_t c = 0xFFFFFFFFu;
        for (const std::uint8_t b : bytes) {
            c ^= b;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
        }
        return ~c;
    };
    std::mt19937 random(32);
    std::vector<std::uint8_t> data(600);
    for (std::uint8_t& b : data) {
        b = static_cast<std::uint8_t>(random());
    }
    for (std::size_t start = 0; start < 16; start += 5) {
        for (std::size_t n = 0; start + n <= data.size(); n += 1 + n / 32) {
            const auto bytes = std::span(data).subspan(start, n);
            EXPECT_EQ(Crc32(bytes), bitwise(bytes)) << start << " " << n;
            EXPECT_EQ(Crc32Extend(Crc32(bytes.first(n / 3)), bytes.subspan(n / 3)), bitwise(bytes));
        }
    }
    JournalBody body;
    body.OriginalSizes = {5000, -1, 123456};
    body.Entries.push_back({0, 4096, std::vector<std::uint8_t>(904, 7)});
    body.Entries.push_back({2, 0, std::vector<std::uint8_t>{1, 2, 3}});
    const std::vector<std::uint8_t> encoded = EncodeJournalBody(body);
    const auto decoded = DecodeJournalBody(encoded);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->OriginalSizes, body.OriginalSizes);
    ASSERT_EQ(decoded->Entries.size(), 2u);
    EXPECT_EQ(decoded->Entries[1].Bytes, body.Entries[1].Bytes);
    for (std::size_t at = 0; at < encoded.size(); ++at) {
        std::vector<std::uint8_t> damaged = encoded;
        damaged[at] ^= 0x10;
        EXPECT_FALSE(DecodeJournalBody(damaged)) << "byte " << at;
        EXPECT_FALSE(DecodeJournalBody(std::span(encoded).first(at))) << "cut at " << at;
    }
}

TEST_F(CatalogueCrashTest, AChangeThatCannotBeWrittenIsUndoneAndSaidSo) {
    const std::string shownBefore = ShownCatalogue(*catalogue_);
    std::uintmax_t largest = 0;
    for (const char* name : {"disc.DAT", "disc.IX", "disc.VLF", "disc.JNL"}) {
        largest = std::max(largest, std::filesystem::file_size(dir_ / name));
    }
    DiscRecord record;
    StringGrid tracks;
    TextBox memo;
    KeySnapshot keys;
    catalogue_->LoadDiscRecord("00000000000000D9", record, tracks, memo, keys);
    memo.Text = std::string(300'000, 'n');  // the block file must grow past the limit
    {
        const FileSizeLimit limit(largest + 100);
        EXPECT_EQ(catalogue_->StoreDiscRecord(record, tracks, memo, keys), 0);
    }
    ASSERT_FALSE(messages_.Errors().empty());
    EXPECT_NE(messages_.Errors().back().find("The catalogue could not be written"),
              std::string::npos)
        << messages_.Errors().back();
    ForgetStampedCaches();
    EXPECT_EQ(ShownCatalogue(*catalogue_), shownBefore);
    EXPECT_TRUE(CheckCatalogue(dir_.Path()).empty());
}

TEST_F(CatalogueCrashTest, AJournalThatCannotBeReadLeavesTheFilesAsTheyAre) {
    WriteFileText(dir_ / "disc.JNL", std::string(40, 'Z'));
    const std::string dat = ReadFileText(dir_ / "disc.DAT");
    EXPECT_EQ(AddDisc("00000000000000F1", "Refused"), 0);
    ASSERT_FALSE(messages_.Errors().empty());
    EXPECT_NE(messages_.Errors().front().find("\"disc.JNL\" cannot be read"), std::string::npos);
    EXPECT_EQ(ReadFileText(dir_ / "disc.DAT"), dat);
}

TEST_F(CatalogueCrashTest, AWriterWaitsForAnotherProgramsLockThenGivesUpChangingNothing) {
    const std::string dat = ReadFileText(dir_ / "disc.DAT");
    const std::string vlf = ReadFileText(dir_ / "disc.VLF");
    int waits = 0;
    {
        const OtherReader other(dir_.Path());
        ASSERT_TRUE(other.Reading());
        SetCatalogueWaitHook([&] { ++waits; });
        SetCatalogueLockTimeout(std::chrono::milliseconds(200));
        EXPECT_EQ(AddDisc("00000000000000F2", "Blocked"), 0);
        // Readers share: a read goes through meanwhile.
        EXPECT_GT(NumberOf("00000000000000C1"), 0);
        SetCatalogueLockTimeout(std::chrono::milliseconds(5000));
        SetCatalogueWaitHook({});
    }
    EXPECT_GT(waits, 0);
    EXPECT_EQ(messages_.Errors(),
              std::vector<std::string>{"The catalogue is in use by another program."});
    EXPECT_EQ(ReadFileText(dir_ / "disc.DAT"), dat);
    EXPECT_EQ(ReadFileText(dir_ / "disc.VLF"), vlf);
    // Once the other program is done, the change goes through.
    EXPECT_GT(AddDisc("00000000000000F2", "Blocked"), 0);
}

TEST_F(CatalogueCrashTest, AChangeWhileThisProgramReadsTakesTheWriteLockUnlessAnotherReadsToo) {
    const std::string dat = ReadFileText(dir_ / "disc.DAT");
    {
        // A report reading the catalogue while the player stores a disc.
        const CatalogueScope reading(dir_.Path(), CatalogueAccess::Read);
        ASSERT_TRUE(reading.Held());
        EXPECT_GT(AddDisc("00000000000000A1", "Stored while reading"), 0);
        EXPECT_EQ(ReadFileText(dir_ / "disc.DAT"), dat);  // committed when the reading ends
        EXPECT_GT(NumberOf("00000000000000A1"), 0);
    }
    EXPECT_NE(ReadFileText(dir_ / "disc.DAT"), dat);
    EXPECT_TRUE(CheckCatalogue(dir_.Path()).empty());
    EXPECT_TRUE(messages_.Errors().empty());

    {
        const OtherReader other(dir_.Path());
        ASSERT_TRUE(other.Reading());
        const CatalogueScope reading(dir_.Path(), CatalogueAccess::Read);
        EXPECT_EQ(AddDisc("00000000000000A2", "Refused while another reads"), 0);
        EXPECT_EQ(messages_.Errors(),
                  std::vector<std::string>{"The catalogue is in use by another program."});
        EXPECT_GT(NumberOf("00000000000000C1"), 0);  // the reading goes on
    }
    EXPECT_EQ(NumberOf("00000000000000A2"), 0);
    EXPECT_TRUE(CheckCatalogue(dir_.Path()).empty());
}

TEST_F(CatalogueCrashTest, AChangeByAnotherProgramIsSeenThroughTheCaches) {
    EXPECT_GT(NumberOf("00000000000000C1"), 0);  // pages cached here
    const pid_t other = ::fork();
    if (other == 0) {
        // Same size, same record: only the contents change.
        DiscRecord record = Load("00000000000000C1");
        record.Name = "Renamed elsewhere";
        catalogue_->WriteDiscRecord(record);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(other, &status, 0);
    EXPECT_EQ(Load("00000000000000C1").Name, "Renamed elsewhere");
}

}  // namespace
}  // namespace snx::test
