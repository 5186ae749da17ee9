#include "archive/flac_image.h"

#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <fstream>
#include <iostream>
#include <mutex>
#include <set>

#include "archive/archive_cue.h"

namespace snx {
namespace {

struct AudioFile {
    std::filesystem::path Path;
    Lba Start = 0;
};

// Which files failed, shared by every reader of one image so each is reported once.
struct FailureLog {
    std::mutex Mutex;
    std::set<std::string> Reported;
    FlacFailureReport Report;

    void Failed(const std::filesystem::path& file) {
        const std::string name = file.filename().string();
        {
            std::lock_guard lock(Mutex);
            if (!Reported.insert(name).second) {
                return;
            }
        }
        if (Report) {
            Report(name);
        }
    }
};

class FlacSectorReader final : public SectorReader {
  public:
    FlacSectorReader(std::vector<AudioFile> files, std::shared_ptr<FailureLog> log)
        : files_(std::move(files)), log_(std::move(log)) {}
    ~FlacSectorReader() override { Close(); }
    FlacSectorReader(const FlacSectorReader&) = delete;
    FlacSectorReader& operator=(const FlacSectorReader&) = delete;

    bool Read(Lba sector, std::span<std::int16_t> out) override {
        std::fill(out.begin(), out.end(), std::int16_t{0});
        const int file = FileAt(sector);
        if (file < 0) {
            return true;  // before the first track: silence, as a disc's pregap
        }
        if (file != current_ || sector != next_) {
            if (!Position(file, sector)) {
                Fail();
                return true;
            }
        }
        while (pending_.size() < out.size() && !failed_) {
            if (FLAC__stream_decoder_get_state(decoder_) == FLAC__STREAM_DECODER_END_OF_STREAM) {
                break;  // past the file's end: the next file starts here or this is lead-out
            }
            if (!FLAC__stream_decoder_process_single(decoder_)) {
                failed_ = true;
            }
        }
        if (failed_) {
            Fail();
            return true;
        }
        const std::size_t n = std::min(out.size(), pending_.size());
        std::copy_n(pending_.begin(), n, out.begin());
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
        next_ = sector + 1;
        return true;
    }

  private:
    int FileAt(Lba sector) const {
        int found = -1;
        for (std::size_t i = 0; i < files_.size(); ++i) {
            if (files_[i].Start <= sector) {
                found = static_cast<int>(i);
            }
        }
        return found;
    }

    bool Position(int file, Lba sector) {
        if (file != current_) {
            Close();
            current_ = file;
            failed_ = false;
            decoder_ = FLAC__stream_decoder_new();
            if (decoder_ == nullptr ||
                FLAC__stream_decoder_init_file(decoder_, files_[file].Path.c_str(), &OnWrite,
                                               nullptr, &OnError,
                                               this) != FLAC__STREAM_DECODER_INIT_STATUS_OK ||
                !FLAC__stream_decoder_process_until_end_of_metadata(decoder_)) {
                failed_ = true;
                return false;
            }
        }
        if (failed_) {
            return false;
        }
        pending_.clear();
        const auto target =
            static_cast<FLAC__uint64>(sector - files_[file].Start) * kSamplesPerFrame;
        const FLAC__uint64 total = FLAC__stream_decoder_get_total_samples(decoder_);
        if (total != 0 && target >= total) {
            next_ = -1;  // a sector past the file: silence, and seek again next time
            return true;
        }
        if (!FLAC__stream_decoder_seek_absolute(decoder_, target)) {
            failed_ = true;
            return false;
        }
        next_ = sector;
        return true;
    }

    void Fail() {
        if (current_ >= 0) {
            log_->Failed(files_[current_].Path);
        }
        next_ = -1;
    }

    void Close() {
        if (decoder_ != nullptr) {
            FLAC__stream_decoder_finish(decoder_);
            FLAC__stream_decoder_delete(decoder_);
            decoder_ = nullptr;
        }
        current_ = -1;
        pending_.clear();
    }

    static FLAC__StreamDecoderWriteStatus OnWrite(const FLAC__StreamDecoder*,
                                                  const FLAC__Frame* frame,
                                                  const FLAC__int32* const buffer[], void* client) {
        auto* self = static_cast<FlacSectorReader*>(client);
        if (frame->header.channels != 2 || frame->header.bits_per_sample != 16) {
            self->failed_ = true;
            return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
        }
        for (unsigned i = 0; i < frame->header.blocksize; ++i) {
            self->pending_.push_back(static_cast<std::int16_t>(buffer[0][i]));
            self->pending_.push_back(static_cast<std::int16_t>(buffer[1][i]));
        }
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }

    static void OnError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* client) {
        static_cast<FlacSectorReader*>(client)->failed_ = true;
    }

    std::vector<AudioFile> files_;
    std::shared_ptr<FailureLog> log_;
    FLAC__StreamDecoder* decoder_ = nullptr;
    int current_ = -1;
    Lba next_ = -1;
    bool failed_ = false;
    std::deque<std::int16_t> pending_;
};

}  // namespace

bool IsFlacCueSheet(const std::filesystem::path& cue) {
    std::string extension = cue.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension != ".cue") {
        return false;
    }
    std::ifstream in(cue, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::string lower = line;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (lower.find("file ") != std::string::npos) {
            return lower.find(".flac\"") != std::string::npos ||
                   lower.find(".flac ") != std::string::npos;
        }
    }
    return false;
}

FlacImage OpenFlacImage(const std::filesystem::path& cue, FlacFailureReport report) {
    FlacImage image;
    const ArchiveCueSheet sheet = ReadArchiveCueSheet(cue);
    if (sheet.Disc == nullptr) {
        image.Error = sheet.Error;
        return image;
    }
    std::vector<AudioFile> files;
    std::size_t next = 0;
    for (const TocTrack& track : sheet.Disc->Tracks) {
        if (track.Audio && next < sheet.Files.size()) {
            files.push_back({sheet.Files[next++], track.Start});
        }
    }
    auto log = std::make_shared<FailureLog>();
    log->Report = std::move(report);
    image.Disc = sheet.Disc;
    image.Identity = sheet.Identity;
    image.Readers = [files, log]() -> std::unique_ptr<SectorReader> {
        return std::make_unique<FlacSectorReader>(files, log);
    };
    return image;
}

OpenedImage OpenArchiveImage(const std::string& path, const UnplayableReport& unplayable) {
    if (!IsFlacCueSheet(path)) {
        return {};
    }
    FlacImage image = OpenFlacImage(path, [unplayable](const std::string& file) {
        std::cerr << "sonatrix: cannot decode " << file << "; it plays as silence\n";
        if (unplayable) {
            unplayable(file);
        }
    });
    return {image.Disc, image.Readers};
}

}  // namespace snx
