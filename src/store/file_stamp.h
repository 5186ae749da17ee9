// What identifies a file's contents cheaply: which file it is, its size and when it was last
// written. Caches of file contents kept between opens are trusted only while the stamp holds.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace snx {

struct FileStamp {
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = -1;
    std::int64_t ModifiedNs = -1;

    static FileStamp Of(const struct stat& st);
    bool operator==(const FileStamp&) const = default;
};

// One name per file for keying caches: the absolute, normalised path.
std::string FileKey(const std::filesystem::path& path);

}  // namespace snx
