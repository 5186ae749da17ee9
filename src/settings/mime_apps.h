// The desktop's choice of default applications, "mimeapps.list" in the user's configuration
// directory, and this program's AutoPlay registration in it. Edits change one line of the
// "[Default Applications]" section; every other byte of the file stays as it was.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "settings/desktop_entry.h"
#include "settings/settings.h"

namespace snx {

inline constexpr std::string_view kAudioCdMimeType = "x-content/audio-cdda";
inline constexpr std::string_view kOwnDesktopFile = "sonatrix.desktop";

// The value of the type's entry in "[Default Applications]", without the blanks around it;
// nullopt when there is no entry. Where a type is listed
// twice the desktop takes the last, so do we.
std::optional<std::string> DefaultApplicationEntry(std::string_view text,
                                                   std::string_view mimeType);

// The text with the type's entry set to value (nullopt removes it). An existing entry keeps its
// key, "=" and the blanks around the value as written; a new one goes after the section's last
// entry, or into a new section at the end of the file. A section this program added and left empty
// is removed again.
std::string WithDefaultApplication(std::string_view text, std::string_view mimeType,
                                   const std::optional<std::string>& value);

// $XDG_CONFIG_HOME/mimeapps.list, else ~/.config/mimeapps.list (a relative XDG_CONFIG_HOME
// counts as unset).
std::filesystem::path MimeAppsListFile();

// Raised when the list cannot be read or replaced, or the settings cannot be saved with the
// choice: "Unable to read <path>" or "Unable to write to <path>".
class AutoPlayError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Where the registration is recorded: the desktop's list, and the entry it names.
struct AutoPlayPlaces {
    std::filesystem::path MimeAppsFile;
    DesktopEntryPlaces Entry;
};

// Registers this program for inserted audio CDs (on) or puts back the handler it replaced (off),
// then saves AutoPlayHandler and PreviousCommandLine with the settings. The previous entry's text
// is kept in PreviousCommandLine; empty means there was none, and clearing then removes ours.
// Registering makes sure the entry named exists and starts a program (see EnsureDesktopEntry);
// clearing removes the entry this program wrote for itself.
// Throws AutoPlayError; the files and settings are then as they were.
void SetAutoPlayHandler(Settings& settings, bool on, const AutoPlayPlaces& places);

}  // namespace snx
