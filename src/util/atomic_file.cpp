#include "util/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace snx {

namespace {

std::string Describe(const std::filesystem::path& path) {
    return path.string() + ": " + std::strerror(errno);
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::filesystem::path target)
    : target_(std::move(target)), replaced_(FollowLinks(target_)) {
    // Beside the file itself, so the rename stays within one file system.
    std::string pattern = replaced_.string() + ".tmp-XXXXXX";
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) {
        throw FileWriteError("cannot create " + Describe(pattern));
    }
    temporary_ = pattern;
    // mkstemp makes the file private; give it the permissions an ordinary new file would have.
    struct stat old {};
    const mode_t mode =
        ::stat(replaced_.c_str(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());
    ::fchmod(fd_, mode);
}

AtomicFileWriter::~AtomicFileWriter() {
    Abandon();
}

void AtomicFileWriter::Abandon() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        temporary_.clear();
    }
}

void AtomicFileWriter::Write(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) {
        throw FileWriteError("write after commit: " + target_.string());
    }
    const std::uint8_t* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(fd_, data, left);
        if (done < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileWriteError("cannot write " + Describe(temporary_));
        }
        data += done;
        left -= static_cast<std::size_t>(done);
    }
}

void AtomicFileWriter::Write(std::string_view text) {
    Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void AtomicFileWriter::Commit() {
    if (fd_ < 0) {
        throw FileWriteError("commit twice: " + target_.string());
    }
    if (::fsync(fd_) != 0) {
        throw FileWriteError("cannot flush " + Describe(temporary_));
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        throw FileWriteError("cannot close " + Describe(temporary_));
    }
    if (::rename(temporary_.c_str(), replaced_.c_str()) != 0) {
        throw FileWriteError("cannot replace " + Describe(target_));
    }
    temporary_.clear();
    // Make the rename itself durable.
    const auto directory = replaced_.has_parent_path() ? replaced_.parent_path() : ".";
    const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

void WriteFileAtomically(const std::filesystem::path& target, std::string_view contents) {
    AtomicFileWriter writer(target);
    writer.Write(contents);
    writer.Commit();
}

std::filesystem::path FollowLinks(const std::filesystem::path& path) {
    constexpr int kMostLinks = 40;  // as the kernel allows, so a loop of links ends
    std::filesystem::path current = path;
    for (int i = 0; i < kMostLinks; ++i) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error))) {
            return current;
        }
        const std::filesystem::path link = std::filesystem::read_symlink(current, error);
        if (error) {
            return current;
        }
        current = link.is_absolute() ? link : current.parent_path() / link;
    }
    return path;
}

}  // namespace snx
