// An archive's cue sheet and FLAC files as a disc image: the sheet gives the disc's original table
// of contents, the files its audio, decoded a sector at a time on the thread that reads.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cd/disc_info.h"
#include "cd/image_drive.h"
#include "cd/sector_reader.h"

namespace snx {

// Told once per file that cannot be decoded (its sectors play as silence); may be called on the
// reader thread.
using FlacFailureReport = std::function<void(const std::string& fileName)>;

struct FlacImage {
    std::shared_ptr<const DiscInfo> Disc;  // null when the sheet cannot be read
    std::string Identity;
    std::string Error;
    SectorReaderFactory Readers;  // each reader opens the files itself
};

// True when the path names a cue sheet whose files are FLAC.
bool IsFlacCueSheet(const std::filesystem::path& cue);

FlacImage OpenFlacImage(const std::filesystem::path& cue, FlacFailureReport report = {});

// The virtual drive's opener of such sheets (no disc for any other image): a file that cannot be
// decoded is told to unplayable, and on standard error.
OpenedImage OpenArchiveImage(const std::string& path, const UnplayableReport& unplayable);

}  // namespace snx
