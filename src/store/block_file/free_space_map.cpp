#include "store/block_file/free_space_map.h"

#include <string>

namespace snx {

namespace {

std::map<std::string, std::shared_ptr<FreeSpaceMap>>& Maps() {
    static std::map<std::string, std::shared_ptr<FreeSpaceMap>> maps;
    return maps;
}

}  // namespace

std::shared_ptr<FreeSpaceMap> FreeSpaceMapFor(const std::filesystem::path& path) {
    auto& map = Maps()[FileKey(path)];
    if (!map) {
        map = std::make_shared<FreeSpaceMap>();
    }
    return map;
}

void ForgetFreeSpaceMaps() {
    for (auto& [name, map] : Maps()) {
        map->Forget();
        map->LastClosed = {};
    }
}

void RestampFreeSpaceMaps(const FileStamp& before, const FileStamp& after) {
    for (auto& [name, map] : Maps()) {
        if (map->LastClosed == before) {
            map->LastClosed = after;
        }
    }
}

}  // namespace snx
