#include "store/transaction.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "settings/file_names.h"
#include "store/crash_point.h"
#include "store/file_stamp.h"
#include "store/raw_file.h"
#include "store/rollback_journal.h"
#include "store/stamped_cache.h"
#include "store/status.h"
#include "util/text.h"

namespace snx {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kJournalChunk = 64 * 1024;

struct OpenOverlay {
    int Fd = -1;
    fs::path Path;
    std::unique_ptr<FileOverlay> Changes;

    ~OpenOverlay() {
        if (Fd >= 0) {
            ::close(Fd);
        }
    }
};

struct DirectoryState {
    fs::path Directory;
    int LockFd = -1;
    int Depth = 0;
    CatalogueAccess Mode = CatalogueAccess::Read;
    bool Acquiring = false;
    std::uint64_t Generation = 0;
    std::optional<std::uint64_t> Seen;  // the generation this process's caches match
    // The directory as it was when the recovery step last found nothing to do: its remains
    // would have changed the directory since.
    std::optional<FileStamp> Settled;
    std::array<std::unique_ptr<OpenOverlay>, kJournalFiles> Overlays;
};

std::map<std::string, DirectoryState>& Directories() {
    static std::map<std::string, DirectoryState> directories;
    return directories;
}

std::function<void()> g_waitHook;
RecoveryStep g_recoveryStep;
std::chrono::milliseconds g_timeout{5000};
std::string g_lastRefusal;

void CloseLock(DirectoryState& s) {
    if (s.LockFd >= 0) {
        ::flock(s.LockFd, LOCK_UN);
        ::close(s.LockFd);
        s.LockFd = -1;
    }
}

// Waits for the lock up to the timeout; false when another program kept it.
bool WaitForLock(int fd, int operation) {
    const auto deadline = std::chrono::steady_clock::now() + g_timeout;
    for (;;) {
        if (::flock(fd, operation | LOCK_NB) == 0) {
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        if (g_waitHook) {
            g_waitHook();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::vector<std::uint8_t> ReadWhole(int fd, std::int64_t from, std::int64_t size) {
    std::vector<std::uint8_t> bytes(
        static_cast<std::size_t>(std::max<std::int64_t>(size - from, 0)));
    if (ReadFileAt(fd, from, bytes) != static_cast<std::int64_t>(bytes.size())) {
        bytes.clear();
    }
    return bytes;
}

std::int64_t SizeOf(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

bool WriteHeader(DirectoryState& s, std::uint64_t generation) {
    CrashPoint();
    return WriteFileAt(s.LockFd, 0, EncodeJournalHeader(generation));
}

// Empties the journal after the files were restored or committed: the point of no return.
bool EmptyJournal(DirectoryState& s, std::uint64_t generation) {
    if (!WriteHeader(s, generation)) {
        return false;
    }
    CrashPoint();
    return ::ftruncate(s.LockFd, kJournalHeaderBytes) == 0 && FlushFile(s.LockFd);
}

void ForgetCaches() {
    ForgetStampedCaches();
}

// Under the exclusive lock: undoes what a crash left half done. Empty when the files are sound
// to use, else the reason for the user.
std::string Recover(DirectoryState& s) {
    const std::int64_t size = SizeOf(s.LockFd);
    if (size < kJournalHeaderBytes) {
        // New, or torn while its header was first written: there was no body yet.
        s.Generation = 0;
        if (!EmptyJournal(s, 0) || !FlushDirectory(s.Directory)) {
            return "The catalogue's journal cannot be written.";
        }
    } else {
        const std::vector<std::uint8_t> all = ReadWhole(s.LockFd, 0, size);
        const std::optional<std::uint64_t> generation = DecodeJournalHeader(all);
        if (!generation) {
            return "The catalogue's journal \"disc.JNL\" cannot be read; the catalogue is left "
                   "as it is.";
        }
        s.Generation = *generation;
        if (size > kJournalHeaderBytes) {
            const std::optional<JournalBody> body = DecodeJournalBody(
                std::span(all).subspan(static_cast<std::size_t>(kJournalHeaderBytes)));
            std::string reason;
            if (body && !RollBackJournal(s.Directory, *body, reason)) {
                return "The catalogue could not be restored after an interrupted change (" +
                       reason + "); it is left as it is.";
            }
            // A torn body was never acted on: the files were not touched.
            if (!EmptyJournal(s, ++s.Generation)) {
                return "The catalogue's journal cannot be written.";
            }
            ForgetCaches();
        }
    }
    if (g_recoveryStep.Finish) {
        g_recoveryStep.Finish(s.Directory);
    }
    return {};
}

// How long a directory must have been unchanged before a look at it can be trusted by its time
// alone: a change within the same clock tick would leave the time as it was.
constexpr std::int64_t kSettledNs = 100'000'000;

bool NeedsRecovery(DirectoryState& s) {
    if (SizeOf(s.LockFd) != kJournalHeaderBytes) {
        return true;
    }
    if (!g_recoveryStep.Pending) {
        return false;
    }
    struct stat st {};
    const bool stamped = ::stat(s.Directory.c_str(), &st) == 0;
    const FileStamp now = stamped ? FileStamp::Of(st) : FileStamp{};
    if (stamped && s.Settled && *s.Settled == now) {
        return false;
    }
    s.Settled.reset();
    if (g_recoveryStep.Pending(s.Directory)) {
        return true;
    }
    timespec clock{};
    ::clock_gettime(CLOCK_REALTIME, &clock);
    const std::int64_t nowNs =
        static_cast<std::int64_t>(clock.tv_sec) * 1'000'000'000 + clock.tv_nsec;
    const std::int64_t modifiedNs =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    if (stamped && nowNs - modifiedNs > kSettledNs) {
        s.Settled = now;
    }
    return false;
}

// Takes the lock for an outermost scope. Empty when held, else the reason.
std::string Acquire(DirectoryState& s, CatalogueAccess access) {
    const fs::path file = ResolveFileName(s.Directory, kRollbackJournalName);
    s.LockFd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (s.LockFd < 0 && access == CatalogueAccess::Read && (errno == EROFS || errno == EACCES)) {
        // A catalogue on read-only media, or another user's: it can still be read.
        s.LockFd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (s.LockFd < 0 && errno == ENOENT) {
            s.Mode = access;  // no journal and none can be made: nobody changes these files
            return {};
        }
    }
    if (s.LockFd < 0) {
        return "Cannot open " + file.string() + ".";
    }
    s.Acquiring = true;
    const bool exclusive = access == CatalogueAccess::Write;
    bool locked = WaitForLock(s.LockFd, exclusive ? LOCK_EX : LOCK_SH);
    std::string failure;
    if (locked && NeedsRecovery(s)) {
        // Putting the files right needs them to ourselves for a moment.
        if (!exclusive) {
            ::flock(s.LockFd, LOCK_UN);
            locked = WaitForLock(s.LockFd, LOCK_EX);
        }
        if (locked) {
            failure = Recover(s);
            locked = exclusive || ::flock(s.LockFd, LOCK_SH) == 0;
        }
    }
    s.Acquiring = false;
    if (!failure.empty() || !locked) {
        CloseLock(s);
        return !failure.empty() ? failure : kCatalogueBusyMessage;
    }
    std::array<std::uint8_t, kJournalHeaderBytes> header{};
    if (ReadFileAt(s.LockFd, 0, header) == kJournalHeaderBytes) {
        if (const auto generation = DecodeJournalHeader(header)) {
            s.Generation = *generation;
        }
    }
    if (s.Seen && *s.Seen != s.Generation) {
        ForgetCaches();  // another program changed the files since this one last looked
    }
    s.Seen = s.Generation;
    s.Mode = access;
    return {};
}

// Turns this process's shared lock into the exclusive one, for a change made while it reads (the
// player storing a disc's volumes while a report prints). flock converts without a gap when it
// succeeds; when another program reads too, it drops the lock, which is taken again as it was.
bool Upgrade(DirectoryState& s) {
    if (s.LockFd < 0) {
        return false;  // read-only media
    }
    if (::flock(s.LockFd, LOCK_EX | LOCK_NB) == 0) {
        s.Mode = CatalogueAccess::Write;
        return true;
    }
    if (WaitForLock(s.LockFd, LOCK_SH)) {
        std::array<std::uint8_t, kJournalHeaderBytes> header{};
        const auto generation = ReadFileAt(s.LockFd, 0, header) == kJournalHeaderBytes
                                    ? DecodeJournalHeader(header)
                                    : std::nullopt;
        if (!generation || *generation != s.Generation) {
            ForgetCaches();  // changed while the lock was let go
        }
    }
    return false;
}

void DropOverlays(DirectoryState& s) {
    for (auto& overlay : s.Overlays) {
        overlay.reset();
    }
}

FileStamp StampOfFd(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? FileStamp::Of(st) : FileStamp{};
}

// Writes the journal, then the files, then empties the journal. Empty when committed, else the
// reason; the files are then as before the transaction (or the journal restores them).
std::string CommitChanges(DirectoryState& s) {
    JournalBody body;
    bool changed = false;
    for (std::size_t i = 0; i < kJournalFiles; ++i) {
        const OpenOverlay* overlay = s.Overlays[i].get();
        if (overlay == nullptr || !overlay->Changes->Changed()) {
            continue;
        }
        changed = true;
        const std::int64_t base = overlay->Changes->BaseSize();
        body.OriginalSizes[i] = base;
        for (const auto& [page, bytes] : overlay->Changes->Pages()) {
            const std::int64_t start = page * FileOverlay::kPageBytes;
            if (start >= base) {
                continue;  // beyond the old end: cutting the file back undoes it
            }
            JournalEntry entry;
            entry.File = static_cast<std::uint8_t>(i);
            entry.Offset = start;
            entry.Bytes.resize(
                static_cast<std::size_t>(std::min(FileOverlay::kPageBytes, base - start)));
            if (ReadFileAt(overlay->Fd, start, entry.Bytes) !=
                static_cast<std::int64_t>(entry.Bytes.size())) {
                return "cannot read " + overlay->Path.filename().string();
            }
            body.Entries.push_back(std::move(entry));
        }
    }
    if (!changed) {
        return {};
    }
    const std::vector<std::uint8_t> journal = EncodeJournalBody(body);
    for (std::size_t at = 0; at < journal.size(); at += kJournalChunk) {
        const std::size_t count = std::min(kJournalChunk, journal.size() - at);
        CrashPoint();
        if (!WriteFileAt(s.LockFd, kJournalHeaderBytes + static_cast<std::int64_t>(at),
                         std::span(journal).subspan(at, count))) {
            ::ftruncate(s.LockFd, kJournalHeaderBytes);
            return "cannot write the journal";
        }
    }
    if (!FlushFile(s.LockFd)) {
        ::ftruncate(s.LockFd, kJournalHeaderBytes);
        return "cannot write the journal";
    }

    struct Committed {
        FileStamp Before;
        FileStamp After;
    };
    std::vector<Committed> committed;
    std::string failure;
    for (std::size_t i = 0; i < kJournalFiles && failure.empty(); ++i) {
        const OpenOverlay* overlay = s.Overlays[i].get();
        if (overlay == nullptr || !overlay->Changes->Changed()) {
            continue;
        }
        Committed c{StampOfFd(overlay->Fd), {}};
        const std::int64_t size = overlay->Changes->Size();
        for (const auto& [page, bytes] : overlay->Changes->Pages()) {
            const std::int64_t start = page * FileOverlay::kPageBytes;
            const std::int64_t count = std::min(FileOverlay::kPageBytes, size - start);
            CrashPoint();
            if (count > 0 &&
                !WriteFileAt(overlay->Fd, start,
                             std::span(bytes).first(static_cast<std::size_t>(count)))) {
                failure = "cannot write " + overlay->Path.filename().string();
                break;
            }
        }
        if (failure.empty() && !FlushFile(overlay->Fd)) {
            failure = "cannot write " + overlay->Path.filename().string();
        }
        c.After = StampOfFd(overlay->Fd);
        committed.push_back(std::move(c));
    }
    // A file this transaction first wrote was made meanwhile: its name must be on disk as well
    // before the commit makes it part of the catalogue.
    const bool made = std::any_of(body.OriginalSizes.begin(), body.OriginalSizes.end(),
                                  [](std::int64_t size) { return size == 0; });
    if (failure.empty() && made && !FlushDirectory(s.Directory)) {
        failure = "cannot flush the data directory";
    }
    if (!failure.empty()) {
        std::string reason;
        ForgetCaches();
        if (RollBackJournal(s.Directory, body, reason)) {
            EmptyJournal(s, ++s.Generation);
            s.Seen = s.Generation;
        }
        return failure;
    }
    if (!EmptyJournal(s, ++s.Generation)) {
        // The files hold the change; the next program to lock them will undo it whole.
        ForgetCaches();
        return "cannot write the journal";
    }
    s.Seen = s.Generation;
    // What this process cached was read or written through this transaction: still true.
    for (const Committed& c : committed) {
        RestampStampedCaches(c.Before, c.After);
    }
    return {};
}

// Commits the outermost write scope's changes, telling the user when that failed.
bool CommitReporting(DirectoryState& s) {
    const std::string failure = CommitChanges(s);
    DropOverlays(s);
    if (failure.empty()) {
        return true;
    }
    ReportFailure("The catalogue could not be written (" + failure +
                  "); the last change was not made.");
    return false;
}

}  // namespace

CatalogueScope::CatalogueScope(const fs::path& dataDirectory, CatalogueAccess access,
                               bool forFile) {
    const fs::path directory = dataDirectory.empty() ? fs::path(".") : dataDirectory;
    key_ = catalogue_files::DirectoryKey(directory);
    DirectoryState& s = Directories()[key_];
    if (s.Depth > 0) {
        if (!forFile && access == CatalogueAccess::Write && s.Mode == CatalogueAccess::Read &&
            !Upgrade(s)) {
            failure_ = kCatalogueBusyMessage;
            return;
        }
        ++s.Depth;
        held_ = true;
        return;
    }
    if (s.Acquiring) {
        // Asked again while this process waits for the lock (from the wait hook): not now.
        failure_ = kCatalogueBusyMessage;
        return;
    }
    s.Directory = directory;
    failure_ = Acquire(s, access);
    if (failure_.empty()) {
        s.Depth = 1;
        held_ = true;
    }
}

CatalogueScope::~CatalogueScope() {
    if (!held_) {
        return;
    }
    DirectoryState& s = Directories()[key_];
    if (--s.Depth > 0) {
        return;
    }
    if (s.Mode == CatalogueAccess::Write) {
        CommitReporting(s);
    }
    DropOverlays(s);
    CloseLock(s);
}

bool CatalogueScope::Commit() {
    if (!held_) {
        return false;
    }
    DirectoryState& s = Directories()[key_];
    if (s.Depth > 1 || s.Mode != CatalogueAccess::Write) {
        return true;
    }
    return CommitReporting(s);
}

std::uint64_t CatalogueScope::Generation() const {
    return Directories()[key_].Generation;
}

bool CatalogueScopeOpen(const fs::path& dataDirectory) {
    const auto& directories = Directories();
    const auto it = directories.find(catalogue_files::DirectoryKey(dataDirectory));
    return it != directories.end() && it->second.Depth > 0;
}

void SetCatalogueWaitHook(std::function<void()> hook) {
    g_waitHook = std::move(hook);
}

void SetRecoveryStep(RecoveryStep step) {
    g_recoveryStep = std::move(step);
}

void SetCatalogueLockTimeout(std::chrono::milliseconds timeout) {
    g_timeout = timeout;
}

const std::string& CatalogueOpenRefusal() {
    return g_lastRefusal;
}

namespace catalogue_files {

std::string DirectoryKey(const fs::path& directory) {
    // Asked at every open; an absolute name always gives the same key.
    static std::map<std::string, std::string, std::less<>> known;
    const bool absolute = directory.is_absolute();
    if (absolute) {
        if (const auto it = known.find(directory.native()); it != known.end()) {
            return it->second;
        }
    }
    fs::path key(FileKey(directory.empty() ? fs::path(".") : directory));
    while (!key.has_filename() && key.has_relative_path()) {
        key = key.parent_path();
    }
    if (absolute && known.size() < 64) {
        known.emplace(directory.native(), key.string());
    }
    return key.string();
}

int CatalogueFileIndex(const fs::path& path) {
    const std::string name = UpperAscii(path.filename().string());
    for (std::size_t i = 0; i < kJournalFiles; ++i) {
        if (name == UpperAscii(kJournalFileNames[i])) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void NoteOpen(const std::string& refusal) {
    g_lastRefusal = refusal;
}

FileOverlay* Overlay(const std::string& directoryKey, int index) {
    auto& directories = Directories();
    const auto it = directories.find(directoryKey);
    if (it == directories.end() || it->second.Depth == 0) {
        return nullptr;
    }
    const OpenOverlay* overlay = it->second.Overlays[static_cast<std::size_t>(index)].get();
    return overlay != nullptr ? overlay->Changes.get() : nullptr;
}

FileOverlay* OverlayForWrite(const std::string& directoryKey, int index, const fs::path& path) {
    auto& directories = Directories();
    const auto it = directories.find(directoryKey);
    if (it == directories.end() || it->second.Depth == 0 ||
        it->second.Mode != CatalogueAccess::Write) {
        return nullptr;
    }
    auto& slot = it->second.Overlays[static_cast<std::size_t>(index)];
    if (!slot) {
        auto overlay = std::make_unique<OpenOverlay>();
        overlay->Fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (overlay->Fd < 0) {
            return nullptr;
        }
        overlay->Path = path;
        overlay->Changes = std::make_unique<FileOverlay>(overlay->Fd, SizeOf(overlay->Fd));
        slot = std::move(overlay);
    }
    return slot->Changes.get();
}

}  // namespace catalogue_files

}  // namespace snx
