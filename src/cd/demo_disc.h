// The program's built-in demo disc: an image of its own generated music, kept in the data
// directory so the virtual drive always has something to play.
#pragma once

#include <filesystem>

namespace snx {

// "demo/sonatrix-demo.cue" under the data directory.
std::filesystem::path DemoDiscPath(const std::filesystem::path& dataDirectory);

// True when the demo image is there whole: EnsureDemoDisc has nothing to write.
bool DemoDiscPresent(const std::filesystem::path& dataDirectory);

// Writes the demo image (cue and bin) when either file is missing or the bin is not of its
// size; returns the cue's path.
// Throws FileWriteError or std::filesystem::filesystem_error.
std::filesystem::path EnsureDemoDisc(const std::filesystem::path& dataDirectory);

}  // namespace snx
