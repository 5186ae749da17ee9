// File names in the data directory are matched without regard to case, so "disc.DAT" finds
// "disc.dat" and "Type.fle" and "type.fle" are one file.
#pragma once

#include <filesystem>
#include <string_view>

namespace snx {

// The existing file in directory whose name equals name ignoring ASCII case (an exact match
// first, else the first in name order); directory / name when there is none.
std::filesystem::path ResolveFileName(const std::filesystem::path& directory,
                                      std::string_view name);

}  // namespace snx
