#include "catalogue/disc_record.h"

#include <algorithm>
#include <stdexcept>

#include "catalogue/real48.h"
#include "util/bytes.h"
#include "util/text.h"

namespace snx {

namespace {

struct StringField {
    std::string DiscRecord::*Member;
    std::size_t Offset;
    std::size_t Width;
};

constexpr StringField kStringFields[] = {
    {&DiscRecord::Identity, 4, kIdentityWidth},     {&DiscRecord::Name, 21, kNameWidth},
    {&DiscRecord::Artist, 122, kNameWidth},         {&DiscRecord::Composer, 223, kNameWidth},
    {&DiscRecord::Reference, 324, kReferenceWidth}, {&DiscRecord::MusicType, 355, kTypeWidth},
    {&DiscRecord::RecordLabel, 406, kTypeWidth},    {&DiscRecord::User1, 457, kNameWidth},
    {&DiscRecord::User2, 558, kNameWidth},
};

constexpr std::size_t kYear = 660;
constexpr std::size_t kProgramme = 662;
constexpr std::size_t kTrackCount = 764;
constexpr std::size_t kTrackLengths = 768;
constexpr std::size_t kPlayingTime = 1164;
constexpr std::size_t kVolumeLeft = 1172;
constexpr std::size_t kVolumeRight = 1176;
constexpr std::size_t kPlayMode = 1180;
constexpr std::size_t kBitmap = 1184;
constexpr std::size_t kSample = 1188;
constexpr std::size_t kTracks = 1192;
constexpr std::size_t kNotes = 1196;
constexpr std::size_t kOrphan = 1200;

static_assert(kTrackLengths + kMaxTracks * 4 == kPlayingTime);
static_assert(kPlayingTime + kReal48Size + 2 == kVolumeLeft);
static_assert(kOrphan + 4 == kDiscRecordSize);
static_assert(kProgramme + 1 + kMaxProgramme + 1 == kTrackCount);

void PutString(std::span<std::uint8_t> out, const StringField& field, std::string_view text) {
    const std::string cut = CutText(text, field.Width);
    out[field.Offset] = static_cast<std::uint8_t>(cut.size());
    std::copy(cut.begin(), cut.end(), out.begin() + static_cast<std::ptrdiff_t>(field.Offset + 1));
}

}  // namespace

DiscRecordBytes EncodeDiscRecord(const DiscRecord& record) {
    DiscRecordBytes bytes{};
    const std::span<std::uint8_t> out(bytes);
    PutI32(out, 0, record.status);
    for (const StringField& field : kStringFields) {
        PutString(out, field, record.*field.Member);
    }
    PutI16(out, kYear, record.Year);
    const std::size_t count = std::min(record.Programme.size(), kMaxProgramme);
    out[kProgramme] = static_cast<std::uint8_t>(count);
    std::copy_n(record.Programme.begin(), count, out.begin() + kProgramme + 1);
    PutI16(out, kTrackCount, record.TrackCount);
    for (int i = 0; i < kMaxTracks; ++i) {
        PutU32(out, kTrackLengths + 4 * static_cast<std::size_t>(i), record.TrackLengths[i]);
    }
    const Real48Bytes time = EncodeReal48(record.PlayingTime);
    std::copy(time.begin(), time.end(), out.begin() + kPlayingTime);
    PutI32(out, kVolumeLeft, record.SavedVolumeLeft);
    PutI32(out, kVolumeRight, record.SavedVolumeRight);
    PutI16(out, kPlayMode, record.SavedPlayMode);
    PutI32(out, kBitmap, record.BitmapAddress);
    PutI32(out, kSample, record.SampleAddress);
    PutI32(out, kTracks, record.TracksAddress);
    PutI32(out, kNotes, record.NotesAddress);
    out[kOrphan] = record.Orphan ? 1 : 0;
    return bytes;
}

void DecodeListedFields(std::span<const std::uint8_t, kDiscRecordSize> bytes, DiscRecord& record) {
    const std::span<const std::uint8_t> in(bytes);
    record.status = GetI32(in, 0);
    for (const StringField& field : kStringFields) {
        // In place: a record decoded again and again reuses its strings' space.
        const std::size_t length = std::min<std::size_t>(in[field.Offset], field.Width);
        (record.*field.Member)
            .assign(reinterpret_cast<const char*>(in.data() + field.Offset + 1), length);
    }
    record.TrackCount = GetI16(in, kTrackCount);
    record.BitmapAddress = GetI32(in, kBitmap);
    record.SampleAddress = GetI32(in, kSample);
    record.TracksAddress = GetI32(in, kTracks);
    record.NotesAddress = GetI32(in, kNotes);
    record.Orphan = in[kOrphan] != 0;
}

DiscRecord DecodeDiscRecord(std::span<const std::uint8_t, kDiscRecordSize> bytes) {
    const std::span<const std::uint8_t> in(bytes);
    DiscRecord record;
    DecodeListedFields(bytes, record);
    record.Year = GetI16(in, kYear);
    const std::size_t count = std::min<std::size_t>(in[kProgramme], kMaxProgramme);
    record.Programme.assign(in.begin() + kProgramme + 1, in.begin() + kProgramme + 1 + count);
    for (int i = 0; i < kMaxTracks; ++i) {
        record.TrackLengths[i] = GetU32(in, kTrackLengths + 4 * static_cast<std::size_t>(i));
    }
    record.PlayingTime = DecodeReal48(in.subspan<kPlayingTime, kReal48Size>());
    record.SavedVolumeLeft = GetI32(in, kVolumeLeft);
    record.SavedVolumeRight = GetI32(in, kVolumeRight);
    record.SavedPlayMode = GetI16(in, kPlayMode);
    return record;
}

std::string KeyText(std::string_view field, int key) {
    // Keys are cut by bytes, as the index compares bytes; the snapshot keeps exactly these.
    const std::size_t length = key == kKeyIdentity ? kIdentityKeyLength : kTextKeyLength;
    return std::string(field.substr(0, length));
}

const std::string& KeyField(const DiscRecord& record, int key) {
    switch (key) {
        case kKeyIdentity:
            return record.Identity;
        case kKeyComposer:
            return record.Composer;
        case kKeyArtist:
            return record.Artist;
        case kKeyName:
            return record.Name;
        case kKeyRecordLabel:
            return record.RecordLabel;
        case kKeyMusicType:
            return record.MusicType;
        default:
            throw std::out_of_range("no such disc key");
    }
}

KeySnapshot KeySnapshot::Of(const DiscRecord& record) {
    return {KeyText(record.Composer, kKeyComposer), KeyText(record.Artist, kKeyArtist),
            KeyText(record.Name, kKeyName), KeyText(record.RecordLabel, kKeyRecordLabel),
            KeyText(record.MusicType, kKeyMusicType)};
}

const std::string& KeySnapshot::Key(int key) const {
    switch (key) {
        case kKeyComposer:
            return Composer;
        case kKeyArtist:
            return Artist;
        case kKeyName:
            return Name;
        case kKeyRecordLabel:
            return RecordLabel;
        case kKeyMusicType:
            return MusicType;
        default:
            throw std::out_of_range("no such snapshot key");
    }
}

}  // namespace snx
