// Export and import through a real catalogue: files, questions and messages, merging, and a
// large round trip compared field by field.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "exchange/text_export.h"
#include "exchange/text_import.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/random_discs.h"

namespace snx {
namespace {

using test::Disc;

class TextExchangeTest : public test::CatalogueTest {
  protected:
    TextExchangeTest() { CreateFiles(); }

    std::vector<Disc> StoreRandomDiscs(int count) {
        return test::StoreRandomDiscs(*catalogue_, count);
    }

    ExportResult Export(const ExportOptions& options, std::vector<int>* steps = nullptr) {
        return ExportCatalogue(*catalogue_, file_, options, [&](int percent) {
            if (steps != nullptr) {
                steps->push_back(percent);
            }
        });
    }

    ImportResult Import(ImportOptions options = {}) {
        return ImportCatalogue(*catalogue_, file_, options);
    }

    std::filesystem::path file_ = dir_ / "EXPORT.TXT";
};

TEST_F(TextExchangeTest, EmptyCatalogueAndTheOverwriteQuestion) {
    ExportOptions options;
    options.TrackGroups = 0;
    EXPECT_EQ(Export(options).Outcome, ExportOutcome::Done);
    std::string header;
    AppendExportHeader(options, header);
    EXPECT_EQ(test::ReadFileText(file_), header);

    options.Header = false;
    messages_.Answer(false);
    EXPECT_EQ(Export(options).Outcome, ExportOutcome::Declined);
    EXPECT_EQ(test::ReadFileText(file_), header);
    messages_.Answer(true);
    EXPECT_EQ(Export(options).Outcome, ExportOutcome::Done);
    EXPECT_EQ(test::ReadFileText(file_), "");
    EXPECT_EQ(
        messages_.Messages().back(),
        (test::ScriptedMessages::Message{true, "File exists - do you wish to overwrite it?"}));

    // Overwriting a link writes where it leads.
    std::filesystem::rename(file_, dir_ / "kept.txt");
    std::filesystem::create_symlink(dir_ / "kept.txt", file_);
    options.Header = true;
    messages_.Answer(true);
    EXPECT_EQ(Export(options).Outcome, ExportOutcome::Done);
    EXPECT_TRUE(std::filesystem::is_symlink(file_));
    EXPECT_EQ(test::ReadFileText(dir_ / "kept.txt"), header);
}

TEST_F(TextExchangeTest, RoundTripOfTwoThousandDiscs) {
    std::vector<Disc> discs = StoreRandomDiscs(2000);
    std::vector<int> steps;
    ASSERT_EQ(Export(ExportOptions::SonatrixDefault(), &steps).Discs, 2000);
    EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));
    EXPECT_EQ(steps.back(), 100);

    EmptyCatalogue();
    const ImportResult result = Import();
    EXPECT_EQ(result.Added, 2000);
    EXPECT_FALSE(result.Stopped);
    for (const Disc& disc : discs) {
        test::ExpectImported(disc, Load(disc.Record.Identity), holder_->catTracks);
        EXPECT_EQ(holder_->catMemo.Lines(), std::vector<std::string>{disc.Record.Identity});
    }
    EXPECT_TRUE(messages_.Errors().empty());
}

TEST_F(TextExchangeTest, ImportAgainSkipsOrMergesHeldDiscs) {
    AddDisc("00000000000000A1", "Exported name");
    ASSERT_EQ(Export(ExportOptions::SonatrixDefault()).Outcome, ExportOutcome::Done);
    AddDisc("00000000000000A1", "Edited name");

    ImportResult result = Import();
    EXPECT_EQ(result.Skipped, 1);
    DiscRecord record = Load("00000000000000A1");
    EXPECT_EQ(record.Name, "Edited name");
    EXPECT_FALSE(record.Orphan);

    result = Import({ImportFormat::Version4, true});
    EXPECT_EQ(result.Merged, 1);
    record = Load("00000000000000A1");
    EXPECT_EQ(record.Name, "Exported name");
    EXPECT_EQ(holder_->catTracks.Cell(0, 2), "Exported name two");
    EXPECT_TRUE(record.Orphan);
    // The notes are not in the file: the stored ones stay.
    EXPECT_EQ(holder_->catMemo.Lines().at(1), "Notes of Edited name");
}

TEST_F(TextExchangeTest, ShortIniSectionNamesMatchStoredIdentities) {
    AddDisc("000000000137EBFA", "Old title");
    test::WriteFileText(file_, "[137ebfa]\nTITLE=New title\n1=Second\n[b0b]\nARTIST=Someone\n");
    const ImportResult result = Import({ImportFormat::Ini, true});
    EXPECT_EQ(result.Merged, 1);
    EXPECT_EQ(result.Added, 1);
    DiscRecord record = Load("000000000137EBFA");
    EXPECT_EQ(record.Name, "New title");
    EXPECT_EQ(record.Composer, "Comp");
    EXPECT_EQ(holder_->catTracks.Cell(0, 2), "Second");
    record = Load("0000000000000B0B");
    EXPECT_EQ(record.Artist, "Someone");
    EXPECT_EQ(record.Name, "Unknown");
    EXPECT_EQ(record.TrackCount, 30);
    EXPECT_EQ(holder_->catTracks.Cell(0, 0), "0000000000000B0B");
}

// Keeps this process's file size limit low for its lifetime, writes past it failing.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

  private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST_F(TextExchangeTest, FailedExportsLeaveTheOldFileAlone) {
    AddDisc("0000000000000001", "One");
    AddDisc("0000000000000002", "Two");
    test::WriteFileText(file_, "old");
    const auto entries = [&] {
        std::vector<std::filesystem::path> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
            names.push_back(entry.path().filename());
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    const auto before = entries();
    {
        FileSizeLimit limit(200);
        messages_.Answer(true);
        EXPECT_EQ(Export(ExportOptions{}).Outcome, ExportOutcome::WriteFailed);
    }
    EXPECT_EQ(messages_.Errors(), std::vector<std::string>{"Cannot write to file requested."});
    EXPECT_EQ(test::ReadFileText(file_), "old");
    EXPECT_EQ(entries(), before);

    file_ = dir_ / "missing" / "out.txt";
    EXPECT_EQ(Export(ExportOptions{}).Outcome, ExportOutcome::CannotCreate);
    EXPECT_EQ(messages_.Errors().back(), "Cannot create file requested.");
}

TEST_F(TextExchangeTest, ImportOfMissingOrUnreadableFiles) {
    EXPECT_EQ(Import().Outcome, ImportOutcome::FileNotFound);
    file_ = dir_.Path();
    EXPECT_EQ(Import().Outcome, ImportOutcome::CannotOpen);
    EXPECT_EQ(messages_.Errors(),
              (std::vector<std::string>{"File not found", "Cannot open requested file."}));
}

TEST_F(TextExchangeTest, AnImportEndedEarlySaysWhereWhyAndHowManyWereStored) {
    const std::string record = "Name\r\nA\r\nC\r\nR\r\nT\r\nL\r\nU1\r\nU2\r\n0\r\n0\r\n";
    test::WriteFileText(file_, "[A1]\r\n" + record + "0\r\n[A2]\r\n" + record + "0\r\n[A3]\r\n" +
                                   record + "two\r\n[A4]\r\n" + record + "0\r\n");
    ImportResult result = Import();
    EXPECT_TRUE(result.Stopped);
    EXPECT_EQ(result.Added, 2);
    EXPECT_EQ(ImportStopMessage(result),
              "The import stopped at record 3 of the file: its number of tracks is not a number "
              "- 2 discs were stored.");

    test::WriteFileText(file_, "[B1]\r\n" + record + "1\r\n03.05\r\n");
    result = Import();
    EXPECT_EQ(result.Added, 0);
    EXPECT_EQ(ImportStopMessage(result),
              "The import stopped at record 1 of the file: the file ends inside it - 0 discs were "
              "stored.");
}

}  // namespace
}  // namespace snx
