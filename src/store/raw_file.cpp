#include "store/raw_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "store/file_stamp.h"
#include "store/transaction.h"

namespace snx {

RawFile::RawFile() = default;

RawFile::~RawFile() {
    Close();
}

RawFile::RawFile(RawFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      ownsFd_(std::exchange(other.ownsFd_, true)),
      locked_(std::exchange(other.locked_, false)),
      scope_(std::move(other.scope_)),
      path_(std::move(other.path_)),
      catalogueIndex_(std::exchange(other.catalogueIndex_, -1)),
      size_(std::exchange(other.size_, -1)),
      opened_(std::exchange(other.opened_, {})) {}

RawFile& RawFile::operator=(RawFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        ownsFd_ = std::exchange(other.ownsFd_, true);
        locked_ = std::exchange(other.locked_, false);
        scope_ = std::move(other.scope_);
        path_ = std::move(other.path_);
        catalogueIndex_ = std::exchange(other.catalogueIndex_, -1);
        size_ = std::exchange(other.size_, -1);
        opened_ = std::exchange(other.opened_, {});
    }
    return *this;
}

bool RawFile::EnterCatalogue(const std::filesystem::path& path, bool write) {
    const int index = catalogue_files::CatalogueFileIndex(path);
    if (index < 0) {
        return true;
    }
    auto scope =
        std::make_unique<CatalogueScope>(CatalogueScope::ForFile{}, path.native(),
                                         write ? CatalogueAccess::Write : CatalogueAccess::Read);
    catalogue_files::NoteOpen(scope->Failure());
    if (!scope->Held()) {
        return false;
    }
    scope_ = std::move(scope);
    path_ = path;
    catalogueIndex_ = index;
    return true;
}

FileOverlay* RawFile::Changes() const {
    return catalogueIndex_ < 0 ? nullptr : catalogue_files::Overlay(scope_->Key(), catalogueIndex_);
}

bool RawFile::Open(const std::filesystem::path& path, Access access) {
    Close();
    if (!EnterCatalogue(path, access != Access::Read)) {
        return false;
    }
    if (catalogueIndex_ >= 0) {
        // Kept open between operations by the scope's directory, looked at once per scope.
        fd_ = catalogue_files::KeptDescriptor(scope_->Key(), catalogueIndex_, path,
                                              access != Access::Read, opened_);
        ownsFd_ = false;
        size_ = opened_.Size;
        if (fd_ < 0) {
            Close();
        }
        return fd_ >= 0;
    }
    int flags = O_RDWR;
    if (access == Access::Read) {
        flags = O_RDONLY;
    } else if (access == Access::Write) {
        flags = O_WRONLY;
    }
    fd_ = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd_ >= 0) {
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
            Close();
        } else {
            size_ = st.st_size;
            opened_ = FileStamp::Of(st);
        }
    }
    if (fd_ < 0) {
        Close();
    }
    return fd_ >= 0;
}

namespace {

// A file made where a scope keeps names (and maybe descriptors) of the directory.
void ForgetWhatIsKept(const std::filesystem::path& path, bool catalogueFile) {
    const std::filesystem::path directory =
        path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
    if (!CatalogueScopeOpen(directory)) {
        return;
    }
    if (catalogueFile) {
        catalogue_files::ForgetKeptFiles(directory);
    } else {
        catalogue_files::NoteDirectoryChange(directory);
    }
}

}  // namespace

bool RawFile::CreateNew(const std::filesystem::path& path) {
    return Create(path, O_EXCL);
}

bool RawFile::CreateOrTruncate(const std::filesystem::path& path) {
    return Create(path, O_TRUNC);
}

bool RawFile::Create(const std::filesystem::path& path, int how) {
    Close();
    if (!EnterCatalogue(path, true)) {
        return false;
    }
    ForgetWhatIsKept(path, catalogueIndex_ >= 0);
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | how | O_CLOEXEC, 0666);
    size_ = 0;
    if (fd_ < 0) {
        Close();
    }
    return fd_ >= 0;
}

bool RawFile::OpenAppend(const std::filesystem::path& path) {
    Close();
    fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    return fd_ >= 0;
}

bool RawFile::TryLock(bool exclusive) {
    locked_ = fd_ >= 0 && ::flock(fd_, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0;
    return locked_;
}

void RawFile::Close() {
    if (fd_ >= 0) {
        if (locked_) {
            ::flock(fd_, LOCK_UN);  // a kept descriptor outlives this object
        }
        if (ownsFd_) {
            ::close(fd_);
        }
        fd_ = -1;
    }
    ownsFd_ = true;
    locked_ = false;
    // Last, so that the outermost scope commits with every file closed.
    catalogueIndex_ = -1;
    opened_ = {};
    scope_.reset();
}

bool RawFile::Stat(struct stat& status) const {
    return fd_ >= 0 && ::fstat(fd_, &status) == 0;
}

bool RawFile::CurrentStamp(FileStamp& stamp) const {
    if (fd_ >= 0 && !ownsFd_ && catalogue_files::KeptStamp(scope_->Key(), catalogueIndex_, stamp)) {
        return true;
    }
    struct stat status {};
    if (!Stat(status)) {
        return false;
    }
    stamp = FileStamp::Of(status);
    return true;
}

std::int64_t RawFile::Size() const {
    if (const FileOverlay* changes = Changes()) {
        return changes->Size();
    }
    struct stat st {};
    if (size_ < 0) {
        if (!Stat(st)) {
            return -1;
        }
        size_ = st.st_size;
    }
    return size_;
}

namespace {

// Repeats a read call until the buffer is full, the file ends or an error other than an
// interruption: the count read, -1 on error.
template <typename Read>
std::int64_t ReadFully(std::span<std::uint8_t> buffer, Read read) {
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t n = read(buffer.data() + done, buffer.size() - done, done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

}  // namespace

std::int64_t ReadFileAt(int fd, std::int64_t offset, std::span<std::uint8_t> buffer) {
    return ReadFully(buffer, [&](std::uint8_t* at, std::size_t size, std::size_t done) {
        return ::pread(fd, at, size, static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
    });
}

std::int64_t RawFile::ReadSomeAt(std::int64_t offset, std::span<std::uint8_t> buffer) const {
    if (fd_ < 0 || offset < 0) {
        return -1;
    }
    if (const FileOverlay* changes = Changes()) {
        return changes->Read(offset, buffer);
    }
    return ReadFileAt(fd_, offset, buffer);
}

bool RawFile::ReadAt(std::int64_t offset, std::span<std::uint8_t> buffer) const {
    return ReadSomeAt(offset, buffer) == static_cast<std::int64_t>(buffer.size());
}

namespace {

// Repeats a write call until every byte is written; false on an error other than an
// interruption, or when nothing more can be written.
template <typename Write>
bool WriteFully(std::span<const std::uint8_t> bytes, Write write) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(bytes.data() + done, bytes.size() - done, done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool WriteFileAt(int fd, std::int64_t offset, std::span<const std::uint8_t> bytes) {
    return WriteFully(bytes, [&](const std::uint8_t* at, std::size_t size, std::size_t done) {
        return ::pwrite(fd, at, size, static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
    });
}

bool RawFile::WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) {
    if (fd_ < 0 || offset < 0) {
        return false;
    }
    if (catalogueIndex_ >= 0) {
        FileOverlay* changes =
            catalogue_files::OverlayForWrite(scope_->Key(), catalogueIndex_, path_);
        return changes != nullptr && changes->Write(offset, bytes);
    }
    const bool written = WriteFileAt(fd_, offset, bytes);
    const std::int64_t end = offset + static_cast<std::int64_t>(bytes.size());
    size_ = !written ? -1 : (size_ >= 0 ? std::max(size_, end) : -1);
    return written;
}

bool RawFile::Append(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) {
        return false;
    }
    if (catalogueIndex_ >= 0) {
        return WriteAt(Size(), bytes);
    }
    const bool written = WriteFully(bytes, [&](const std::uint8_t* at, std::size_t size,
                                               std::size_t) { return ::write(fd_, at, size); });
    size_ = -1;  // appends go wherever the end is: look again when asked
    return written;
}

std::int64_t RawFile::ReadNext(std::span<std::uint8_t> buffer) {
    if (fd_ < 0) {
        return -1;
    }
    return ReadFully(buffer, [&](std::uint8_t* at, std::size_t size, std::size_t) {
        return ::read(fd_, at, size);
    });
}

}  // namespace snx
