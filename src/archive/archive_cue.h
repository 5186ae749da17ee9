// The cue sheet beside an archive: one FILE "NN - name.flac" WAVE per audio track, so that the
// disc's table of contents, and with it its identity, comes back from the sheet and its files.
//
// Each file holds its track from its start to the next track's (a gap before a track is at the
// end of the file before it). Positions follow from the files' lengths: the first audio file
// starts at 00:02:00 plus its PREGAP, each next one where the one before ends. What a sheet of
// audio files cannot hold is written as remarks:
//   REM SONATRIX_DISCID <identity>
//   REM SONATRIX_SAMPLES <stereo pairs>   (after each FILE: its length, for when it is missing)
//   REM DATATRACK <nn> <start mm:ss:ff> <length mm:ss:ff>   (absolute disc times)
// A data track's start and length also place the audio track after it and the lead-out.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_metadata.h"
#include "cd/disc_info.h"

namespace snx {

// Sectors between the audio session and the data session of an enhanced disc.
constexpr Lba kSessionGapFrames = 11400;

struct ArchiveSpan {
    int Number = 0;
    bool Audio = true;
    Lba Start = 0;
    Lba End = 0;  // the first sector past the track's audio
};

// Every track of the disc; the last audio track before a closing data track (an enhanced disc)
// ends at the gap between the sessions.
std::vector<ArchiveSpan> ArchiveSpans(const DiscInfo& disc);

// fileNames: one per span, empty for data tracks.
std::string CueSheetText(const DiscInfo& disc, const ArchiveMetadata& metadata,
                         const std::vector<std::string>& fileNames);

struct ArchiveCueSheet {
    std::shared_ptr<DiscInfo> Disc;            // null on error
    std::string Identity;                      // from the remark; may be empty
    std::vector<std::filesystem::path> Files;  // per audio track, in order
    std::string Error;
};

// The disc a sheet and its FLAC files describe. A file missing or unreadable is an Error unless
// the sheet gives its length; it is listed all the same, to play as silence.
ArchiveCueSheet ReadArchiveCueSheet(const std::filesystem::path& cue);

// The cue sheet of an archive folder: "<folder name>.cue".
std::filesystem::path CueSheetPath(const std::filesystem::path& folder);

// The front cover beside an archive's files: "cover.png", "cover.jpg" or "cover.bmp".
std::filesystem::path ArchiveCoverPath(const std::filesystem::path& folder,
                                       const std::string& mimeType);
// The cover of the archive of that sheet; empty when it has none.
std::filesystem::path ArchiveCover(const std::filesystem::path& cueSheet);

// Only the identity remark of a sheet (no file is opened); empty without one.
std::string CueSheetIdentity(const std::filesystem::path& cue);

}  // namespace snx
