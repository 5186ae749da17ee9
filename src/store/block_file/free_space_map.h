// The free blocks of a block file, kept between the opens of one process so that finding free
// space does not read every block header of the file on each store. A map is trusted only while
// the file is exactly as this process left it (same file, size and modification time).
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>

#include "store/file_stamp.h"

namespace snx {

struct FreeSpaceMap {
    // Address -> data length of every block whose state is free, when Complete.
    std::map<std::int64_t, std::int32_t> Blocks;
    bool Complete = false;
    // The file as it was when this process last closed it.
    FileStamp LastClosed;

    void Forget() {
        Blocks.clear();
        Complete = false;
    }
};

// The process's map for the file at path (one per path, created empty).
std::shared_ptr<FreeSpaceMap> FreeSpaceMapFor(const std::filesystem::path& path);
// After another program changed the files: no map can be trusted.
void ForgetFreeSpaceMaps();
// After this process committed a change to a file: a map trusted for it as it was (before) is
// still true of it as it is now (after), since the change went through it.
void RestampFreeSpaceMaps(const FileStamp& before, const FileStamp& after);

}  // namespace snx
