#include "settings/data_directory.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace snx {

namespace {

std::optional<std::string> Variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

}  // namespace

DataDirectoryEnvironment ProcessEnvironment() {
    return {Variable("SONATRIX_DATA_DIR"), Variable("XDG_DATA_HOME"), Variable("HOME")};
}

std::filesystem::path HomeDirectory(const DataDirectoryEnvironment& environment) {
    if (environment.Home) {
        return *environment.Home;
    }
    if (const passwd* entry = ::getpwuid(::getuid());
        entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/";
}

std::filesystem::path ChooseDataDirectory(const std::optional<std::string>& commandLine,
                                          const DataDirectoryEnvironment& environment) {
    std::filesystem::path chosen;
    if (commandLine && !commandLine->empty()) {
        chosen = *commandLine;
    } else if (environment.SonatrixDataDir) {
        chosen = *environment.SonatrixDataDir;
    } else if (environment.XdgDataHome &&
               std::filesystem::path(*environment.XdgDataHome).is_absolute()) {
        chosen = std::filesystem::path(*environment.XdgDataHome) / "sonatrix";
    } else {
        chosen = HomeDirectory(environment) / ".local" / "share" / "sonatrix";
    }
    return std::filesystem::absolute(chosen).lexically_normal();
}

void EnsureDataDirectory(const std::filesystem::path& directory) {
    std::filesystem::create_directories(directory);
}

}  // namespace snx
