// The integrity check of the whole catalogue: the record files, the block file, and the links
// between them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace snx {

// Lists every problem of "disc.DAT", "disc.IX" and "disc.VLF" in dataDirectory: those of each
// file's own checker, then every live record keyed exactly once in each of the six keys with its
// field cut to the key length, no key entry for a record that is not live, every non-zero link
// an in-use block of the right type, and no block linked twice. Empty when all is sound.
// Opens the files only to read them.
std::vector<std::string> CheckCatalogue(const std::filesystem::path& dataDirectory);

}  // namespace snx
