// A thin wrapper over a POSIX file descriptor for the catalogue's binary files: positioned reads
// and writes that either move every byte asked for or report failure. Other files are written
// straight through. "disc.DAT", "disc.IX" and "disc.VLF" are opened under a catalogue scope: their
// writes go to the transaction and reach the file when it commits, and reads see them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "store/file_stamp.h"

struct stat;

namespace snx {

class CatalogueScope;
class FileOverlay;

class RawFile {
  public:
    enum class Access { Read, Write, ReadWrite };

    RawFile();
    ~RawFile();
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;
    RawFile(RawFile&& other) noexcept;
    RawFile& operator=(RawFile&& other) noexcept;

    // Opens an existing file. False when it is missing or cannot be opened.
    bool Open(const std::filesystem::path& path, Access access);
    // Creates a file that does not exist yet (never truncates an existing one), read-write.
    bool CreateNew(const std::filesystem::path& path);
    // Creates the file or empties an existing one, read-write.
    bool CreateOrTruncate(const std::filesystem::path& path);
    // Opens an existing file for writing at its end; false when it does not exist.
    bool OpenAppend(const std::filesystem::path& path);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    // Takes an advisory lock without waiting (exclusive, or shared); false when another holds it.
    bool TryLock(bool exclusive);

    // The file's status (fstat); false when closed or on error.
    bool Stat(struct stat& status) const;
    // The file's stamp as Open found it (empty for a file made or not open), so that a cache is
    // checked against it without asking the system again.
    const FileStamp& OpenedAs() const { return opened_; }
    // The file's stamp now; for a catalogue file as its scope saw it, since the file changes
    // only when the scope commits. False when closed or on error.
    bool CurrentStamp(FileStamp& stamp) const;
    // The file's current length in bytes, -1 when it cannot be determined.
    std::int64_t Size() const;
    // Reads exactly buffer.size() bytes at offset; false on a short read or an error.
    bool ReadAt(std::int64_t offset, std::span<std::uint8_t> buffer) const;
    // Reads up to buffer.size() bytes at offset; the count read, -1 on error.
    std::int64_t ReadSomeAt(std::int64_t offset, std::span<std::uint8_t> buffer) const;
    // Writes every byte at offset; false on error.
    bool WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes);
    // Writes every byte at the current position (files opened with OpenAppend or created).
    bool Append(std::span<const std::uint8_t> bytes);
    // Reads up to buffer.size() bytes from the current position; the count, -1 on error.
    std::int64_t ReadNext(std::span<std::uint8_t> buffer);

    // For a new file that no one else reads until this object closes it (a rebuild's set):
    // writes are kept in memory, page by page, and written out in order, in large pieces, when
    // they reach budget bytes and at Flush or Close; reads and Size see them. A write of a large
    // piece goes straight out, and the disk is asked to start writing every few megabytes, so a
    // flush of the whole file later has little to wait for. Ignored for the catalogue's files,
    // whose writes wait for their transaction.
    void KeepWrites(std::int64_t budget);
    // Writes out what is kept; false when any write since KeepWrites failed, this write-out or
    // an earlier one (the file then lacks some of the changes made to it).
    bool Flush();

  private:
    // Creates path, opened to read and write; how is O_EXCL or O_TRUNC.
    bool Create(const std::filesystem::path& path, int how);
    // Takes the catalogue scope a catalogue file is opened under; false when refused.
    bool EnterCatalogue(const std::filesystem::path& path, bool write);
    FileOverlay* Changes() const;
    // Starts keeping writes afresh over the file as it now is.
    void KeepOver();
    // Counts bytes written out of what was kept, starting the disk's work on them now and then.
    void WroteOut(std::int64_t bytes);

    int fd_ = -1;
    bool ownsFd_ = true;  // false for a catalogue file's descriptor, kept by its directory
    bool locked_ = false;
    // For the catalogue's files: the scope held while open (its directory) and which file it is.
    std::unique_ptr<CatalogueScope> scope_;
    std::filesystem::path path_;
    int catalogueIndex_ = -1;
    // The length as last seen or written by this object, -1 when unknown. The files are ours
    // for the length of one operation, so nothing else changes it in between.
    mutable std::int64_t size_ = -1;
    FileStamp opened_;
    // KeepWrites: the writes not yet written out, over the file as written so far.
    std::unique_ptr<FileOverlay> kept_;
    std::int64_t keptBudget_ = 0;
    bool keptFailed_ = false;
    std::int64_t unstarted_ = 0;  // bytes written out since the disc was last asked to start
};

// Reads up to buffer.size() bytes at offset from fd, retrying interrupted reads; the count read
// (short at the file's end), -1 on error.
std::int64_t ReadFileAt(int fd, std::int64_t offset, std::span<std::uint8_t> buffer);
// Writes every byte at offset; false on error.
bool WriteFileAt(int fd, std::int64_t offset, std::span<const std::uint8_t> bytes);
// Writes the pieces one after another from offset, in as few system calls as it may; false on
// error.
bool WritePiecesAt(int fd, std::int64_t offset,
                   std::span<const std::span<const std::uint8_t>> pieces);

}  // namespace snx
