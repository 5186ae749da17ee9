// The free blocks of a block file, kept between the opens of one process so that finding free
// space does not read every block header of the file on each store. A map is trusted only while
// the file is exactly as this process left it (same file, size and modification time).
#pragma once

#include <cstdint>
#include <map>

#include "store/stamped_cache.h"

namespace snx {

struct FreeSpaceMap final : StampedCache {
    // Address -> data length of every block whose state is free, when Complete.
    std::map<std::int64_t, std::int32_t> Blocks;
    bool Complete = false;

  protected:
    void Drop() override {
        Blocks.clear();
        Complete = false;
    }
};

}  // namespace snx
