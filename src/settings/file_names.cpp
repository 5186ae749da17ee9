#include "settings/file_names.h"

#include <dirent.h>
#include <sys/stat.h>
#include <time.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "util/text.h"

namespace snx {

namespace {

std::int64_t Nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// A directory's names as last read, trusted while the directory has the same inode and
// modification time. A listing is kept only when the directory had not changed for a while
// before it was read: a change in the same clock tick as the last one would not move the time.
struct Listing {
    ino_t Inode = 0;
    std::int64_t ModifiedNs = 0;
    std::vector<std::string> Names;
};

constexpr std::int64_t kSettledNs = 100'000'000;

std::vector<std::string> ReadNames(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

const std::vector<std::string>& NamesIn(const std::filesystem::path& directory) {
    static std::map<std::string, Listing> listings;
    static const std::vector<std::string> none;
    struct stat status {};
    if (::stat(directory.c_str(), &status) != 0) {
        return none;
    }
    Listing& listing = listings[directory.string()];
    const std::int64_t modified = Nanoseconds(status.st_mtim);
    if (listing.Inode == status.st_ino && listing.ModifiedNs == modified && modified != 0) {
        return listing.Names;
    }
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    listing.Names = ReadNames(directory);
    const bool settled = Nanoseconds(now) - modified > kSettledNs;
    listing.Inode = settled ? status.st_ino : 0;
    listing.ModifiedNs = settled ? modified : 0;
    return listing.Names;
}

}  // namespace

std::filesystem::path ResolveFileName(const std::filesystem::path& directory,
                                      std::string_view name) {
    const std::filesystem::path exact = directory / std::string(name);
    struct stat status {};
    if (::stat(exact.c_str(), &status) == 0) {
        return exact;
    }
    std::optional<std::string> best;
    for (const std::string& candidate : NamesIn(directory.empty() ? "." : directory)) {
        if (EqualsIgnoreCase(candidate, name) && (!best || candidate < *best)) {
            best = candidate;
        }
    }
    return best ? directory / *best : exact;
}

std::filesystem::path ResolvePath(const std::filesystem::path& file) {
    return ResolveFileName(file.parent_path(), file.filename().string());
}

}  // namespace snx
