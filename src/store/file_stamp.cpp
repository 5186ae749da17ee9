#include "store/file_stamp.h"

#include <functional>
#include <map>

namespace snx {

FileStamp FileStamp::Of(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size,
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

std::string FileKey(const std::filesystem::path& path) {
    // Asked at every open; an absolute name always gives the same key, so those are kept.
    static std::map<std::string, std::string, std::less<>> known;
    const bool absolute = path.is_absolute();
    if (absolute) {
        if (const auto it = known.find(path.native()); it != known.end()) {
            return it->second;
        }
    }
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    std::string key = (error ? path : full).lexically_normal().string();
    if (absolute && known.size() < 256) {
        known.emplace(path.native(), key);
    }
    return key;
}

}  // namespace snx
