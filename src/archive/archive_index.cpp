#include "archive/archive_index.h"

#include <fstream>
#include <system_error>

#include "archive/archive_cue.h"
#include "settings/file_names.h"
#include "util/atomic_file.h"

namespace snx {

namespace {

std::string IndexText(const std::map<std::string, std::filesystem::path>& folders) {
    std::string text;
    for (const auto& [identity, folder] : folders) {
        text += identity + '\t' + folder.string() + '\n';
    }
    return text;
}

}  // namespace

ArchiveIndex ArchiveIndex::Load(const std::filesystem::path& dataDirectory,
                                const std::filesystem::path& archiveFolder) {
    ArchiveIndex index;
    index.file_ = ResolveFileName(dataDirectory, kArchiveIndexName);
    std::ifstream in(index.file_, std::ios::binary);
    if (in) {
        std::string line;
        while (std::getline(in, line)) {
            const std::size_t tab = line.find('\t');
            if (tab != std::string::npos && tab > 0 && tab + 1 < line.size()) {
                index.folders_[line.substr(0, tab)] = line.substr(tab + 1);
            }
        }
        return index;
    }
    std::error_code error;
    for (std::filesystem::directory_iterator it(archiveFolder, error), end; !error && it != end;
         it.increment(error)) {
        if (!it->is_directory(error)) {
            continue;
        }
        const std::filesystem::path cue = CueSheetPath(it->path());
        const std::string identity = CueSheetIdentity(cue);
        if (identity.empty()) {
            continue;
        }
        // Of several archives of one disc, the newest is remembered, as after each archive.
        const auto known = index.folders_.find(identity);
        if (known == index.folders_.end() ||
            std::filesystem::last_write_time(cue, error) >
                std::filesystem::last_write_time(CueSheetPath(known->second), error)) {
            index.folders_[identity] = it->path();
        }
        error.clear();
    }
    if (!index.folders_.empty()) {
        try {
            WriteFileAtomically(index.file_, IndexText(index.folders_));
        } catch (const FileWriteError&) {
            // Rebuilt again at the next start; the marks are right meanwhile.
        }
    }
    return index;
}

std::filesystem::path ArchiveIndex::FolderOf(const std::string& identity) const {
    const auto found = folders_.find(identity);
    return found == folders_.end() ? std::filesystem::path() : found->second;
}

void ArchiveIndex::Remember(const std::string& identity, const std::filesystem::path& folder) {
    std::map<std::string, std::filesystem::path> folders = folders_;
    folders[identity] = folder;
    WriteFileAtomically(file_, IndexText(folders));
    folders_ = std::move(folders);
}

std::filesystem::path ArchivedCueSheet(const std::filesystem::path& dataDirectory,
                                       const std::filesystem::path& archiveFolder,
                                       const std::string& identity) {
    const std::filesystem::path folder =
        ArchiveIndex::Load(dataDirectory, archiveFolder).FolderOf(identity);
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_regular_file(CueSheetPath(folder), error)) {
        return {};
    }
    return CueSheetPath(folder);
}

}  // namespace snx
