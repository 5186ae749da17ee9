#include "archive/disc_archiver.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <system_error>
#include <vector>

#include "archive/archive_cue.h"
#include "archive/archive_names.h"
#include "archive/audio_crc32.h"
#include "archive/flac_track.h"
#include "util/atomic_file.h"

namespace snx {

namespace {

constexpr int kMaxRetries = 2;
constexpr int kSectorsPerChunk = 75;  // progress and encoder calls once per second of audio
constexpr std::int64_t kPairsPerSector = kSamplesPerFrame;

// The drive's stream of samples, shifted by the read offset: pair p of the disc is pair
// p + offset of what the drive delivers. Sectors outside the disc read as silence, as no drive
// reads into the lead-in or the lead-out.
class OffsetReader {
  public:
    OffsetReader(SectorReader& reader, Lba leadOut, int offset)
        : reader_(reader), leadOut_(leadOut), offset_(offset) {}

    // Fills out with pairs [first, first + out.size() / 2) of the disc. False on a read error.
    bool Read(std::int64_t first, std::span<std::int16_t> out) {
        std::int64_t pair = first + offset_;
        std::size_t at = 0;
        while (at < out.size()) {
            const std::int64_t sector = FloorDiv(pair, kPairsPerSector);
            const std::int64_t within = pair - sector * kPairsPerSector;
            const std::size_t take = std::min<std::size_t>(
                static_cast<std::size_t>(kPairsPerSector - within) * 2, out.size() - at);
            const std::span<const std::int16_t> samples = Sector(static_cast<Lba>(sector));
            if (samples.empty()) {
                return false;
            }
            std::copy_n(samples.begin() + within * 2, take, out.begin() + static_cast<long>(at));
            at += take;
            pair += static_cast<std::int64_t>(take / 2);
        }
        return true;
    }

    Lba FailedSector() const { return failed_; }

  private:
    static std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
        return a >= 0 ? a / b : -((-a + b - 1) / b);
    }

    std::span<const std::int16_t> Sector(Lba sector) {
        for (Cached& cached : cache_) {
            if (cached.Sector == sector) {
                return cached.Samples;
            }
        }
        Cached& slot = cache_[next_];
        next_ = 1 - next_;
        slot.Sector = sector;
        if (sector < kLeadInFrames || sector >= leadOut_) {
            slot.Samples.fill(0);
        } else if (!reader_.Read(sector, slot.Samples)) {
            slot.Sector = kNone;
            failed_ = sector;
            return {};
        }
        return slot.Samples;
    }

    static constexpr Lba kNone = -1000000;
    struct Cached {
        Lba Sector = kNone;
        std::array<std::int16_t, kSamplesPerFrame * 2> Samples{};
    };
    SectorReader& reader_;
    Lba leadOut_;
    int offset_;
    std::array<Cached, 2> cache_;
    int next_ = 0;
    Lba failed_ = 0;
};

struct PassResult {
    bool Ok = false;
    std::uint32_t Crc = 0;
    std::uint32_t V1 = 0;
    std::uint32_t V2 = 0;
};

// The folder itself when it is missing or empty, else "folder (2)", "(3)"...: a new archive
// never replaces the files of an earlier one.
std::filesystem::path FreeFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::path candidate = folder;
    for (int n = 2;
         std::filesystem::exists(candidate, error) && !std::filesystem::is_empty(candidate, error);
         ++n) {
        candidate =
            folder.parent_path() / (folder.filename().string() + " (" + std::to_string(n) + ")");
    }
    return candidate;
}

class Run {
  public:
    Run(const ArchiveRequest& request, const ArchiveProgressHandler& progress,
        const std::atomic<bool>& cancel)
        : request_(request),
          folder_(FreeFolder(request.Folder)),
          progress_(progress),
          cancel_(cancel) {}

    ArchiveReport Go();

  private:
    PassResult Pass(const ArchiveSpan& span, int pass, ArTrackPlace place, FlacTrackWriter* writer);
    bool CopyTrack(const ArchiveSpan& span, ArTrackPlace place, TrackReport& track);
    void Undo();

    const ArchiveRequest& request_;
    const std::filesystem::path folder_;
    const ArchiveProgressHandler& progress_;
    const std::atomic<bool>& cancel_;
    std::unique_ptr<SectorReader> reader_;
    std::unique_ptr<OffsetReader> offsetReader_;
    ArchiveReport report_;
    std::vector<std::filesystem::path> made_;
    bool madeFolder_ = false;
    std::int64_t totalSectors_ = 0;  // of every pass of the run
    std::int64_t doneSectors_ = 0;
    std::chrono::steady_clock::time_point started_;
};

PassResult Run::Pass(const ArchiveSpan& span, int pass, ArTrackPlace place,
                     FlacTrackWriter* writer) {
    PassResult result;
    const std::int64_t sectors = span.End - span.Start;
    AudioCrc32 crc;
    AccurateRipChecksum checksum(static_cast<std::uint64_t>(sectors * kPairsPerSector), place);
    std::vector<std::int16_t> chunk;
    for (std::int64_t done = 0; done < sectors;) {
        if (cancel_.load()) {
            report_.Cancelled = true;
            return result;
        }
        const std::int64_t count = std::min<std::int64_t>(kSectorsPerChunk, sectors - done);
        chunk.resize(static_cast<std::size_t>(count * kPairsPerSector * 2));
        if (!offsetReader_->Read((span.Start + done) * kPairsPerSector, chunk)) {
            report_.Error = "Cannot read sector " +
                            std::to_string(offsetReader_->FailedSector() - kLeadInFrames) +
                            " of track " + std::to_string(span.Number) + ".";
            return result;
        }
        crc.Add(chunk);
        checksum.Add(chunk);
        if (writer != nullptr && !writer->Write(chunk)) {
            report_.Error =
                "Cannot write track " + std::to_string(span.Number) + ": " + writer->Error() + ".";
            return result;
        }
        done += count;
        doneSectors_ += count;
        if (progress_) {
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
            ArchiveProgress p;
            p.Track = span.Number;
            p.Pass = pass;
            p.TrackDone = static_cast<double>(done) / static_cast<double>(sectors);
            p.TotalDone = static_cast<double>(doneSectors_) / static_cast<double>(totalSectors_);
            const double audioSeconds = static_cast<double>(doneSectors_) / kFramesPerSecond;
            p.Speed = seconds > 0 ? audioSeconds / seconds : 0;
            p.SecondsLeft = p.Speed > 0 ? static_cast<double>(totalSectors_ - doneSectors_) /
                                              kFramesPerSecond / p.Speed
                                        : 0;
            progress_(p);
        }
    }
    result = {true, crc.Value(), checksum.V1(), checksum.V2()};
    return result;
}

bool Run::CopyTrack(const ArchiveSpan& span, ArTrackPlace place, TrackReport& track) {
    const std::filesystem::path target = folder_ / track.File;
    const std::uint64_t pairs = static_cast<std::uint64_t>(track.Length) * kPairsPerSector;
    const FlacTags tags =
        TrackTags(request_.Metadata, span.Number, static_cast<int>(report_.Tracks.size()));
    PassResult test;
    if (request_.FromDrive) {
        test = Pass(span, 1, place, nullptr);
        if (!test.Ok) {
            return false;
        }
        track.Tested = true;
        track.TestCrc = test.Crc;
    }
    // Every read's CRC so far: a copy that agrees with any earlier read of the track is good,
    // so a test read that went wrong is outvoted as well as a copy that did.
    std::vector<std::uint32_t> reads;
    if (request_.FromDrive) {
        reads.push_back(test.Crc);
    }
    for (int attempt = 0;; ++attempt) {
        FlacTrackWriter writer(target, pairs, tags, request_.Metadata.Picture);
        if (!writer.Error().empty()) {
            report_.Error =
                "Cannot write track " + std::to_string(span.Number) + ": " + writer.Error() + ".";
            return false;
        }
        const PassResult copy = Pass(span, request_.FromDrive ? 2 : 1, place, &writer);
        if (!copy.Ok) {
            return false;
        }
        track.Crc = copy.Crc;
        track.ArV1 = copy.V1;
        track.ArV2 = copy.V2;
        track.CopyMatched =
            !request_.FromDrive || std::find(reads.begin(), reads.end(), copy.Crc) != reads.end();
        reads.push_back(copy.Crc);
        if (track.CopyMatched || attempt == kMaxRetries) {
            if (!writer.Finish()) {
                report_.Error = "Cannot write track " + std::to_string(span.Number) + ": " +
                                writer.Error() + ".";
                return false;
            }
            made_.push_back(target);
            return true;
        }
        // The copy differs from every read before it: copy again and say so in the log.
        ++track.Retries;
        totalSectors_ += span.End - span.Start;
    }
}

void Run::Undo() {
    std::error_code ignored;
    for (const std::filesystem::path& file : made_) {
        std::filesystem::remove(file, ignored);
    }
    std::filesystem::remove(CueSheetPath(folder_), ignored);
    if (madeFolder_) {
        std::filesystem::remove(folder_, ignored);  // only when left empty
    }
    for (TrackReport& track : report_.Tracks) {
        track.Done = false;
    }
}

ArchiveReport Run::Go() {
    const DiscInfo& disc = *request_.Disc;
    report_.Program = request_.Program;
    report_.Source = request_.Source;
    report_.FromDrive = request_.FromDrive;
    report_.ReadOffset = request_.ReadOffset;
    report_.Identity = request_.Metadata.Identity;
    report_.Ids = AccurateRipIdsOf(disc);
    report_.Folder = folder_;

    const std::vector<ArchiveSpan> spans = ArchiveSpans(disc);
    std::vector<std::string> fileNames(spans.size());
    for (std::size_t i = 0; i < spans.size(); ++i) {
        if (!spans[i].Audio) {
            continue;
        }
        TrackReport track;
        track.Number = spans[i].Number;
        track.Start = spans[i].Start;
        track.Length = spans[i].End - spans[i].Start;
        track.File = fileNames[i] =
            TrackFileName(track.Number, TrackTitle(request_.Metadata, track.Number));
        totalSectors_ += track.Length * (request_.FromDrive ? 2 : 1);
        report_.Tracks.push_back(track);
    }
    if (report_.Tracks.empty()) {
        report_.Error = "The disc has no audio track.";
        return report_;
    }
    std::error_code error;
    madeFolder_ = std::filesystem::create_directories(folder_, error);
    if (error) {
        report_.Error = "Cannot make the folder " + folder_.string() + ": " + error.message() + ".";
        return report_;
    }
    reader_ = request_.OpenReader ? request_.OpenReader() : nullptr;
    if (!reader_) {
        report_.Error = "Cannot read the disc in " + request_.Source + ".";
        Undo();
        return report_;
    }
    offsetReader_ = std::make_unique<OffsetReader>(*reader_, disc.LeadOut, request_.ReadOffset);
    started_ = std::chrono::steady_clock::now();

    int audioIndex = 0;
    for (const ArchiveSpan& span : spans) {
        if (!span.Audio) {
            continue;
        }
        TrackReport& track = report_.Tracks[static_cast<std::size_t>(audioIndex)];
        const ArTrackPlace place{audioIndex == 0,
                                 audioIndex + 1 == static_cast<int>(report_.Tracks.size())};
        ++audioIndex;
        if (!CopyTrack(span, place, track)) {
            Undo();
            return report_;
        }
        track.Done = true;
        if (progress_) {
            ArchiveProgress p;
            p.Track = track.Number;
            p.TrackDone = 1;
            p.TotalDone = static_cast<double>(doneSectors_) / static_cast<double>(totalSectors_);
            p.TrackFinished = true;
            p.Crc = track.Crc;
            progress_(p);
        }
    }
    try {
        if (const auto& picture = request_.Metadata.Picture) {
            // Beside the files too, for the desktop's media controls and file managers.
            made_.push_back(ArchiveCoverPath(folder_, picture->MimeType));
            WriteFileAtomically(
                made_.back(), std::string_view(reinterpret_cast<const char*>(picture->Data.data()),
                                               picture->Data.size()));
        }
        WriteFileAtomically(CueSheetPath(folder_),
                            CueSheetText(disc, request_.Metadata, fileNames));
    } catch (const FileWriteError& failure) {
        report_.Error = std::string("Cannot write the cue sheet: ") + failure.what() + ".";
        Undo();
    }
    return report_;
}

}  // namespace

ArchiveReport ExtractDisc(const ArchiveRequest& request, const ArchiveProgressHandler& progress,
                          const std::atomic<bool>& cancel) {
    return Run(request, progress, cancel).Go();
}

std::filesystem::path LogPath(const std::filesystem::path& folder) {
    return folder / (folder.filename().string() + ".log");
}

void WriteArchiveLog(const ArchiveReport& report) {
    WriteFileAtomically(LogPath(report.Folder), ArchiveLogText(report));
}

}  // namespace snx
