// The catalogue's memory of its archives: "archive.idx" in the data directory, one line per disc,
// "IDENTITY<TAB>folder", written whole. When it is missing it is rebuilt from the cue sheets
// found in the archive folder's subfolders.
#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace snx {

constexpr const char* kArchiveIndexName = "archive.idx";

class ArchiveIndex {
  public:
    // Reads the index of the data directory; rebuilds it from archiveFolder when it is missing.
    static ArchiveIndex Load(const std::filesystem::path& dataDirectory,
                             const std::filesystem::path& archiveFolder);

    bool Contains(const std::string& identity) const { return folders_.contains(identity); }
    std::filesystem::path FolderOf(const std::string& identity) const;
    const std::map<std::string, std::filesystem::path>& Folders() const { return folders_; }

    // Records the folder and writes the index whole. Throws FileWriteError.
    void Remember(const std::string& identity, const std::filesystem::path& folder);

  private:
    std::filesystem::path file_;
    std::map<std::string, std::filesystem::path> folders_;
};

// The cue sheet of the archive of the disc of that identity, as the index of the data directory
// knows it; empty when it knows none or the sheet has gone.
std::filesystem::path ArchivedCueSheet(const std::filesystem::path& dataDirectory,
                                       const std::filesystem::path& archiveFolder,
                                       const std::string& identity);

}  // namespace snx
