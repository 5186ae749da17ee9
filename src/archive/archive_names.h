// Where an archive goes: the archive folder of the settings, the disc's folder in it and the
// tracks' file names, with the characters file systems refuse replaced.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace snx {

// The text as one file-name component: '/', '\\', ':', '*', '?', '"', '<', '>', '|' and control
// characters become '_' (archives are often copied to disks of other systems), trailing dots and
// blanks are dropped, and the result is at most 200 bytes, cut on a character boundary.
std::string SafeFileName(std::string_view utf8);

// "Artist - Name", or the part that is known, or the identity when neither is.
std::string DiscFolderName(std::string_view artist, std::string_view name,
                           std::string_view identity);

// "NN - Title.flac", "NN - Track NN.flac" without a title.
std::string TrackFileName(int number, std::string_view title);

// The archive folder when the settings name none: the user's music directory (xdg-user-dir
// MUSIC, else ~/Music) plus "Sonatrix".
std::filesystem::path DefaultArchiveFolder(const std::filesystem::path& home);

// The folder the settings name, else the default.
std::filesystem::path ArchiveFolderOf(std::string_view setting, const std::filesystem::path& home);

}  // namespace snx
