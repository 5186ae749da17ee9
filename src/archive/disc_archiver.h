// Copies a disc's audio tracks into FLAC files with their checksums, then writes the cue sheet:
// the work of one archive run, on whatever thread the caller gives it (never the user-interface
// thread: a track takes seconds).
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "archive/archive_metadata.h"
#include "archive/archive_report.h"
#include "cd/disc_info.h"
#include "cd/sector_reader.h"

namespace snx {

struct ArchiveRequest {
    std::shared_ptr<const DiscInfo> Disc;
    std::string Source;
    bool FromDrive = false;  // drives are read twice per track (test and copy)
    int ReadOffset = 0;      // samples the drive delivers late; applied across track boundaries
    SectorReaderFactory OpenReader;
    // The disc's own folder, created when missing; when it holds files, "Folder (2)"... is used.
    std::filesystem::path Folder;
    ArchiveMetadata Metadata;
    std::string Program;
};

struct ArchiveProgress {
    int Track = 0;           // number on the disc
    int Pass = 1;            // 1 test read, 2 copy (drives); images copy in pass 1
    double TrackDone = 0;    // 0..1 of this track's reads
    double TotalDone = 0;    // 0..1 of the whole run
    double Speed = 0;        // audio read per second of reading, as a multiple of real time
    double SecondsLeft = 0;  // at the run's speed so far
    bool TrackFinished = false;
    std::uint32_t Crc = 0;  // when finished
};

using ArchiveProgressHandler = std::function<void(const ArchiveProgress&)>;

// Runs the extraction. A cancel, a read error or a failed write stops the run and removes the
// files it made, so nothing unfinished looks finished. The log is not written here: the
// verification comes first.
ArchiveReport ExtractDisc(const ArchiveRequest& request, const ArchiveProgressHandler& progress,
                          const std::atomic<bool>& cancel);

// The log file of a folder: "<folder name>.log".
std::filesystem::path LogPath(const std::filesystem::path& folder);

// Writes the log beside the files. Throws FileWriteError.
void WriteArchiveLog(const ArchiveReport& report);

}  // namespace snx
