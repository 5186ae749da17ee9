// What this process keeps of a file's contents between its opens (the decoded pages of a record
// file, the free blocks of a block file), trusted only while the files it was read from are
// exactly as this process left them. One registry holds every such cache, so a commit restamps
// them and a change by another program drops them in one place.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <typeindex>
#include <vector>

#include "store/file_stamp.h"

namespace snx {

class StampedCache {
  public:
    virtual ~StampedCache() = default;

    // Whether what is kept holds for files that now have these stamps; when not, it is dropped.
    bool Trust(std::initializer_list<FileStamp> now);
    // What is kept is true of files with these stamps (as this process leaves them).
    void Seal(std::initializer_list<FileStamp> stamps) { sealed_.assign(stamps); }
    // True of no file until sealed again (while an open may change the files).
    void Unseal() { sealed_.clear(); }
    void Forget() {
        sealed_.clear();
        Drop();
    }

  protected:
    virtual void Drop() = 0;

  private:
    friend void RestampStampedCaches(const FileStamp& before, const FileStamp& after);
    std::vector<FileStamp> sealed_;
};

// The slot of the cache of one kind for one file (any spelling of its path); empty at first.
std::shared_ptr<StampedCache>& StampedCacheSlot(const std::filesystem::path& file,
                                                std::type_index kind);

template <class T>
std::shared_ptr<T> StampedCacheFor(const std::filesystem::path& file) {
    std::shared_ptr<StampedCache>& slot = StampedCacheSlot(file, typeid(T));
    if (!slot) {
        slot = std::make_shared<T>();
    }
    return std::static_pointer_cast<T>(slot);
}

// After another program changed the files, or a write failed: nothing kept can be trusted.
void ForgetStampedCaches();
// After this process committed a change to a file: what was true of it as it was (before) is
// still true of it as it is now (after), since the change went through the caches.
void RestampStampedCaches(const FileStamp& before, const FileStamp& after);

}  // namespace snx
