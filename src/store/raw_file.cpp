#include "store/raw_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <utility>
#include <vector>

#include "store/file_overlay.h"
#include "store/file_stamp.h"
#include "store/transaction.h"

namespace snx {

namespace {

// Kept writes of this size or more go straight to the file (a sample, a picture).
constexpr std::int64_t kStraightOut = 64 * 1024;
// How much a file being filled writes out before the disk is asked to start on it.
constexpr std::int64_t kStartWriting = 8 << 20;

}  // namespace

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
      opened_(std::exchange(other.opened_, {})),
      kept_(std::move(other.kept_)),
      keptBudget_(std::exchange(other.keptBudget_, 0)),
      keptFailed_(std::exchange(other.keptFailed_, false)),
      unstarted_(std::exchange(other.unstarted_, 0)) {}

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
        kept_ = std::move(other.kept_);
        keptBudget_ = std::exchange(other.keptBudget_, 0);
        keptFailed_ = std::exchange(other.keptFailed_, false);
        unstarted_ = std::exchange(other.unstarted_, 0);
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
    Flush();
    kept_.reset();
    keptFailed_ = false;
    unstarted_ = 0;
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
    if (kept_) {
        return kept_->Size();
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
    if (kept_) {
        return kept_->Read(offset, buffer);
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

bool WritePiecesAt(int fd, std::int64_t offset,
                   std::span<const std::span<const std::uint8_t>> pieces) {
    std::vector<iovec> vector;
    vector.reserve(std::min<std::size_t>(pieces.size(), IOV_MAX));
    std::size_t next = 0;
    while (next < pieces.size()) {
        vector.clear();
        for (; next < pieces.size() && vector.size() < IOV_MAX; ++next) {
            if (!pieces[next].empty()) {
                vector.push_back(
                    {const_cast<std::uint8_t*>(pieces[next].data()), pieces[next].size()});
            }
        }
        std::size_t first = 0;
        while (first < vector.size()) {
            const ssize_t n =
                ::pwritev(fd, vector.data() + first, static_cast<int>(vector.size() - first),
                          static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            offset += n;
            // A short write: go on from the first byte not written.
            for (auto left = static_cast<std::size_t>(n); left > 0;) {
                iovec& piece = vector[first];
                const std::size_t taken = std::min(left, piece.iov_len);
                piece.iov_base = static_cast<std::uint8_t*>(piece.iov_base) + taken;
                piece.iov_len -= taken;
                left -= taken;
                if (piece.iov_len == 0) {
                    ++first;
                }
            }
        }
    }
    return true;
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
    if (kept_ && static_cast<std::int64_t>(bytes.size()) < kStraightOut) {
        if (!kept_->Write(offset, bytes)) {
            keptFailed_ = true;
            return false;
        }
        return static_cast<std::int64_t>(kept_->Pages().size()) * FileOverlay::kPageBytes <
                   keptBudget_ ||
               Flush();
    }
    if (kept_ && !Flush()) {
        return false;
    }
    const bool written = WriteFileAt(fd_, offset, bytes);
    const std::int64_t end = offset + static_cast<std::int64_t>(bytes.size());
    size_ = !written ? -1 : (size_ >= 0 ? std::max(size_, end) : -1);
    if (kept_) {
        keptFailed_ = keptFailed_ || !written;
        WroteOut(static_cast<std::int64_t>(bytes.size()));
        KeepOver();
    }
    return written;
}

bool RawFile::Append(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) {
        return false;
    }
    if (catalogueIndex_ >= 0 || kept_) {
        return WriteAt(Size(), bytes);
    }
    const bool written = WriteFully(bytes, [&](const std::uint8_t* at, std::size_t size,
                                               std::size_t) { return ::write(fd_, at, size); });
    size_ = -1;  // appends go wherever the end is: look again when asked
    return written;
}

void RawFile::KeepWrites(std::int64_t budget) {
    if (fd_ < 0 || catalogueIndex_ >= 0 || kept_) {
        return;
    }
    keptBudget_ = budget;
    KeepOver();
}

bool RawFile::Flush() {
    if (!kept_ || !kept_->Changed()) {
        return !keptFailed_;
    }
    const std::int64_t size = kept_->Size();
    if (!kept_->WriteOut(fd_, [&](std::int64_t bytes) { WroteOut(bytes); })) {
        keptFailed_ = true;
    }
    size_ = keptFailed_ ? -1 : size;
    KeepOver();
    return !keptFailed_;
}

void RawFile::WroteOut(std::int64_t bytes) {
    // The disc starts on what is written while the file is still being filled, so that its
    // final flush has little left to wait for.
    unstarted_ += bytes;
    if (unstarted_ >= kStartWriting) {
        ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
        unstarted_ = 0;
    }
}

void RawFile::KeepOver() {
    kept_.reset();
    kept_ = std::make_unique<FileOverlay>(fd_, Size());
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
