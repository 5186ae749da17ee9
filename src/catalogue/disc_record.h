// The catalogue's fixed record of one disc, as stored in "disc.DAT", and its key texts.
//
// OFFSET  SIZE  CONTENT
// 0       4     status: 0 in use (the record file chains deleted records through it)
// 4       17    Identity: length byte + up to 16 bytes (key 1)
// 21      101   Name: length byte + up to 100 (key 4)
// 122     101   Artist (key 3)
// 223     101   Composer (key 2)
// 324     31    Reference: length byte + up to 30
// 355     51    MusicType: length byte + up to 50 (key 6)
// 406     51    RecordLabel: length byte + up to 50 (key 5)
// 457     101   User1
// 558     101   User2
// 659     1     padding
// 660     2     Year, signed; 0 = not given
// 662     101   Programme: count byte (0..100) + one byte per track number
// 763     1     padding
// 764     2     TrackCount, signed
// 766     2     padding
// 768     396   TrackLengths: 99 x 32-bit MSF-packed
// 1164    6     PlayingTime: MinSec as a 6-byte real
// 1170    2     padding
// 1172    4     SavedVolumeLeft
// 1176    4     SavedVolumeRight
// 1180    2     SavedPlayMode
// 1182    2     padding
// 1184    4     BitmapAddress (block file address, 0 = none)
// 1188    4     SampleAddress
// 1192    4     TracksAddress
// 1196    4     NotesAddress
// 1200    1     Orphan: 1 when made without the disc; its track data comes from the next insertion
// 1201    3     padding
//
// Bytes past a string's length and the padding are written as 0 and ignored when read.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cd/cd_types.h"
#include "util/min_sec.h"

namespace snx {

constexpr std::size_t kDiscRecordSize = 1204;
constexpr std::size_t kMaxProgramme = 100;

// Widths of the string fields, in bytes.
constexpr std::size_t kIdentityWidth = 16;
constexpr std::size_t kNameWidth = 100;
constexpr std::size_t kReferenceWidth = 30;
constexpr std::size_t kTypeWidth = 50;

// The six keys of "disc.IX".
enum DiscKey : int {
    kKeyIdentity = 1,
    kKeyComposer = 2,
    kKeyArtist = 3,
    kKeyName = 4,
    kKeyRecordLabel = 5,
    kKeyMusicType = 6,
};
constexpr int kDiscKeyCount = 6;
constexpr std::size_t kIdentityKeyLength = 16;
constexpr std::size_t kTextKeyLength = 20;

struct DiscRecord {
    std::int32_t status = 0;
    std::string Identity;
    std::string Name;
    std::string Artist;
    std::string Composer;
    std::string Reference;
    std::string MusicType;
    std::string RecordLabel;
    std::string User1;
    std::string User2;
    std::int16_t Year = 0;
    std::vector<std::uint8_t> Programme;  // track numbers, at most 100
    std::int16_t TrackCount = 0;
    std::array<Msf, kMaxTracks> TrackLengths{};  // tracks 1..99 at [0..98]
    MinSec PlayingTime = 0;
    std::int32_t SavedVolumeLeft = 0;
    std::int32_t SavedVolumeRight = 0;
    std::int16_t SavedPlayMode = 0;
    std::int32_t BitmapAddress = 0;
    std::int32_t SampleAddress = 0;
    std::int32_t TracksAddress = 0;
    std::int32_t NotesAddress = 0;
    bool Orphan = false;

    bool operator==(const DiscRecord&) const = default;
};

using DiscRecordBytes = std::array<std::uint8_t, kDiscRecordSize>;

// Texts longer than their field are cut on a character boundary. Throws Real48RangeError when
// PlayingTime cannot be held by a 6-byte real.
DiscRecordBytes EncodeDiscRecord(const DiscRecord& record);

// Any bytes decode: a length or count past its field is taken as the field's width.
DiscRecord DecodeDiscRecord(std::span<const std::uint8_t, kDiscRecordSize> bytes);
// Only what a list of many discs reads (status, the texts, TrackCount, the four addresses and
// Orphan) into record, whose strings keep their space; Year, Programme, the track lengths, the
// playing time and the saved volumes and mode are left as they were.
void DecodeListedFields(std::span<const std::uint8_t, kDiscRecordSize> bytes, DiscRecord& record);

// The five text keys of a record as they were when it was loaded, so that its old index entries
// can be removed when it is stored. Texts are bytes, cut to the key length.
struct KeySnapshot {
    std::string Composer;
    std::string Artist;
    std::string Name;
    std::string RecordLabel;
    std::string MusicType;

    static KeySnapshot Of(const DiscRecord& record);
    // The key text of key 2..6.
    const std::string& Key(int key) const;
    bool operator==(const KeySnapshot&) const = default;
};

// A key text: the bytes of the field cut to the key length (16 for key 1, else 20).
std::string KeyText(std::string_view field, int key);

// The field of record that key 1..6 indexes.
const std::string& KeyField(const DiscRecord& record, int key);

}  // namespace snx
