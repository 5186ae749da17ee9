#include "store/record_file/page_cache.h"

#include <map>
#include <string>

namespace snx::record_files {

namespace {

std::map<std::string, std::shared_ptr<SharedPages>>& SharedPagesRegistry() {
    static std::map<std::string, std::shared_ptr<SharedPages>> registry;
    return registry;
}

}  // namespace

std::shared_ptr<SharedPages> SharedPagesFor(const std::filesystem::path& dat) {
    auto& shared = SharedPagesRegistry()[FileKey(dat)];
    if (!shared) {
        shared = std::make_shared<SharedPages>();
    }
    return shared;
}

void ForgetSharedPages() {
    for (auto& [name, shared] : SharedPagesRegistry()) {
        shared->Cache = PageCache();
        shared->Valid = false;
    }
}

void RestampSharedPages(const FileStamp& before, const FileStamp& after) {
    for (auto& [name, shared] : SharedPagesRegistry()) {
        if (shared->Dat == before) {
            shared->Dat = after;
        }
        if (shared->Ix == before) {
            shared->Ix = after;
        }
    }
}

}  // namespace snx::record_files
