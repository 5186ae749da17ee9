// Transactions over the catalogue's three files ("disc.DAT", "disc.IX", "disc.VLF"), shared
// safely by every program of the user that opens them (players, the catalogue tool).
//
// A scope holds the lock of "disc.JNL" for its length: shared to read, exclusive to change.
// Changes made under a write scope stay in memory (FileOverlay) until the outermost write scope
// ends or commits: then the original bytes of every region to be overwritten go to the journal,
// which is flushed before the first byte of the files changes; the files are written and flushed;
// emptying the journal is the commit. The first program to lock the files after a crash rolls
// the journal back, so every change is seen whole or not at all.
//
// Scopes nest within a process: the outermost decides the lock, and a write scope inside a read
// scope upgrades it. Opening one of the three files
// (RawFile) takes a scope of its own for as long as it is open, so no write escapes a transaction
// even where the caller took none. A lock held elsewhere is waited for a short while, the wait
// hook keeping windows alive; then the scope is not held and nothing can be read or changed.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "store/file_overlay.h"
#include "store/file_stamp.h"

namespace snx {

enum class CatalogueAccess { Read, Write };

constexpr const char* kCatalogueBusyMessage = "The catalogue is in use by another program.";

// What this process keeps of one data directory's catalogue (its lock, kept files, names).
struct DirectoryState;

class CatalogueScope {
  public:
    // A write scope inside this process's read scope upgrades its lock for the rest of the
    // outermost scope, or is refused (not held) when another program reads too.
    CatalogueScope(const std::filesystem::path& dataDirectory, CatalogueAccess access);
    // The scope of a catalogue file being opened, named by the file's own path: it joins an
    // open scope as it is.
    struct ForFile {};
    CatalogueScope(ForFile, std::string_view filePath, CatalogueAccess access);
    ~CatalogueScope();
    CatalogueScope(const CatalogueScope&) = delete;
    CatalogueScope& operator=(const CatalogueScope&) = delete;

    // False when the lock could not be had (another program kept it, or the catalogue could not
    // be restored after a crash): then Failure() says why, for the user.
    bool Held() const { return held_; }
    const std::string& Failure() const { return failure_; }

    // Commits what the transaction changed so far and keeps the lock, so that a long run of
    // changes commits in batches. Only the outermost scope commits; inner ones answer true.
    // False (reported to the user) when the commit failed and the changes were undone.
    bool Commit();

    // The catalogue's change counter as this scope sees it: it changes with every commit, by any
    // program, so data kept between scopes is stale when it differs.
    std::uint64_t Generation() const;
    // The directory's key (catalogue_files::DirectoryKey).
    const std::string& Key() const;

  private:
    void Open(std::string_view directory, CatalogueAccess access, bool forFile);

    DirectoryState* state_ = nullptr;
    bool held_ = false;
    std::string failure_;
};

// Whether this process holds a scope over the directory's catalogue now.
bool CatalogueScopeOpen(const std::filesystem::path& dataDirectory);

// Work of the files' owner that an interruption can leave half done outside the journal (whole
// files replaced by renames): Pending tells whether the directory shows its remains, Finish puts
// them right under the exclusive lock before the first scope of the directory is held.
struct RecoveryStep {
    std::function<bool(const std::filesystem::path&)> Pending;
    std::function<void(const std::filesystem::path&)> Finish;
};
void SetRecoveryStep(RecoveryStep step);

// Called every few milliseconds while a lock is waited for (the UI processes its events).
void SetCatalogueWaitHook(std::function<void()> hook);
// How long a lock is waited for before giving up; a few seconds unless set.
void SetCatalogueLockTimeout(std::chrono::milliseconds timeout);

// Why the last open of a catalogue file was refused (another program held the lock, the files
// could not be restored); empty when it was not refused.
const std::string& CatalogueOpenRefusal();

namespace catalogue_files {

// One name per data directory, however it is written (relative, with a trailing separator).
std::string DirectoryKey(const std::filesystem::path& directory);

// 0, 1 or 2 for "disc.DAT", "disc.IX" or "disc.VLF" (any case), -1 for any other file.
int CatalogueFileIndex(const std::filesystem::path& path);

// Records why an open was refused, empty when it was not.
void NoteOpen(const std::string& refusal);

// The changes of the transaction open over file index of the directory: nullptr when it has
// changed nothing there. OverlayForWrite makes one on the first change; nullptr when the scope
// only reads or the file cannot be opened.
FileOverlay* Overlay(const std::string& directoryKey, int index);
FileOverlay* OverlayForWrite(const std::string& directoryKey, int index,
                             const std::filesystem::path& path);

// The descriptor of file index for the open scope, kept open by the directory's state between
// scopes while its name still leads to it (never closed by the caller); -1 when the file cannot
// be opened (for writing when write). stamp: the file as this scope sees it.
int KeptDescriptor(const std::string& directoryKey, int index, const std::filesystem::path& path,
                   bool write, FileStamp& stamp);

// The stamp the kept file index has for the open scope; false when it has none (not opened in
// this scope, or changed by a commit since).
bool KeptStamp(const std::string& directoryKey, int index, FileStamp& stamp);

// The file of this name in the directory, matched without regard to case as ResolveFileName
// matches; nullopt when there is none. Under a scope over the directory the answer is kept
// while the directory stays as it was, so asking again costs nothing.
std::optional<std::filesystem::path> ExistingName(const std::filesystem::path& directory,
                                                  std::string_view name);
// Whether ExistingName finds a file, without making its path.
bool NameExists(const std::filesystem::path& directory, std::string_view name);

// Closes what is kept open of the directory's files, after they were replaced or removed by name
// within one scope (a rebuild putting its new set in place, new files made).
void ForgetKeptFiles(const std::filesystem::path& directory);
// Forgets the names looked up in the directory, after this process made or removed a file there
// (the directory's own stamp is looked at only once per scope).
void NoteDirectoryChange(const std::filesystem::path& directory);

}  // namespace catalogue_files

}  // namespace snx
