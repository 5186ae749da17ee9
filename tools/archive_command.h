// sonatrix-catalogue archive [DEVICE_OR_IMAGE] [--to DIR] [--json]: the disc copied into tagged
// FLAC files with a cue sheet and a log, checked against AccurateRip when the settings ask so.
#pragma once

#include <filesystem>

#include <ostream>
#include <span>
#include <string>
#include "catalogue/disc_catalogue.h"

namespace snx::tool {

// Exit status: 0 every track accurately ripped (or, without the check, every copy matched its
// test read), 1 an error, 3 a track not accurate, not in the database or not matched.
int ArchiveCommand(std::span<const std::string> arguments, DiscCatalogue& catalogue,
                   const std::filesystem::path& dataDirectory, const std::filesystem::path& home,
                   std::ostream& out, std::ostream& err);

}  // namespace snx::tool
