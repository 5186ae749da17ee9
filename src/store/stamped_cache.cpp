#include "store/stamped_cache.h"

#include <algorithm>
#include <map>
#include <string>
#include <utility>

namespace snx {

namespace {

using Registry = std::map<std::pair<std::string, std::type_index>, std::shared_ptr<StampedCache>>;

Registry& Caches() {
    static Registry caches;
    return caches;
}

}  // namespace

bool StampedCache::Trust(std::initializer_list<FileStamp> now) {
    if (!sealed_.empty() && std::equal(sealed_.begin(), sealed_.end(), now.begin(), now.end())) {
        return true;
    }
    Forget();
    return false;
}

std::shared_ptr<StampedCache>& StampedCacheSlot(const std::filesystem::path& file,
                                                std::type_index kind) {
    return Caches()[{FileKey(file), kind}];
}

void ForgetStampedCaches() {
    for (auto& [key, cache] : Caches()) {
        if (cache) {
            cache->Forget();
        }
    }
}

void RestampStampedCaches(const FileStamp& before, const FileStamp& after) {
    for (auto& [key, cache] : Caches()) {
        if (cache) {
            std::replace(cache->sealed_.begin(), cache->sealed_.end(), before, after);
        }
    }
}

}  // namespace snx
