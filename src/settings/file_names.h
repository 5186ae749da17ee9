// The names of the data directory's files, each given once here, and the one case-blind match
// through which every existing file is found: "disc.DAT" finds "disc.dat", and "EXPORT.TXT"
// written by the export is the "export.txt" the import looks for.
#pragma once

#include <filesystem>
#include <string_view>

namespace snx {

namespace data_file {

constexpr std::string_view kSettings = "SONATRIX.INI";

// The catalogue: records and keys, variable-length data, rollback journal.
constexpr std::string_view kDiscBase = "disc";
constexpr std::string_view kDiscRecords = "disc.DAT";
constexpr std::string_view kDiscIndex = "disc.IX";
constexpr std::string_view kDiscVlf = "disc.VLF";
constexpr std::string_view kJournal = "disc.JNL";
// A rebuild writes the new set under this base and keeps the previous one under the other.
constexpr std::string_view kRebuildBase = "disc2";
constexpr std::string_view kRebuildVlf = "disc2.VLF";
constexpr std::string_view kPreviousBase = "disc-old";

// The reference lists.
constexpr std::string_view kComposers = "composer.fle";
constexpr std::string_view kArtists = "artist.fle";
constexpr std::string_view kLabels = "label.fle";
constexpr std::string_view kTypes = "type.fle";

// Temporary files through which pictures and samples pass; deleted after use.
constexpr std::string_view kDiscBitmap = "disc.bmp";
constexpr std::string_view kDiscSample = "disc.wav";
constexpr std::string_view kRecording = "$temp.wav";
// A front cover fetched by a lookup, on its way to being the disc's picture.
constexpr std::string_view kCoverJpeg = "cover.jpg";
constexpr std::string_view kCoverPng = "cover.png";

// Pictures the program brings along.
constexpr std::string_view kGeneralBitmap = "general.bmp";
constexpr std::string_view kBackgroundTile = "sandblst.bmp";

// Folders: the demo disc's image, and the answers of the music databases kept for later.
constexpr std::string_view kDemoFolder = "demo";
constexpr std::string_view kDemoImage = "sonatrix-demo.cue";
constexpr std::string_view kLookupCache = "lookup";

// What the export writes and the record formats' import reads, unless the user names a file.
constexpr std::string_view kExport = "EXPORT.TXT";

}  // namespace data_file

// The existing file in directory whose name equals name ignoring ASCII case (an exact match
// first, else the first in name order); directory / name when there is none.
std::filesystem::path ResolveFileName(const std::filesystem::path& directory,
                                      std::string_view name);
// The same for a whole path: its last name is matched in its directory.
std::filesystem::path ResolvePath(const std::filesystem::path& file);

}  // namespace snx
