#include "catalogue/catalogue_swap.h"

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "settings/file_names.h"
#include "store/status.h"
#include "store/transaction.h"
#include "util/atomic_file.h"
#include "util/text.h"

namespace snx {

namespace {

namespace fs = std::filesystem;

fs::path Named(const fs::path& dir, std::string_view base, std::string_view extension) {
    return ResolveFileName(dir, std::string(base) + std::string(extension));
}

// A file of the new set on the disk: the journal may not mark a set complete that a crash
// could still take away.
void SyncFile(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    if (!synced) {
        throw FileWriteError("cannot write " + path.string() + " to the disk");
    }
}

void SyncDirectory(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);  // not every file system can flush a directory
        ::close(fd);
    }
}

// Copies a file's bytes over another, replacing it whole (where its links lead).
void CopyWhole(const fs::path& from, const fs::path& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) {
        throw FileWriteError("cannot read " + from.string());
    }
    AtomicFileWriter writer(to);
    std::vector<char> buffer(1 << 16);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
        writer.Write(std::string_view(buffer.data(), static_cast<std::size_t>(in.gcount())));
    }
    if (in.bad()) {
        throw FileWriteError("cannot read " + from.string());
    }
    writer.Commit();
}

// A catalogue file the user keeps elsewhere through a link: the link stays, the old bytes are
// copied aside, and the new ones replace the file it leads to. A backup already there was made
// by this swap, since the swap removes the previous ones before it starts.
void FinishLinked(const fs::path& dir, std::string_view extension, const fs::path& fresh,
                  const fs::path& current) {
    if (fs::exists(current) && !fs::exists(Named(dir, data_file::kPreviousBase, extension))) {
        CopyWhole(current, dir / (std::string(data_file::kPreviousBase) + std::string(extension)));
    }
    CopyWhole(fresh, current);
    fs::remove(fresh);
}

// Moves one file of the new set into place. Each state it passes through is recognised by the
// next call: old in place and new waiting; old moved aside; new in place.
void FinishOne(const fs::path& dir, std::string_view extension) {
    const fs::path fresh = Named(dir, data_file::kRebuildBase, extension);
    if (!fs::exists(fresh)) {
        return;
    }
    const fs::path current = Named(dir, data_file::kDiscBase, extension);
    if (fs::is_symlink(current)) {
        FinishLinked(dir, extension, fresh, current);
        return;
    }
    if (fs::exists(current)) {
        fs::rename(current, dir / (std::string(data_file::kPreviousBase) + std::string(extension)));
    }
    fs::rename(fresh, dir / (std::string(data_file::kDiscBase) + std::string(extension)));
}

void FinishSwap(const fs::path& dir, const SwapCheckpoint& checkpoint) {
    for (std::string_view extension : kCatalogueExtensions) {
        if (checkpoint) {
            checkpoint(extension);
        }
        FinishOne(dir, extension);
    }
    SyncDirectory(dir);
    if (checkpoint) {
        checkpoint("journal");
    }
    fs::remove(dir / kJournalName);
    SyncDirectory(dir);
}

// An interrupted rebuild leaves its new set or its own journal behind (any case).
bool SwapLeftOver(const fs::path& dir) {
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        const std::string name = UpperAscii(it->path().filename().string());
        if (name == UpperAscii(kJournalName) || name.starts_with("DISC2.")) {
            return true;
        }
    }
    return false;
}

}  // namespace

void InstallSwapRecovery() {
    static const bool installed = [] {
        SetRecoveryStep({SwapLeftOver, [](const fs::path& dir) {
                             try {
                                 RecoverCatalogueSwap(dir);
                             } catch (const std::exception& error) {
                                 ReportFailure(
                                     std::string("Cannot finish the interrupted rebuild: ") +
                                     error.what());
                             }
                         }});
        return true;
    }();
    (void)installed;
}

void RemoveRebuildFiles(const fs::path& dataDirectory) {
    for (std::string_view extension : kCatalogueExtensions) {
        std::error_code ignored;
        fs::remove(Named(dataDirectory, data_file::kRebuildBase, extension), ignored);
    }
}

void SwapInRebuiltCatalogue(const fs::path& dataDirectory, const SwapCheckpoint& checkpoint) {
    for (std::string_view extension : kCatalogueExtensions) {
        SyncFile(Named(dataDirectory, data_file::kRebuildBase, extension));
    }
    // The backups of the previous rebuild go first: once the journal exists, recovery moves the
    // current files into their names.
    for (std::string_view extension : kCatalogueExtensions) {
        fs::remove(Named(dataDirectory, data_file::kPreviousBase, extension));
    }
    SyncDirectory(dataDirectory);
    if (checkpoint) {
        checkpoint("commit");
    }
    WriteFileAtomically(dataDirectory / kJournalName, "complete\n");
    FinishSwap(dataDirectory, checkpoint);
    // What this process kept open of the files is of the old set.
    catalogue_files::ForgetKeptFiles(dataDirectory);
}

SwapRecovery RecoverCatalogueSwap(const fs::path& dataDirectory) {
    std::error_code error;
    if (fs::exists(dataDirectory / kJournalName, error)) {
        FinishSwap(dataDirectory, {});
        return SwapRecovery::FinishedSwap;
    }
    bool discarded = false;
    for (std::string_view extension : kCatalogueExtensions) {
        const fs::path fresh = Named(dataDirectory, data_file::kRebuildBase, extension);
        if (fs::exists(fresh, error)) {
            fs::remove(fresh, error);
            discarded = true;
        }
    }
    return discarded ? SwapRecovery::DiscardedNewSet : SwapRecovery::Nothing;
}

}  // namespace snx
