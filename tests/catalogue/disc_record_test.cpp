#include "catalogue/disc_record.h"

#include <gtest/gtest.h>

#include "catalogue/real48.h"
#include "util/bytes.h"

namespace snx {
namespace {

DiscRecord Sample() {
    DiscRecord r;
    r.Identity = "00000000000374F6";
    r.Name = "Name";
    r.Artist = "Art";
    r.Composer = "Comp";
    r.Reference = "R-1";
    r.MusicType = "Jazz";
    r.RecordLabel = "Label";
    r.User1 = "u1";
    r.User2 = "u2";
    r.Year = 1999;
    r.Programme = {3, 1, 2};
    r.TrackCount = 2;
    r.TrackLengths[0] = PackMsf(3, 8, 20);
    r.TrackLengths[1] = PackMsf(2, 49, 55);
    r.PlayingTime = 5.58;
    r.SavedVolumeLeft = 30000;
    r.SavedVolumeRight = 65535;
    r.SavedPlayMode = 3;
    r.BitmapAddress = 1024;
    r.SampleAddress = 2048;
    r.TracksAddress = 4096;
    r.NotesAddress = 8192;
    r.Orphan = true;
    return r;
}

TEST(DiscRecord, FieldsLieAtTheirOffsets) {
    const DiscRecordBytes b = EncodeDiscRecord(Sample());
    const std::span<const std::uint8_t> in(b);
    EXPECT_EQ(GetI32(in, 0), 0);
    EXPECT_EQ(b[4], 16);
    EXPECT_EQ(std::string(b.begin() + 5, b.begin() + 21), "00000000000374F6");
    EXPECT_EQ(b[21], 4);
    EXPECT_EQ(std::string(b.begin() + 22, b.begin() + 26), "Name");
    EXPECT_EQ(b[122], 3);
    EXPECT_EQ(b[223], 4);
    EXPECT_EQ(std::string(b.begin() + 325, b.begin() + 328), "R-1");
    EXPECT_EQ(std::string(b.begin() + 356, b.begin() + 360), "Jazz");
    EXPECT_EQ(std::string(b.begin() + 407, b.begin() + 412), "Label");
    EXPECT_EQ(std::string(b.begin() + 458, b.begin() + 460), "u1");
    EXPECT_EQ(std::string(b.begin() + 559, b.begin() + 561), "u2");
    EXPECT_EQ(GetI16(in, 660), 1999);
    EXPECT_EQ((std::vector<int>{b[662], b[663], b[664], b[665]}), (std::vector<int>{3, 3, 1, 2}));
    EXPECT_EQ(GetI16(in, 764), 2);
    EXPECT_EQ(GetU32(in, 768), 0x00140803u);
    EXPECT_EQ(GetU32(in, 772), 0x00373102u);
    EXPECT_EQ(GetU32(in, 776), 0u);
    EXPECT_EQ(DecodeReal48(in.subspan<1164, 6>()), DecodeReal48(EncodeReal48(5.58)));
    EXPECT_EQ(GetI32(in, 1172), 30000);
    EXPECT_EQ(GetI32(in, 1176), 65535);
    EXPECT_EQ(GetI16(in, 1180), 3);
    EXPECT_EQ(GetI32(in, 1184), 1024);
    EXPECT_EQ(GetI32(in, 1188), 2048);
    EXPECT_EQ(GetI32(in, 1192), 4096);
    EXPECT_EQ(GetI32(in, 1196), 8192);
    EXPECT_EQ(b[1200], 1);
    // Padding and the unused ends of fields are zero.
    for (std::size_t at : {659u, 763u, 766u, 767u, 1170u, 1171u, 1182u, 1183u, 1201u, 1203u}) {
        EXPECT_EQ(b[at], 0) << at;
    }
    DiscRecord expected = Sample();
    expected.PlayingTime = DecodeReal48(EncodeReal48(5.58));  // 39 bits of fraction
    EXPECT_EQ(DecodeDiscRecord(b), expected);
}

TEST(DiscRecord, LongTextsAreCutOnCharacterBoundaries) {
    DiscRecord r = Sample();
    r.Artist = std::string(99, 'a') + "\xC3\xA9";  // 101 bytes: the é cannot fit
    r.Reference = std::string(40, 'r');
    r.Programme.assign(150, 7);
    const DiscRecord back = DecodeDiscRecord(EncodeDiscRecord(r));
    EXPECT_EQ(back.Artist, std::string(99, 'a'));
    EXPECT_EQ(back.Reference, std::string(30, 'r'));
    EXPECT_EQ(back.Programme.size(), 100u);
}

TEST(DiscRecord, DamagedLengthsDecodeWithinTheirFields) {
    DiscRecordBytes b = EncodeDiscRecord(Sample());
    b[4] = 255;    // identity length past its field
    b[662] = 200;  // programme count past 100
    const DiscRecord r = DecodeDiscRecord(b);
    EXPECT_EQ(r.Identity.size(), 16u);
    EXPECT_EQ(r.Programme.size(), 100u);
}

TEST(DiscRecord, ListedFieldsDecodeOverAnotherRecordLeavingOnlyTheRest) {
    DiscRecord listed = Sample();
    listed.Name = std::string(90, 'n');  // longer than what is decoded over it
    DiscRecord next;
    next.Identity = "00000000000374F7";
    next.Name = "Short";
    next.TrackCount = 5;
    next.TracksAddress = 1040;
    DecodeListedFields(EncodeDiscRecord(next), listed);
    // Everything but the fields a list does not read is the next record's.
    const DiscRecord sample = Sample();
    next.Year = sample.Year;
    next.Programme = sample.Programme;
    next.TrackLengths = sample.TrackLengths;
    next.PlayingTime = sample.PlayingTime;
    next.SavedVolumeLeft = sample.SavedVolumeLeft;
    next.SavedVolumeRight = sample.SavedVolumeRight;
    next.SavedPlayMode = sample.SavedPlayMode;
    EXPECT_EQ(listed, next);
}

TEST(DiscRecord, KeysAreCutToTheirLength) {
    DiscRecord r = Sample();
    r.Artist = std::string(35, 'x');
    const KeySnapshot keys = KeySnapshot::Of(r);
    EXPECT_EQ(keys.Artist, std::string(20, 'x'));
    EXPECT_EQ(keys.Key(kKeyArtist), keys.Artist);
    EXPECT_EQ(KeyText(r.Identity + "EXTRA", kKeyIdentity), r.Identity);
    EXPECT_EQ(KeyField(r, kKeyMusicType), "Jazz");
}

}  // namespace
}  // namespace snx
