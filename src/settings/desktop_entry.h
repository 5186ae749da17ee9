// The desktop entry that the AutoPlay registration names: the installed "sonatrix.desktop", or,
// when none is installed (a player started from its build tree), one this program writes for
// itself in the user's applications directory and removes again.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace snx {

struct DesktopEntryPlaces {
    std::filesystem::path UserApplications;                 // $XDG_DATA_HOME/applications
    std::vector<std::filesystem::path> SystemApplications;  // $XDG_DATA_DIRS, each /applications
    std::filesystem::path Executable;                       // this program, absolute
    std::string SearchPath;                                 // $PATH, where entries' programs are
};

// The places of this session; executable is this program's file.
DesktopEntryPlaces SessionDesktopEntryPlaces(const std::filesystem::path& executable);

class DesktopEntryError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// One argument of an Exec line, quoted and escaped so the desktop gives back exactly it.
std::string QuoteExecArgument(std::string_view argument);
// The program an Exec value starts (its first argument, quoting undone); empty when malformed.
std::string ExecProgram(std::string_view exec);

// Makes sure the desktop finds a "sonatrix.desktop" that starts a program: an installed one that
// can, else our own written for this executable. True when our own was written where none was,
// so a failed registration can take it back. Throws DesktopEntryError when the user's own entry
// cannot start anything or ours cannot be written; nothing is changed then.
bool EnsureDesktopEntry(const DesktopEntryPlaces& places);

// Removes the user's entry when this program wrote it; an entry of anyone else stays.
void RemoveOwnDesktopEntry(const DesktopEntryPlaces& places);

}  // namespace snx
