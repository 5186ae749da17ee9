#include "catalogue/free_space_map.h"

#include <string>

namespace snx {

FileStamp FileStamp::Of(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size,
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

std::shared_ptr<FreeSpaceMap> FreeSpaceMapFor(const std::filesystem::path& path) {
    static std::map<std::string, std::shared_ptr<FreeSpaceMap>> maps;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    auto& map = maps[(error ? path : absolute).lexically_normal().string()];
    if (!map) {
        map = std::make_shared<FreeSpaceMap>();
    }
    return map;
}

}  // namespace snx
