// Whole-file replacement: the new contents go to a temporary file in the same directory, are
// flushed to disk, and only then renamed over the old file, so a failure leaves the old file whole.
// A file reached through symbolic links is replaced where the links lead, and the links stay.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace snx {

class FileWriteError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Streams a replacement file. Nothing is visible at the target until Commit(); destroying an
// uncommitted writer removes the temporary file.
class AtomicFileWriter {
  public:
    // Throws FileWriteError when the temporary file cannot be created.
    explicit AtomicFileWriter(std::filesystem::path target);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Throws FileWriteError when the bytes cannot be written.
    void Write(std::span<const std::uint8_t> bytes);
    void Write(std::string_view text);
    // Flushes, closes and renames the temporary file over the target. Throws FileWriteError.
    void Commit();

    const std::filesystem::path& Target() const { return target_; }

  private:
    void Abandon() noexcept;

    std::filesystem::path target_;
    std::filesystem::path replaced_;  // the target with its links followed
    std::filesystem::path temporary_;
    int fd_ = -1;
};

// Replaces the file at target with contents. Throws FileWriteError; the old file stays intact.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view contents);

// The file that path names once the symbolic links at its end are followed (a relative link from
// its own directory); the path itself when it is no link. What replaces a file whole goes here,
// so a user's link to a file kept elsewhere stays a link.
std::filesystem::path FollowLinks(const std::filesystem::path& path);

}  // namespace snx
