// The AccurateRip database's view of a disc: its three ids, the v1 and v2 checksums of a track's
// audio, the responses of a database file and the verdict on each track.
//
// A database file is a run of responses, one per pressing, each:
// OFFSET  SIZE  CONTENT
// 0       1     track count N
// 1       4     id 1 (sum of the audio tracks' offsets), little-endian
// 5       4     id 2 (sum of offset x track number)
// 9       4     the freedb disc id
// 13      9N    per track: 1 byte confidence, 4 bytes checksum, 4 bytes checksum of frame 450
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cd/disc_info.h"

namespace snx {

constexpr std::size_t kArResponseHeaderSize = 13;
constexpr std::size_t kArTrackEntrySize = 9;
static_assert(kArResponseHeaderSize == 1 + 4 + 4 + 4);
static_assert(kArTrackEntrySize == 1 + 4 + 4);

struct AccurateRipIds {
    int AudioTracks = 0;
    std::uint32_t Id1 = 0;
    std::uint32_t Id2 = 0;
    std::uint32_t Cddb = 0;

    // "dBAR-nnn-aaaaaaaa-bbbbbbbb-ffffffff.bin"
    std::string FileName() const;
    // "/accuraterip/a/b/c/" + FileName(), a to c the last three digits of id 1, last first.
    std::string Path() const;
    bool operator==(const AccurateRipIds&) const = default;
};

// The ids as the database's own programs count them: only audio tracks are summed, by their
// order among the audio tracks, but the lead-out is the disc's real one, past a data track of
// an enhanced disc; the freedb id covers every track, data tracks included, up to that lead-out.
// Nothing for a disc without audio.
std::optional<AccurateRipIds> AccurateRipIdsOf(const DiscInfo& disc);

// Where a track lies among the disc's audio tracks: the database leaves out the first five
// sectors of the first and the last five of the last.
struct ArTrackPlace {
    bool First = false;
    bool Last = false;
};

// Both checksums of one track, fed its samples in order (left, right, left, ...).
class AccurateRipChecksum {
  public:
    // Requires: totalPairs, the track's length in stereo sample pairs.
    AccurateRipChecksum(std::uint64_t totalPairs, ArTrackPlace place);
    void Add(std::span<const std::int16_t> samples);
    std::uint32_t V1() const { return v1_; }
    std::uint32_t V2() const { return v2_; }

  private:
    std::uint64_t from_;  // first and last multiplier counted
    std::uint64_t to_;
    std::uint64_t next_ = 1;
    std::uint32_t v1_ = 0;
    std::uint32_t v2_ = 0;
};

struct ArTrackEntry {
    int Confidence = 0;
    std::uint32_t Checksum = 0;
    std::uint32_t Frame450Checksum = 0;
};

struct ArResponse {
    AccurateRipIds Ids;
    std::vector<ArTrackEntry> Tracks;
};

struct ArResponses {
    std::vector<ArResponse> Responses;
    std::string Error;  // why the bytes are not a database file; empty when they are
};

// Every response in the bytes. A cut or damaged file gives an Error and no responses.
ArResponses ReadAccurateRipResponses(std::span<const std::uint8_t> bytes);

enum class ArVerdictKind { NotChecked, Accurate, NotAccurate, NotInDatabase };

struct ArVerdict {
    ArVerdictKind Kind = ArVerdictKind::NotChecked;
    int Confidence = 0;  // summed over the responses that match, for Accurate
};

// The verdict on the track numbered tocTrack on the disc, from the responses for these ids.
// Responses for other ids are ignored; a track whose entries all have confidence 0 is not in
// the database.
ArVerdict JudgeTrack(const std::vector<ArResponse>& responses, const AccurateRipIds& ids,
                     int tocTrack, std::uint32_t v1, std::uint32_t v2);

// "Accurately ripped (confidence N)", "Not accurate", "Not in the database", "Not checked".
std::string VerdictText(const ArVerdict& verdict);

}  // namespace snx
