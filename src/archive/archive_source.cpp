#include "archive/archive_source.h"

#include "cd/cdio_disc.h"

namespace snx {

std::optional<ArchiveSource> ArchiveSourceOf(SystemDrives& drives, int index) {
    if (index < 0 || index >= drives.Count()) {
        return std::nullopt;
    }
    const DriveStatus status = drives.Drive(index).Status();
    if (!status.Disc) {
        return std::nullopt;
    }
    ArchiveSource source;
    source.Disc = status.Disc;
    if (index == drives.VirtualDriveIndex()) {
        const std::string path = drives.VirtualDrive().ImagePath();
        source.Source = path;
        source.OpenReader = [path] { return OpenImageReader(path); };
    } else {
        const std::string device = drives.Drive(index).Label();
        source.Source = device;
        source.FromDrive = true;
        source.OpenReader = [device] { return OpenParanoiaReader(device); };
    }
    return source;
}

}  // namespace snx
