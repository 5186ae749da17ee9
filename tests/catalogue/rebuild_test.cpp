#include "catalogue/rebuild.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "catalogue/browse_tree.h"
#include "catalogue/catalogue_check.h"
#include "settings/file_names.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/file_size_limit.h"

namespace snx {
namespace {

// What a catalogue holds, apart from where it keeps it.
struct DiscContents {
    DiscRecord Record;
    std::vector<std::string> Cells;
    std::string Notes;
    std::string Picture;
    std::string Sample;
    bool operator==(const DiscContents&) const = default;
};

class RebuildTest : public test::CatalogueTest {
  protected:
    void SetUp() override {
        CreateFiles();
        for (int i = 1; i <= 6; ++i) {
            AddDisc("000000000000000" + std::to_string(i), "Disc " + std::to_string(i));
        }
        AttachFile("0000000000000002", "picture bytes", TVlf::kTypeBitmap);
        AttachFile("0000000000000004", std::string(100000, 's'), TVlf::kTypeSample);
    }

    void AttachFile(const std::string& identity, const std::string& bytes, std::int16_t type) {
        DiscRecord record;
        StringGrid tracks;
        TextBox memo;
        KeySnapshot keys;
        catalogue_->LoadDiscRecord(identity, record, tracks, memo, keys);
        test::WriteFileText(dir_ / "attach.tmp", bytes);
        ASSERT_TRUE(catalogue_->OpenDiscVlf());
        const std::int32_t address = holder_->Vlf.StoreFile(0, dir_ / "attach.tmp", type);
        catalogue_->CloseDiscVlf();
        (type == TVlf::kTypeBitmap ? record.BitmapAddress : record.SampleAddress) = address;
        catalogue_->WriteDiscRecord(record);
        std::filesystem::remove(dir_ / "attach.tmp");
    }

    void Delete(std::int32_t number) {
        ASSERT_TRUE(DeleteCatalogueRecord(*catalogue_, number, ""));
    }

    std::string Extract(std::int32_t address) {
        if (address == 0) {
            return {};
        }
        holder_->Vlf.ExtractFile(address, dir_ / "extract.tmp", 0);
        std::string bytes = test::ReadFileText(dir_ / "extract.tmp");
        std::filesystem::remove(dir_ / "extract.tmp");
        return bytes;
    }

    // Every live disc in identity order, with its items read back.
    std::vector<DiscContents> Contents() {
        std::vector<DiscContents> all;
        EXPECT_TRUE(catalogue_->OpenDiscFiles());
        EXPECT_TRUE(catalogue_->OpenDiscVlf());
        const int handle = catalogue_->Handle();
        ClearKey(handle, kKeyIdentity);
        std::int32_t number = 0;
        std::string text;
        while (NextKey(handle, kKeyIdentity, number, text)) {
            DiscContents disc;
            EXPECT_TRUE(catalogue_->ReadRecord(number, disc.Record));
            StringGrid grid;
            holder_->Vlf.LoadGrid(disc.Record.TracksAddress, grid);
            for (int row = 0; row < 4; ++row) {
                disc.Cells.push_back(grid.Cell(0, row));
            }
            TextBox memo;
            holder_->Vlf.LoadText(disc.Record.NotesAddress, memo);
            disc.Notes = memo.Text;
            disc.Picture = Extract(disc.Record.BitmapAddress);
            disc.Sample = Extract(disc.Record.SampleAddress);
            disc.Record.TracksAddress = disc.Record.NotesAddress = 0;
            disc.Record.BitmapAddress = disc.Record.SampleAddress = 0;
            all.push_back(std::move(disc));
        }
        catalogue_->CloseDiscVlf();
        catalogue_->CloseDiscFiles();
        return all;
    }

    std::int32_t UsedRecords() {
        const int handle = OpenRecordFiles(dir_ / "disc");
        const std::int32_t used = UsedRecs(handle);
        CloseRecordFiles(handle);
        return used;
    }

    bool Rebuild(const RebuildHooks& hooks = {}) {
        return RebuildCatalogue(*catalogue_, "", hooks);
    }
};

TEST_F(RebuildTest, WithoutDeletionsKeepsEveryDiscUnderNewAddresses) {
    const auto before = Contents();
    std::vector<int> progress;
    ASSERT_TRUE(Rebuild({[&](int percent) { progress.push_back(percent); }, {}, {}}));
    EXPECT_EQ(Contents(), before);
    EXPECT_EQ(before.size(), 6u);
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(CheckCatalogue(dir_.Path()), std::vector<std::string>{});
    EXPECT_TRUE(std::filesystem::exists(dir_ / "disc-old.DAT"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "disc2.DAT"));
    EXPECT_TRUE(messages_.Errors().empty());
}

TEST_F(RebuildTest, DropsDeletedRecordsAndTheirSpace) {
    Delete(2);
    Delete(5);
    EXPECT_TRUE(AppSettings().DeletedRecordsPresent);
    const auto before = Contents();
    const auto vlfBefore = std::filesystem::file_size(ResolveFileName(dir_.Path(), "disc.VLF"));
    ASSERT_TRUE(Rebuild());
    EXPECT_EQ(Contents(), before);
    EXPECT_EQ(UsedRecords(), 5);
    EXPECT_LT(std::filesystem::file_size(dir_ / "disc.VLF"), vlfBefore);
    EXPECT_FALSE(AppSettings().DeletedRecordsPresent);
    EXPECT_NE(test::ReadFileText(dir_ / "SONATRIX.INI").find("Deleted records present=0"),
              std::string::npos);
}

// A damaged or hand-edited file: record 3 says it is disc 1, and key 1 (without duplicates) has
// no entry for it. Both discs come through with their own tracks and notes.
TEST_F(RebuildTest, KeepsBothDiscsOfADuplicatedIdentity) {
    auto before = Contents();
    const int handle = OpenRecordFiles(dir_ / "disc");
    DiscRecordBytes bytes{};
    ASSERT_TRUE(GetRec(handle, 3, bytes));
    DiscRecord third = DecodeDiscRecord(bytes);
    ASSERT_TRUE(DeleteKey(handle, kKeyIdentity, 3, KeyText(third.Identity, kKeyIdentity)));
    third.Identity = "0000000000000001";
    ASSERT_TRUE(PutRec(handle, 3, EncodeDiscRecord(third)));
    CloseRecordFiles(handle);

    ASSERT_TRUE(Rebuild());
    auto after = Contents();
    ASSERT_EQ(after.size(), before.size());
    const auto moved = std::find_if(after.begin(), after.end(), [](const DiscContents& disc) {
        return disc.Record.Identity != disc.Cells[0];
    });
    ASSERT_NE(moved, after.end());
    EXPECT_EQ(moved->Record.Name, "Disc 3");
    EXPECT_EQ(moved->Notes, before[2].Notes);
    EXPECT_TRUE(moved->Record.Orphan);
    EXPECT_EQ(messages_.Errors(),
              std::vector<std::string>{"Record 3 has the disc identity 0000000000000001 of "
                                       "another record; it is kept as " +
                                       moved->Record.Identity + "."});
    EXPECT_EQ(CheckCatalogue(dir_.Path()), std::vector<std::string>{});
    // Apart from its new identity, the disc is the one it was.
    moved->Record.Identity = before[2].Record.Identity;
    moved->Record.Orphan = false;
    std::sort(after.begin(), after.end(), [](const DiscContents& a, const DiscContents& b) {
        return a.Record.Identity < b.Record.Identity;
    });
    EXPECT_EQ(after, before);
}

// A disc too full for the new files: the rebuild stops before the swap, and no disc loses its
// sample to a copy that could not be written.
TEST_F(RebuildTest, NewFilesThatCannotBeWrittenLeaveTheCatalogueAsItWas) {
    const auto before = Contents();
    {
        const test::FileSizeLimit limit(50'000);
        EXPECT_FALSE(Rebuild());
    }
    EXPECT_EQ(messages_.Errors(),
              std::vector<std::string>{
                  "Cannot write the new catalogue files; the catalogue is left as it was."});
    EXPECT_EQ(Contents(), before);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "disc2.VLF"));
}

TEST_F(RebuildTest, EveryRecordDeletedGivesEmptyFiles) {
    for (int i = 1; i <= 6; ++i) {
        Delete(i);
    }
    ASSERT_TRUE(Rebuild());
    EXPECT_EQ(UsedRecords(), 1);
    EXPECT_EQ(std::filesystem::file_size(dir_ / "disc.VLF"), 1024u);
}

TEST_F(RebuildTest, RefusesWithADiscInTheDrive) {
    EXPECT_FALSE(RebuildCatalogue(*catalogue_, "0000000000000001"));
    EXPECT_EQ(messages_.Errors().back(), "Please remove CD before selecting this option.");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "disc2.DAT"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "disc-old.DAT"));
}

// Cancelling in either pass removes the new files; the old catalogue stands as it was.
TEST_F(RebuildTest, CancelledInEitherPassLeavesTheCatalogueAsItWas) {
    Delete(3);
    const auto before = Contents();
    const std::string data = test::ReadFileText(dir_ / "disc.DAT");
    for (const int stopAt : {2, 8}) {
        int steps = 0;
        RebuildHooks hooks;
        hooks.Cancelled = [&] { return ++steps > stopAt; };
        EXPECT_FALSE(Rebuild(hooks)) << stopAt;
        EXPECT_EQ(steps, stopAt + 1);
        EXPECT_EQ(Contents(), before);
        EXPECT_EQ(test::ReadFileText(dir_ / "disc.DAT"), data);
        EXPECT_FALSE(std::filesystem::exists(dir_ / "disc2.DAT"));
        EXPECT_FALSE(std::filesystem::exists(dir_ / "disc2.VLF"));
    }
    EXPECT_TRUE(messages_.Errors().empty());
}

// Kills a rebuilding child process at each step in turn; the next open must find either the
// whole old catalogue or the whole new one.
TEST_F(RebuildTest, InterruptedAtAnyPointLeavesOneWholeCatalogue) {
    Delete(3);
    const auto before = Contents();
    const std::int32_t oldUsed = UsedRecords();
    const std::filesystem::path pristine = dir_ / "pristine";
    std::filesystem::create_directory(pristine);
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
        if (entry.is_regular_file()) {
            std::filesystem::copy_file(entry.path(), pristine / entry.path().filename());
        }
    }
    int finishedAt = 0;
    for (int stopAt = 1; stopAt < 100 && finishedAt == 0; ++stopAt) {
        messages_.Answer(true);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int step = 0;
            RebuildHooks hooks;
            hooks.Checkpoint = [&](std::string_view) {
                if (++step == stopAt) {
                    ::_exit(0);
                }
            };
            RebuildCatalogue(*catalogue_, "", hooks);
            ::_exit(3);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 3) {
            finishedAt = stopAt;
        }
        // The next start of the program.
        catalogue_.emplace(*holder_, &drive_);
        EXPECT_EQ(Contents(), before) << "stopped at step " << stopAt;
        const std::int32_t used = UsedRecords();
        EXPECT_TRUE(used == oldUsed || used == static_cast<std::int32_t>(before.size()) + 1)
            << "stopped at step " << stopAt;
        EXPECT_EQ(CheckCatalogue(dir_.Path()), std::vector<std::string>{})
            << "stopped at step " << stopAt;
        EXPECT_FALSE(std::filesystem::exists(dir_ / "disc2.DAT"));
        EXPECT_FALSE(std::filesystem::exists(dir_ / "disc2.VLF"));
        // Put the old catalogue back for the next round.
        for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
            if (entry.is_regular_file()) {
                std::filesystem::remove(entry.path());
            }
        }
        for (const auto& entry : std::filesystem::directory_iterator(pristine)) {
            std::filesystem::copy_file(entry.path(), dir_.Path() / entry.path().filename());
        }
    }
    // 5 live of 6 records read in the first pass, 5 in the second, then the swap's 5 steps.
    EXPECT_EQ(finishedAt, 6 + 5 + 5 + 1);
}

TEST_F(RebuildTest, CatalogueFilesKeptElsewhereThroughLinksStayLinked) {
    Delete(3);
    const auto before = Contents();
    std::filesystem::create_directory(dir_ / "elsewhere");
    std::map<std::string, std::string> oldBytes;
    for (const char* name : {"disc.DAT", "disc.IX", "disc.VLF"}) {
        oldBytes[name] = test::ReadFileText(dir_ / name);
        std::filesystem::rename(dir_ / name, dir_ / "elsewhere" / name);
        std::filesystem::create_symlink(dir_ / "elsewhere" / name, dir_ / name);
    }
    ASSERT_TRUE(Rebuild());
    for (const char* name : {"disc.DAT", "disc.IX", "disc.VLF"}) {
        EXPECT_TRUE(std::filesystem::is_symlink(dir_ / name)) << name;
        const std::string old = std::string("disc-old") + std::strchr(name, '.');
        EXPECT_EQ(test::ReadFileText(dir_ / old), oldBytes[name]) << name;
    }
    EXPECT_EQ(UsedRecords(), static_cast<std::int32_t>(before.size()) + 1);
    EXPECT_EQ(Contents(), before);
    EXPECT_EQ(CheckCatalogue(dir_.Path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace snx
