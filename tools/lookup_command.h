// sonatrix-catalogue lookup [DEVICE_OR_IMAGE] [--json]: the names the public music databases
// give for a disc in a drive or an image, with the servers and the cache of the data directory.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <span>
#include <string>

namespace snx::tool {

// Requires: the settings are loaded. Status 0 with candidates, 1 without (the reason on err).
int LookupCommand(std::span<const std::string> arguments,
                  const std::filesystem::path& dataDirectory, std::ostream& out, std::ostream& err);

}  // namespace snx::tool
