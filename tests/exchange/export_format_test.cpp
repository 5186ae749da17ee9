// The export's text layout, checked against lines written out by hand.
#include <gtest/gtest.h>

#include "exchange/export_format.h"

namespace snx {
namespace {

DiscRecord TwoTrackDisc() {
    DiscRecord record;
    record.Identity = "00112233AABBCCDD";
    record.Name = "Name, \"quoted\"";
    record.Artist = "Artist";
    record.Composer = "Composer";
    record.Reference = "Ref";
    record.MusicType = "Type";
    record.RecordLabel = "Label";
    record.User1 = "U1";
    record.User2 = "U2";
    record.Year = 1999;
    record.PlayingTime = 3.05;
    record.TrackCount = 2;
    record.TrackLengths[0] = PackMsf(1, 2, 70);
    record.TrackLengths[1] = PackMsf(10, 59, 0);
    record.TrackLengths[2] = PackMsf(4, 4, 0);  // kept past the count, as discs leave it
    return record;
}

StringGrid Tracks() {
    StringGrid tracks(3, 100);
    tracks.SetCell(0, 1, "One");
    tracks.SetCell(1, 1, "a,b");
    tracks.SetCell(0, 2, "Two");
    tracks.SetCell(2, 2, "'x'");
    return tracks;
}

TEST(ExportFormatTest, HeaderOfOneFixedGroupOfNamesInCommaMode) {
    ExportOptions options;
    options.TrackGroups = 1;
    options.Times = false;
    std::string out;
    AppendExportHeader(options, out);
    EXPECT_EQ(out,
              "\"CD Code\",\"CD Name\",\"CD Artist\",\"CD Composer\",\"CD Reference\","
              "\"CD Music type\",\"CD Record label\",\"CD User field 1\",\"CD User field 2\","
              "\"CD Year\",\"CD Playing time\",\"CD Number of tracks\",\"Tr 1 Name\",\r\n");

    options.Names = false;  // no track box: no track headings even with groups
    out.clear();
    AppendExportHeader(options, out);
    EXPECT_EQ(out.find("Tr "), std::string::npos);

    ExportOptions variable;
    variable.FixedTracks = false;
    variable.User1 = variable.User2 = true;
    out.clear();
    AppendExportHeader(variable, out);
    EXPECT_NE(out.find("\"Tr 99 Time\",\"Tr 99 Name\",\"Tr 99 User field 1\",\"Tr 99 User "
                       "field 2\",\r\n"),
              std::string::npos);
}

TEST(ExportFormatTest, DefaultPresetWritesOneUnquotedFieldPerLine) {
    std::string out;
    AppendExportRecord(ExportOptions::SonatrixDefault(), TwoTrackDisc(), Tracks(), out);
    EXPECT_EQ(out,
              "[00112233AABBCCDD]\r\nName, \"quoted\"\r\nArtist\r\nComposer\r\nRef\r\nType\r\n"
              "Label\r\nU1\r\nU2\r\n1999\r\n03.05\r\n2\r\n"
              "01.02\r\nOne\r\na,b\r\n\r\n"
              "10.59\r\nTwo\r\n\r\n'x'\r\n");
}

TEST(ExportFormatTest, QuotedTextsAreWrittenUnchanged) {
    ExportOptions options;
    options.Quote = ExportQuote::Single;
    options.TrackGroups = 3;
    options.User2 = true;
    std::string out;
    AppendExportRecord(options, TwoTrackDisc(), Tracks(), out);
    EXPECT_EQ(out,
              "'[00112233AABBCCDD]','Name, \"quoted\"','Artist','Composer','Ref','Type','Label',"
              "'U1','U2',1999,03.05,2,"
              "01.02,'One','',10.59,'Two',''x'',04.04,'','',\r\n");
}

TEST(ExportFormatTest, TrackGroupCountsAtTheirLimits) {
    ExportOptions none;
    none.TrackGroups = 0;
    none.Quote = ExportQuote::None;
    std::string out;
    AppendExportRecord(none, TwoTrackDisc(), Tracks(), out);
    EXPECT_EQ(out,
              "[00112233AABBCCDD],Name, \"quoted\",Artist,Composer,Ref,Type,Label,U1,U2,"
              "1999,03.05,2,\r\n");

    // A damaged count must not reach past the 99 stored lengths.
    DiscRecord damaged = TwoTrackDisc();
    damaged.TrackCount = 500;
    ExportOptions variable = ExportOptions::SonatrixDefault();
    variable.Names = variable.User1 = variable.User2 = false;
    out.clear();
    AppendExportRecord(variable, damaged, Tracks(), out);
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = out.find("\r\n", at)) != std::string::npos; at += 2) {
        ++lines;
    }
    EXPECT_EQ(lines, 12u + 99u);
}

}  // namespace
}  // namespace snx
