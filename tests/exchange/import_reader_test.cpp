// The three import readers on small hand-made files.
#include <gtest/gtest.h>

#include <sstream>

#include "exchange/import_reader.h"

namespace snx {
namespace {

struct Read {
    std::string Code;
    DiscRecord Record;
    StringGrid Tracks{3, 100};
    ReadOutcome Outcome = ReadOutcome::Complete;
};

// Every record of text as the import would see it, each starting from the new-record values.
std::vector<Read> ReadAll(const std::string& text, ImportFormat format) {
    std::istringstream in(text);
    ImportReader reader(in, format);
    std::vector<Read> records;
    while (reader.HasMore()) {
        const std::optional<std::string> code = reader.NextCode();
        if (!code) {
            break;
        }
        Read& read = records.emplace_back();
        read.Code = *code;
        read.Record = NewImportRecord(*code);
        read.Outcome = reader.ReadBody(read.Record, read.Tracks);
        if (read.Outcome != ReadOutcome::Complete) {
            break;
        }
    }
    return records;
}

std::string Version4(const std::string& code, const std::string& name, int tracks,
                     const std::string& count = "") {
    std::string text = code + "\r\n" + name +
                       "\r\nArtist\r\nComposer\r\nRef\r\nType\r\nLabel\r\n"
                       "U1\r\nU2\r\n 1987\r\n45.07\r\n" +
                       (count.empty() ? std::to_string(tracks) : count) + "\r\n";
    for (int n = 1; n <= tracks; ++n) {
        text += "03.05\r\nTrack " + std::to_string(n) + "\r\nA\r\nB\r\n";
    }
    return text;
}

TEST(ImportReaderTest, DiscCodesAreMadeIdentities) {
    EXPECT_EQ(NormaliseDiscCode("137ebfa"), "000000000137EBFA");
    EXPECT_EQ(NormaliseDiscCode("0123456789abcdef"), "0123456789abcdef");  // 16 kept as is
    EXPECT_EQ(NormaliseDiscCode("0123456789ABCDEF99"), "0123456789ABCDEF");
    EXPECT_EQ(NormaliseDiscCode("General"), "General");
}

TEST(ImportReaderTest, Version4RecordsWithBlankLinesAround) {
    const std::string text = "\r\n" + Version4("[00000000000000AA]", "First", 2) + "\r\n\r\n" +
                             Version4("[bb]", "Second", 1) + "\r\n\r\n";
    const std::vector<Read> records = ReadAll(text, ImportFormat::Version4);
    ASSERT_EQ(records.size(), 2u);
    const Read& first = records[0];
    EXPECT_EQ(first.Code, "00000000000000AA");
    EXPECT_EQ(first.Record.Name, "First");
    EXPECT_EQ(first.Record.User2, "U2");
    EXPECT_EQ(first.Record.Year, 1987);
    EXPECT_DOUBLE_EQ(first.Record.PlayingTime, 45.07);
    EXPECT_EQ(first.Record.TrackCount, 2);
    EXPECT_EQ(first.Record.TrackLengths[1], PackMsf(3, 5, 0));
    EXPECT_EQ(first.Tracks.Cell(0, 2), "Track 2");
    EXPECT_EQ(first.Tracks.Cell(2, 2), "B");
    EXPECT_EQ(records[1].Code, "00000000000000BB");

    // "[" is text in this format: fields holding it end nothing, even as a record's last line.
    std::string bracketed = Version4("[cc]", "[", 1);
    bracketed.replace(bracketed.find("U2"), 2, "[");
    bracketed.replace(bracketed.rfind("B\r\n"), 1, "[");
    const std::vector<Read> after =
        ReadAll(bracketed + Version4("[dd]", "After", 1), ImportFormat::Version4);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0].Record.Name, "[");
    EXPECT_EQ(after[0].Record.User2, "[");
    EXPECT_EQ(after[0].Tracks.Cell(2, 1), "[");
    EXPECT_EQ(after[1].Record.Name, "After");
}

TEST(ImportReaderTest, Version4BadNumbers) {
    std::string text = Version4("[1]", "Bad year", 1);
    text.replace(text.find(" 1987"), 5, "19x7");
    text.replace(text.find("45.07"), 5, "inf");
    text.replace(text.find("03.05"), 5, "0x10");
    std::vector<Read> records = ReadAll(text, ImportFormat::Version4);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Record.Year, 0);
    EXPECT_EQ(records[0].Record.PlayingTime, 0);
    EXPECT_EQ(records[0].Record.TrackLengths[0], 0u);

    // A track count that is not a number ends the import at that record.
    records =
        ReadAll(Version4("[2]", "A", 0, "many") + Version4("[3]", "B", 0), ImportFormat::Version4);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Outcome, ReadOutcome::Failed);

    // So does a record cut short by the end of the file.
    std::string cut = Version4("[4]", "A", 3);
    cut.resize(cut.size() - 12);
    records = ReadAll(cut, ImportFormat::Version4);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Outcome, ReadOutcome::Failed);
}

TEST(ImportReaderTest, Version4KeepsNinetyNineTracksAndStaysInStep) {
    const std::vector<Read> records =
        ReadAll(Version4("[5]", "Long", 120) + Version4("[6]", "Next", 1), ImportFormat::Version4);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Record.TrackCount, kMaxTracks);
    EXPECT_EQ(records[0].Tracks.Cell(0, 99), "Track 99");
    EXPECT_EQ(records[1].Record.Name, "Next");
}

TEST(ImportReaderTest, HeaderRecordFileTakesItsFirstLineAsCode) {
    const std::vector<Read> records =
        ReadAll("\"CD Code\",\"CD Name\",\r\n\"[1]\",\"x\",\r\n", ImportFormat::Version4);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0].Code, "\"CD Code\",\"CD Na");
    EXPECT_NE(records[0].Outcome, ReadOutcome::Complete);
}

TEST(ImportReaderTest, Version3Record) {
    std::string text = "[00000000000000C3]\nName\nComposer\nType\n\x03\x01\x02\nRef\n";
    for (int n = 1; n <= 30; ++n) {
        text += "Song " + std::to_string(n) + "\n";
    }
    text.replace(text.find("Song 30"), 7, "[");
    const std::vector<Read> records =
        ReadAll(text + "[00000000000000C4]\nNext\n", ImportFormat::Version3);
    ASSERT_EQ(records.size(), 2u);
    const Read& read = records[0];
    EXPECT_EQ(read.Outcome, ReadOutcome::Complete);
    EXPECT_EQ(read.Record.Composer, "Composer");
    EXPECT_EQ(read.Record.Reference, "Ref");
    EXPECT_EQ(read.Record.Artist, "Unknown");
    EXPECT_EQ(read.Record.Programme, (std::vector<std::uint8_t>{3, 1, 2}));
    EXPECT_EQ(read.Record.TrackCount, 30);
    EXPECT_EQ(read.Tracks.Cell(0, 30), "[");
    EXPECT_EQ(records[1].Code, "00000000000000C4");      // the "[" above ended nothing
    EXPECT_EQ(records[1].Outcome, ReadOutcome::Failed);  // cut short
}

TEST(ImportReaderTest, IniSections) {
    const std::vector<Read> records = ReadAll(
        "[General]\nVersion=2\n"
        "[137ebfa]\nartist=The Band\nTitle=Songs\nnumtracks=12\n0=Opening\n98=Last\n"
        "99=None\n-1=None\nx=y\nno equals sign\n"
        "[2a]\nNUMTRACKS=many\n1=\n"
        "[3b]",
        ImportFormat::Ini);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].Code, "General");
    EXPECT_EQ(records[0].Record.TrackCount, 30);  // no NUMTRACKS: the new record's 30
    const Read& band = records[1];
    EXPECT_EQ(band.Code, "000000000137EBFA");
    EXPECT_EQ(band.Record.Artist, "The Band");
    EXPECT_EQ(band.Record.Name, "Songs");
    EXPECT_EQ(band.Record.TrackCount, 12);
    EXPECT_EQ(band.Tracks.Cell(0, 1), "Opening");
    EXPECT_EQ(band.Tracks.Cell(0, 99), "Last");
    EXPECT_EQ(band.Tracks.Cell(0, 0), "");
    EXPECT_EQ(records[2].Record.TrackCount, 0);
    EXPECT_EQ(records[3].Code, "000000000000003B");  // a section on the last line is a disc too
}

}  // namespace
}  // namespace snx
