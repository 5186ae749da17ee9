// The disc an archive is read from: the drive the program uses, through its own reader, so the
// player keeps its drive (and an image keeps playing) while the archive is made.
#pragma once

#include <optional>

#include "archive/archive_job.h"
#include "cd/system_drives.h"

namespace snx {

// The disc in drive index of drives (the virtual drive's image, or a real drive read with
// paranoia); nothing when that drive holds no readable disc.
std::optional<ArchiveSource> ArchiveSourceOf(SystemDrives& drives, int index);

}  // namespace snx
