// The changes a transaction has made to one catalogue file, held in memory until the commit:
// whole pages of the file as they are meant to become, and the length the file will have. Reads
// of the file during the transaction see these pages over the file's own bytes, so the file on
// disk stays exactly as the last commit left it until the journal protecting it is on disk.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <vector>

namespace snx {

class FileOverlay {
  public:
    static constexpr std::int64_t kPageBytes = 4096;

    struct ChangedPage {
        std::vector<std::uint8_t> Bytes;     // the whole page as it is meant to become
        std::vector<std::uint8_t> Original;  // the file's own bytes of it, read once
    };

    // fd: the file, read for pages not yet changed; baseSize: its length now.
    FileOverlay(int fd, std::int64_t baseSize);

    std::int64_t Size() const { return size_; }
    std::int64_t BaseSize() const { return baseSize_; }
    bool Changed() const { return !pages_.empty() || size_ != baseSize_; }
    const std::map<std::int64_t, ChangedPage>& Pages() const { return pages_; }

    // Reads up to buffer.size() bytes at offset as the file now stands; the count, -1 on error.
    std::int64_t Read(std::int64_t offset, std::span<std::uint8_t> buffer) const;
    // Changes bytes at offset, growing the file when they run past its end; false on error.
    bool Write(std::int64_t offset, std::span<const std::uint8_t> bytes);
    // Writes every changed page to file, each run of neighbouring pages by one call and the last
    // page only up to Size(); beforeRun hears each run's length just before it goes out. False
    // at the first write that fails.
    bool WriteOut(int file, const std::function<void(std::int64_t bytes)>& beforeRun = {}) const;

  private:
    std::vector<std::uint8_t>* PageForWrite(std::int64_t page);

    int fd_;
    std::int64_t baseSize_;
    std::int64_t size_;
    std::map<std::int64_t, ChangedPage> pages_;
};

}  // namespace snx
