// Where the program keeps its settings, catalogue, lists and temporary files.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace snx {

struct DataDirectoryEnvironment {
    std::optional<std::string> SonatrixDataDir;  // $SONATRIX_DATA_DIR
    std::optional<std::string> XdgDataHome;      // $XDG_DATA_HOME
    std::optional<std::string> Home;             // $HOME
};

DataDirectoryEnvironment ProcessEnvironment();

// --data-dir, else $SONATRIX_DATA_DIR, else $XDG_DATA_HOME/sonatrix, else
// ~/.local/share/sonatrix. Empty values count as unset; a relative XDG_DATA_HOME is ignored, as
// the desktop conventions require. The result is absolute.
std::filesystem::path ChooseDataDirectory(const std::optional<std::string>& commandLine,
                                          const DataDirectoryEnvironment& environment);

// The user's home directory ($HOME, else the password database).
std::filesystem::path HomeDirectory(const DataDirectoryEnvironment& environment);

// Creates the directory when missing. Throws std::filesystem::filesystem_error.
void EnsureDataDirectory(const std::filesystem::path& directory);

}  // namespace snx
