// An archive played as the disc it was made from: its cue sheet goes into the virtual drive,
// that drive is selected and play starts, so the disc's record, mode and programme apply.
#pragma once

#include <filesystem>

namespace snx {

class PlayerEngine;

// False, with the drives as they were, when the sheet cannot be read.
bool PlayArchive(PlayerEngine& engine, const std::filesystem::path& cueSheet);

}  // namespace snx
