// libcdio access shared by real drives and disc images: opening a source, reading its table of
// contents and CD-Text, and the sector readers (plain reads on images, paranoia on drives).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cd/disc_info.h"
#include "cd/sector_reader.h"

struct _CdIo;

namespace snx {

struct CdioCloser {
    void operator()(_CdIo* cdio) const;
};
using CdioHandle = std::unique_ptr<_CdIo, CdioCloser>;

// A disc image (BIN/CUE, TOC or NRG, chosen by the file's extension); null when it cannot be
// read.
CdioHandle OpenImage(const std::string& path);
// A drive by device path; null without a drive there.
CdioHandle OpenDriveDevice(const std::string& device);
// Closes the tray of the drive at that device path.
void CloseDriveTray(const std::string& device);
// An image when the path names a regular file, else a drive.
CdioHandle OpenImageOrDrive(const std::string& path);

// The table of contents and CD-Text; null when the source holds no readable disc.
std::shared_ptr<DiscInfo> ReadDiscInfo(_CdIo* cdio);

// The machine's CD drives, by device path in name order.
std::vector<std::string> ListCdDrives();

// Plain sector reads of an image; opens its own handle so it can live on the reader thread.
std::unique_ptr<SectorReader> OpenImageReader(const std::string& path);
// Error-corrected reads from a drive.
std::unique_ptr<SectorReader> OpenParanoiaReader(const std::string& device);

}  // namespace snx
