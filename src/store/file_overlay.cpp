#include "store/file_overlay.h"

#include "store/raw_file.h"

#include <algorithm>
#include <cstring>

namespace snx {

FileOverlay::FileOverlay(int fd, std::int64_t baseSize)
    : fd_(fd), baseSize_(baseSize), size_(baseSize) {}

std::int64_t FileOverlay::Read(std::int64_t offset, std::span<std::uint8_t> buffer) const {
    if (offset < 0) {
        return -1;
    }
    const std::int64_t end = std::min(size_, offset + static_cast<std::int64_t>(buffer.size()));
    std::int64_t at = offset;
    while (at < end) {
        const std::int64_t page = at / kPageBytes;
        const std::int64_t within = at - page * kPageBytes;
        const std::int64_t count = std::min(kPageBytes - within, end - at);
        const std::span<std::uint8_t> out =
            buffer.subspan(static_cast<std::size_t>(at - offset), static_cast<std::size_t>(count));
        const auto changed = pages_.find(page);
        if (changed != pages_.end()) {
            std::memcpy(out.data(), changed->second.Bytes.data() + within, out.size());
        } else {
            // Unchanged bytes come from the file; past its old end they were never written.
            std::fill(out.begin(), out.end(), std::uint8_t{0});
            const std::int64_t fromBase = std::clamp<std::int64_t>(baseSize_ - at, 0, count);
            if (fromBase > 0 &&
                ReadFileAt(fd_, at, out.first(static_cast<std::size_t>(fromBase))) != fromBase) {
                return -1;
            }
        }
        at += count;
    }
    return std::max<std::int64_t>(end - offset, 0);
}

std::vector<std::uint8_t>* FileOverlay::PageForWrite(std::int64_t page) {
    auto [it, added] = pages_.try_emplace(page);
    if (added) {
        const std::int64_t start = page * kPageBytes;
        const std::int64_t fromBase = std::clamp<std::int64_t>(baseSize_ - start, 0, kPageBytes);
        std::vector<std::uint8_t>& original = it->second.Original;
        original.resize(static_cast<std::size_t>(fromBase));
        if (fromBase > 0 && ReadFileAt(fd_, start, original) != fromBase) {
            pages_.erase(it);
            return nullptr;
        }
        it->second.Bytes = original;
        it->second.Bytes.resize(static_cast<std::size_t>(kPageBytes), 0);
    }
    return &it->second.Bytes;
}

bool FileOverlay::Write(std::int64_t offset, std::span<const std::uint8_t> bytes) {
    if (offset < 0) {
        return false;
    }
    const std::int64_t end = offset + static_cast<std::int64_t>(bytes.size());
    std::int64_t at = offset;
    while (at < end) {
        const std::int64_t page = at / kPageBytes;
        const std::int64_t within = at - page * kPageBytes;
        const std::int64_t count = std::min(kPageBytes - within, end - at);
        std::vector<std::uint8_t>* bytesOfPage = PageForWrite(page);
        if (bytesOfPage == nullptr) {
            return false;
        }
        std::memcpy(bytesOfPage->data() + within, bytes.data() + (at - offset),
                    static_cast<std::size_t>(count));
        at += count;
    }
    size_ = std::max(size_, end);
    return true;
}

bool FileOverlay::WriteOut(int file,
                           const std::function<void(std::int64_t bytes)>& beforeRun) const {
    std::vector<std::span<const std::uint8_t>> run;
    std::int64_t runStart = 0;
    std::int64_t runEnd = 0;
    const auto writeRun = [&] {
        if (run.empty()) {
            return true;
        }
        if (beforeRun) {
            beforeRun(runEnd - runStart);
        }
        const bool written = WritePiecesAt(file, runStart, run);
        run.clear();
        return written;
    };
    for (const auto& [page, changed] : pages_) {
        const std::int64_t start = page * kPageBytes;
        const std::int64_t count = std::min(kPageBytes, size_ - start);
        if (count <= 0) {
            continue;
        }
        if (start != runEnd && !writeRun()) {
            return false;
        }
        if (run.empty()) {
            runStart = start;
        }
        run.emplace_back(changed.Bytes.data(), static_cast<std::size_t>(count));
        runEnd = start + count;
    }
    return writeRun();
}

}  // namespace snx
