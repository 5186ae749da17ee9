#include "store/transaction.h"

#include <fcntl.h>
#include <pthread.h>
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
    int Fd = -1;  // its own, so that forgetting the kept one leaves it be
    fs::path Path;
    std::unique_ptr<FileOverlay> Changes;

    ~OpenOverlay() {
        if (Fd >= 0) {
            ::close(Fd);
        }
    }
};

// A catalogue file's descriptor, kept open between scopes: reopening and re-examining the three
// files for every operation would cost more than the operation itself.
struct KeptFile {
    int Fd = -1;
    bool Writable = false;
    fs::path Path;
    FileStamp Stamp;          // as this scope sees the file
    std::uint64_t Scope = 0;  // the outermost scope that last looked at it (0: none)
    // The directory as it was, old enough to be trusted, when the path was last seen to name
    // this file: while it stays so, no rename or removal can have happened in it.
    std::optional<FileStamp> NamedUnder;

    void Close() {
        if (Fd >= 0) {
            ::close(Fd);
        }
        *this = {};
    }
};

}  // namespace

struct DirectoryState {
    std::string Key;  // catalogue_files::DirectoryKey
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
    // Kept between scopes, for this process only (a child made by fork opens its own).
    pid_t Owner = 0;
    std::optional<FileStamp> LockNamedUnder;
    std::array<KeptFile, kJournalFiles> Kept;
    std::uint64_t ScopeNumber = 0;  // counts outermost scopes
    FileStamp DirectoryStamp;
    bool DirectorySettled = false;  // its stamp is old enough to tell any later change
    // Names looked up in the directory (nullopt: none of any case), true while it keeps the
    // stamp they were found under; kept as whole paths in the directory written as
    // NamesDirectory.
    std::map<std::string, std::optional<fs::path>, std::less<>> Names;
    std::string NamesDirectory;
    std::optional<FileStamp> NamesUnder;
    bool Looked = false;  // DirectoryStamp is this scope's
};

namespace {

std::map<std::string, DirectoryState>& Directories() {
    static std::map<std::string, DirectoryState> directories;
    return directories;
}

// The states of absolute directories by the text callers give (states are never removed):
// asked at every scope and name lookup, so a directory seen before costs one search by text.
std::map<std::string, DirectoryState*, std::less<>>& StatesByText() {
    static std::map<std::string, DirectoryState*, std::less<>> states;
    return states;
}

DirectoryState* FindState(std::string_view directory, bool make) {
    if (directory.empty()) {
        directory = ".";
    }
    auto& byText = StatesByText();
    if (const auto it = byText.find(directory); it != byText.end()) {
        return it->second;
    }
    const fs::path path(directory);
    std::string key = catalogue_files::DirectoryKey(path);
    auto& directories = Directories();
    auto it = directories.find(key);
    if (it == directories.end()) {
        if (!make) {
            return nullptr;
        }
        it = directories.emplace(key, DirectoryState{}).first;
        it->second.Key = std::move(key);
    }
    if (path.is_absolute() && byText.size() < 64) {
        byText.emplace(std::string(directory), &it->second);
    }
    return &it->second;
}

// This process's id, asked at every outermost scope: a child made by fork learns its own.
pid_t ThisProcess() {
    static pid_t pid = [] {
        ::pthread_atfork(nullptr, nullptr, [] { pid = ::getpid(); });
        return ::getpid();
    }();
    return pid;
}

std::function<void()> g_waitHook;
RecoveryStep g_recoveryStep;
std::chrono::milliseconds g_timeout{5000};
std::string g_lastRefusal;

void ForgetKept(DirectoryState& s) {
    for (KeptFile& kept : s.Kept) {
        kept.Close();
    }
    s.NamesUnder.reset();
}

// Closes the journal: at the end of a scope it stays open, unlocked, for the next one.
void CloseLock(DirectoryState& s, bool keep = false) {
    if (s.LockFd >= 0) {
        ::flock(s.LockFd, LOCK_UN);
        if (!keep) {
            ::close(s.LockFd);
            s.LockFd = -1;
            s.LockNamedUnder.reset();
        }
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
            if (body &&
                !RollBackJournal(s.Directory, body->OriginalSizes, RegionsOf(*body), reason)) {
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

// Looks at the directory once per outermost scope: whether it is as the last look found it.
void LookAtDirectory(DirectoryState& s) {
    struct stat st {};
    if (::stat(s.Directory.c_str(), &st) != 0) {
        s.DirectoryStamp = {};
        s.DirectorySettled = false;
        return;
    }
    s.DirectoryStamp = FileStamp::Of(st);
    timespec clock{};
    ::clock_gettime(CLOCK_REALTIME, &clock);
    const std::int64_t nowNs =
        static_cast<std::int64_t>(clock.tv_sec) * 1'000'000'000 + clock.tv_nsec;
    s.DirectorySettled = nowNs - s.DirectoryStamp.ModifiedNs > kSettledNs;
}

// Whether the directory is unchanged since it was stamped, old enough to be sure of it.
bool StillNamed(const DirectoryState& s, const std::optional<FileStamp>& namedUnder) {
    return s.DirectorySettled && namedUnder && *namedUnder == s.DirectoryStamp;
}

bool NeedsRecovery(DirectoryState& s, bool journalEmpty) {
    if (!journalEmpty) {
        return true;
    }
    if (!g_recoveryStep.Pending) {
        return false;
    }
    if (StillNamed(s, s.Settled)) {
        return false;
    }
    s.Settled.reset();
    if (g_recoveryStep.Pending(s.Directory)) {
        return true;
    }
    if (s.DirectorySettled) {
        s.Settled = s.DirectoryStamp;
    }
    return false;
}

// Reads the journal's header, telling by the same read whether anything follows it: false when
// the journal is not just its header (something to roll back, or torn).
// The generation, when the header can be read, goes to generation.
bool ReadJournalHead(int fd, std::uint64_t& generation) {
    std::array<std::uint8_t, kJournalHeaderBytes + 1> head{};
    ssize_t n = 0;
    do {
        n = ::pread(fd, head.data(), head.size(), 0);
    } while (n < 0 && errno == EINTR);
    // A read stops short only at the end of the file (or a signal, which is read again).
    if (n != kJournalHeaderBytes) {
        return false;
    }
    generation =
        DecodeJournalHeader(std::span(head).first(kJournalHeaderBytes)).value_or(generation);
    return true;
}

// Opens the journal, or keeps the one still open when its name still leads to it. -1 when it
// cannot be opened; absent tells a reader that there is none and none can be made. file: the
// journal's path, when it had to be looked for.
int OpenJournal(DirectoryState& s, CatalogueAccess access, bool& absent, fs::path& file) {
    if (s.LockFd >= 0 && StillNamed(s, s.LockNamedUnder)) {
        return s.LockFd;
    }
    std::optional<fs::path> existing =
        catalogue_files::ExistingName(s.Directory, kRollbackJournalName);
    file = existing ? std::move(*existing) : s.Directory / kRollbackJournalName;
    if (s.LockFd >= 0) {
        struct stat named {};
        struct stat open {};
        if (::stat(file.c_str(), &named) == 0 && ::fstat(s.LockFd, &open) == 0 &&
            named.st_dev == open.st_dev && named.st_ino == open.st_ino) {
            return s.LockFd;
        }
        CloseLock(s);
    }
    s.LockFd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (s.LockFd < 0 && access == CatalogueAccess::Read && (errno == EROFS || errno == EACCES)) {
        // A catalogue on read-only media, or another user's: it can still be read.
        s.LockFd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        absent = s.LockFd < 0 && errno == ENOENT;
    }
    return s.LockFd;
}

// Takes the lock for an outermost scope. Empty when held, else the reason.
std::string Acquire(DirectoryState& s, CatalogueAccess access) {
    if (s.Owner != ThisProcess()) {
        // Made by fork: what the parent kept open is shared with it, locks included.
        if (s.LockFd >= 0) {
            ::close(s.LockFd);
            s.LockFd = -1;
        }
        s.LockNamedUnder.reset();
        ForgetKept(s);
        s.Owner = ThisProcess();
    }
    LookAtDirectory(s);
    s.Looked = true;
    fs::path file;
    bool absent = false;
    if (OpenJournal(s, access, absent, file) < 0) {
        if (absent) {
            s.Mode = access;  // no journal and none can be made: nobody changes these files
            ++s.ScopeNumber;
            return {};
        }
        return "Cannot open " + file.string() + ".";
    }
    s.Acquiring = true;
    const bool exclusive = access == CatalogueAccess::Write;
    bool locked = WaitForLock(s.LockFd, exclusive ? LOCK_EX : LOCK_SH);
    std::string failure;
    if (locked && NeedsRecovery(s, ReadJournalHead(s.LockFd, s.Generation))) {
        // Putting the files right needs them to ourselves for a moment.
        if (!exclusive) {
            ::flock(s.LockFd, LOCK_UN);
            locked = WaitForLock(s.LockFd, LOCK_EX);
        }
        if (locked) {
            failure = Recover(s);
            locked = exclusive || ::flock(s.LockFd, LOCK_SH) == 0;
            // Recovery may have put other files in the names.
            ForgetKept(s);
            LookAtDirectory(s);
            ReadJournalHead(s.LockFd, s.Generation);
        }
    }
    s.Acquiring = false;
    if (!failure.empty() || !locked) {
        CloseLock(s);
        return !failure.empty() ? failure : kCatalogueBusyMessage;
    }
    if (s.Seen && *s.Seen != s.Generation) {
        ForgetCaches();  // another program changed the files since this one last looked
    }
    s.Seen = s.Generation;
    s.Mode = access;
    s.LockNamedUnder.reset();
    if (s.DirectorySettled) {
        s.LockNamedUnder = s.DirectoryStamp;
    }
    ++s.ScopeNumber;
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

// Writes the pieces from offset, a crash point before each run of about runBytes of them.
bool WriteInRuns(int fd, std::int64_t offset, std::span<const std::span<const std::uint8_t>> pieces,
                 std::size_t runBytes) {
    std::size_t first = 0;
    while (first < pieces.size()) {
        std::size_t end = first;
        std::size_t bytes = 0;
        while (end < pieces.size() && (end == first || bytes < runBytes)) {
            bytes += pieces[end++].size();
        }
        CrashPoint();
        if (!WritePiecesAt(fd, offset, pieces.subspan(first, end - first))) {
            return false;
        }
        offset += static_cast<std::int64_t>(bytes);
        first = end;
    }
    return true;
}

// Writes the journal, then the files, then empties the journal. Empty when committed, else the
// reason; the files are then as before the transaction (or the journal restores them).
std::string CommitChanges(DirectoryState& s) {
    std::array<std::int64_t, kJournalFiles> originalSizes{-1, -1, -1};
    std::vector<JournalRegion> regions;
    bool changed = false;
    for (std::size_t i = 0; i < kJournalFiles; ++i) {
        const OpenOverlay* overlay = s.Overlays[i].get();
        if (overlay == nullptr || !overlay->Changes->Changed()) {
            continue;
        }
        changed = true;
        originalSizes[i] = overlay->Changes->BaseSize();
        for (const auto& [page, pageChanges] : overlay->Changes->Pages()) {
            // Pages beyond the old end have no original: cutting the file back undoes them.
            if (!pageChanges.Original.empty()) {
                regions.push_back({static_cast<std::uint8_t>(i), page * FileOverlay::kPageBytes,
                                   pageChanges.Original});
            }
        }
    }
    if (!changed) {
        return {};
    }
    const JournalPieces journal = LayOutJournalBody(originalSizes, regions);
    if (!WriteInRuns(s.LockFd, kJournalHeaderBytes, journal.Pieces, kJournalChunk) ||
        !FlushFile(s.LockFd)) {
        ::ftruncate(s.LockFd, kJournalHeaderBytes);
        return "cannot write the journal";
    }

    struct Committed {
        FileStamp Before;
        FileStamp After;
        std::size_t Index = 0;
    };
    std::vector<Committed> committed;
    std::string failure;
    for (std::size_t i = 0; i < kJournalFiles && failure.empty(); ++i) {
        const OpenOverlay* overlay = s.Overlays[i].get();
        if (overlay == nullptr || !overlay->Changes->Changed()) {
            continue;
        }
        Committed c{StampOfFd(overlay->Fd), {}};
        if (!overlay->Changes->WriteOut(overlay->Fd, [](std::int64_t) { CrashPoint(); })) {
            failure = "cannot write " + overlay->Path.filename().string();
        }
        if (failure.empty()) {
            // Started now, so the files go to the disk together rather than one flush apiece.
            ::sync_file_range(overlay->Fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        }
        c.Index = i;
        committed.push_back(std::move(c));
    }
    for (Committed& c : committed) {
        const OpenOverlay* overlay = s.Overlays[c.Index].get();
        if (failure.empty() && !FlushFile(overlay->Fd)) {
            failure = "cannot write " + overlay->Path.filename().string();
        }
        c.After = StampOfFd(overlay->Fd);
    }
    // A file this transaction first wrote was made meanwhile: its name must be on disk as well
    // before the commit makes it part of the catalogue.
    const bool made = std::any_of(originalSizes.begin(), originalSizes.end(),
                                  [](std::int64_t size) { return size == 0; });
    if (failure.empty() && made && !FlushDirectory(s.Directory)) {
        failure = "cannot flush the data directory";
    }
    if (!failure.empty()) {
        std::string reason;
        ForgetCaches();
        if (RollBackJournal(s.Directory, originalSizes, regions, reason)) {
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
    for (KeptFile& kept : s.Kept) {
        kept.Scope = 0;  // changed by the commit: looked at again at the next open
    }
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

CatalogueScope::CatalogueScope(const fs::path& dataDirectory, CatalogueAccess access) {
    Open(dataDirectory.native(), access, false);
}

CatalogueScope::CatalogueScope(ForFile, std::string_view filePath, CatalogueAccess access) {
    const std::size_t slash = filePath.rfind('/');
    std::string_view directory = ".";
    if (slash == 0) {
        directory = "/";
    } else if (slash != std::string_view::npos) {
        directory = filePath.substr(0, slash);
    }
    Open(directory, access, true);
}

void CatalogueScope::Open(std::string_view directory, CatalogueAccess access, bool forFile) {
    if (directory.empty()) {
        directory = ".";
    }
    state_ = FindState(directory, true);
    DirectoryState& s = *state_;
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
    if (s.Directory.native() != directory) {
        s.Directory = fs::path(directory);
    }
    failure_ = Acquire(s, access);
    if (failure_.empty()) {
        s.Depth = 1;
        held_ = true;
    } else {
        s.Looked = false;
    }
}

CatalogueScope::~CatalogueScope() {
    if (!held_) {
        return;
    }
    DirectoryState& s = *state_;
    if (--s.Depth > 0) {
        return;
    }
    if (s.Mode == CatalogueAccess::Write) {
        CommitReporting(s);
    }
    DropOverlays(s);
    CloseLock(s, true);
    s.Looked = false;
}

bool CatalogueScope::Commit() {
    if (!held_) {
        return false;
    }
    DirectoryState& s = *state_;
    if (s.Depth > 1 || s.Mode != CatalogueAccess::Write) {
        return true;
    }
    return CommitReporting(s);
}

std::uint64_t CatalogueScope::Generation() const {
    return state_->Generation;
}

const std::string& CatalogueScope::Key() const {
    return state_->Key;
}

bool CatalogueScopeOpen(const fs::path& dataDirectory) {
    const DirectoryState* s = FindState(dataDirectory.native(), false);
    return s != nullptr && s->Depth > 0;
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
    // Asked at every open of any file: no path objects made.
    const std::string& text = path.native();
    const std::string_view name = std::string_view(text).substr(text.find_last_of('/') + 1);
    for (std::size_t i = 0; i < kJournalFiles; ++i) {
        if (EqualsIgnoreCase(name, kJournalFileNames[i])) {
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
        FileStamp stamp;
        const int kept = KeptDescriptor(directoryKey, index, path, true, stamp);
        const int fd = kept >= 0 ? ::fcntl(kept, F_DUPFD_CLOEXEC, 0) : -1;
        if (fd < 0) {
            return nullptr;
        }
        auto overlay = std::make_unique<OpenOverlay>();
        overlay->Fd = fd;
        overlay->Path = path;
        overlay->Changes = std::make_unique<FileOverlay>(fd, stamp.Size);
        slot = std::move(overlay);
    }
    return slot->Changes.get();
}

int KeptDescriptor(const std::string& directoryKey, int index, const fs::path& path, bool write,
                   FileStamp& stamp) {
    auto& directories = Directories();
    const auto it = directories.find(directoryKey);
    if (it == directories.end() || it->second.Depth == 0) {
        return -1;
    }
    DirectoryState& s = it->second;
    KeptFile& kept = s.Kept[static_cast<std::size_t>(index)];
    if (kept.Fd >= 0 && (kept.Path.native() != path.native() || (write && !kept.Writable))) {
        kept.Close();
    }
    if (kept.Fd >= 0 && kept.Scope == s.ScopeNumber) {
        stamp = kept.Stamp;  // looked at in this scope already: only a commit changes it
        return kept.Fd;
    }
    struct stat st {};
    if (kept.Fd >= 0 && !StillNamed(s, kept.NamedUnder)) {
        // The directory changed: is the name still this file's?
        struct stat named {};
        if (::stat(path.c_str(), &named) != 0 || ::fstat(kept.Fd, &st) != 0 ||
            named.st_dev != st.st_dev || named.st_ino != st.st_ino) {
            kept.Close();
        }
    } else if (kept.Fd >= 0 && ::fstat(kept.Fd, &st) != 0) {
        kept.Close();
    }
    if (kept.Fd < 0) {
        int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        kept.Writable = fd >= 0;
        if (fd < 0 && !write && (errno == EACCES || errno == EROFS)) {
            fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        }
        if (fd < 0) {
            return -1;
        }
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return -1;
        }
        kept.Fd = fd;
        kept.Path = path;
    }
    kept.Stamp = FileStamp::Of(st);
    kept.Scope = s.ScopeNumber;
    kept.NamedUnder.reset();
    if (s.DirectorySettled) {
        kept.NamedUnder = s.DirectoryStamp;
    }
    stamp = kept.Stamp;
    return kept.Fd;
}

bool KeptStamp(const std::string& directoryKey, int index, FileStamp& stamp) {
    auto& directories = Directories();
    const auto it = directories.find(directoryKey);
    if (it == directories.end() || it->second.Depth == 0) {
        return false;
    }
    const KeptFile& kept = it->second.Kept[static_cast<std::size_t>(index)];
    if (kept.Fd < 0 || kept.Scope != it->second.ScopeNumber) {
        return false;
    }
    stamp = kept.Stamp;
    return true;
}

namespace {

// The answer of ExistingName: kept in the directory's state under a scope, else looked up into
// scratch.
const std::optional<fs::path>& FindName(const fs::path& directory, std::string_view name,
                                        std::optional<fs::path>& scratch) {
    const auto lookUp = [&]() -> std::optional<fs::path> {
        fs::path exact = directory / name;
        struct stat st {};
        if (::stat(exact.c_str(), &st) == 0) {
            return exact;
        }
        fs::path resolved = ResolveFileName(directory, name);
        if (resolved != exact) {
            return resolved;
        }
        return std::nullopt;
    };
    DirectoryState* state = FindState(directory.native(), false);
    if (state == nullptr || !state->Looked || !state->DirectorySettled) {
        return scratch = lookUp();
    }
    DirectoryState& s = *state;
    if (s.NamesUnder != s.DirectoryStamp) {
        s.Names.clear();
        s.NamesUnder = s.DirectoryStamp;
        s.NamesDirectory = directory.native();
    }
    // With or without a trailing separator, a name joined to the directory reads the same.
    const auto trimmed = [](std::string_view text) {
        return text.substr(0, std::max<std::size_t>(text.find_last_not_of('/') + 1, 1));
    };
    const bool asKept = trimmed(s.NamesDirectory) == trimmed(directory.native());
    if (const auto known = s.Names.find(name); known != s.Names.end()) {
        if (asKept || !known->second) {
            return known->second;
        }
        return scratch = directory / known->second->filename();
    }
    if (!asKept || s.Names.size() >= 64) {
        return scratch = lookUp();
    }
    return s.Names.emplace(std::string(name), lookUp()).first->second;
}

}  // namespace

std::optional<fs::path> ExistingName(const fs::path& directory, std::string_view name) {
    std::optional<fs::path> scratch;
    const std::optional<fs::path>& found = FindName(directory, name, scratch);
    return &found == &scratch ? std::move(scratch) : found;
}

bool NameExists(const fs::path& directory, std::string_view name) {
    std::optional<fs::path> scratch;
    return FindName(directory, name, scratch).has_value();
}

void ForgetKeptFiles(const fs::path& directory) {
    if (DirectoryState* s = FindState(directory.native(), false)) {
        ForgetKept(*s);
    }
}

void NoteDirectoryChange(const fs::path& directory) {
    if (DirectoryState* s = FindState(directory.native(), false)) {
        s->NamesUnder.reset();
    }
}

}  // namespace catalogue_files

}  // namespace snx
