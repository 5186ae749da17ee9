#include "catalogue/free_space_map.h"

#include <string>

namespace snx {

std::shared_ptr<FreeSpaceMap> FreeSpaceMapFor(const std::filesystem::path& path) {
    static std::map<std::string, std::shared_ptr<FreeSpaceMap>> maps;
    auto& map = maps[FileKey(path)];
    if (!map) {
        map = std::make_shared<FreeSpaceMap>();
    }
    return map;
}

}  // namespace snx
