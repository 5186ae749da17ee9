#include "cd/cdio_disc.h"

#include <cdio/cdio.h>
#include <cdio/cdtext.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <cdio/logging.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "util/bytes.h"
#include "util/text.h"

namespace snx {

namespace {

// libcdio warns on standard error about every missing file or drive; failures reach the user
// through our own results instead.
void QuietLibraryLog() {
    static std::once_flag once;
    std::call_once(once, [] { cdio_log_set_handler([](cdio_log_level_t, const char*) {}); });
}

// libcdio's open keeps shared state (its cue and toc parsers, its driver probing): two threads
// opening at once (a drive's reader and the window inserting an image, or a drive's worker)
// can fail each other's open or abort the program inside the library.
std::mutex& OpenMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string CdTextField(const cdtext_t* text, cdtext_field_t field, track_t track) {
    const char* value = cdtext_get_const(text, field, track);
    return value ? std::string(value) : std::string();
}

// Sectors of an image: 2352 bytes of little-endian 16-bit samples, left then right.
class ImageReader final : public SectorReader {
  public:
    explicit ImageReader(CdioHandle cdio) : cdio_(std::move(cdio)) {}

    bool Read(Lba sector, std::span<std::int16_t> out) override {
        if (cdio_read_audio_sectors(cdio_.get(), bytes_, sector - kLeadInFrames, 1) !=
            DRIVER_OP_SUCCESS) {
            return false;
        }
        const std::span<const std::uint8_t> in(bytes_, sizeof bytes_);
        for (std::size_t i = 0; i < out.size() && 2 * i + 1 < in.size(); ++i) {
            out[i] = GetI16(in, 2 * i);
        }
        return true;
    }

  private:
    CdioHandle cdio_;
    std::uint8_t bytes_[kBytesPerSector];
};

struct DriveCloser {
    void operator()(cdrom_drive_t* drive) const { cdio_cddap_close_no_free_cdio(drive); }
};
struct ParanoiaCloser {
    void operator()(cdrom_paranoia_t* paranoia) const { cdio_paranoia_free(paranoia); }
};

class ParanoiaReader final : public SectorReader {
  public:
    ParanoiaReader(CdioHandle cdio, std::unique_ptr<cdrom_drive_t, DriveCloser> drive,
                   std::unique_ptr<cdrom_paranoia_t, ParanoiaCloser> paranoia)
        : cdio_(std::move(cdio)), drive_(std::move(drive)), paranoia_(std::move(paranoia)) {}
    ~ParanoiaReader() override {
        paranoia_.reset();
        drive_.reset();
    }

    bool Read(Lba sector, std::span<std::int16_t> out) override {
        if (sector != next_) {
            cdio_paranoia_seek(paranoia_.get(), sector - kLeadInFrames, SEEK_SET);
        }
        // Paranoia hands back samples in host order, already corrected.
        const std::int16_t* samples = cdio_paranoia_read(paranoia_.get(), nullptr);
        if (samples == nullptr) {
            next_ = -1;
            return false;
        }
        std::copy_n(samples, std::min<std::size_t>(out.size(), kSamplesPerFrame * 2), out.begin());
        next_ = sector + 1;
        return true;
    }

  private:
    CdioHandle cdio_;
    std::unique_ptr<cdrom_drive_t, DriveCloser> drive_;
    std::unique_ptr<cdrom_paranoia_t, ParanoiaCloser> paranoia_;
    Lba next_ = -1;
};

}  // namespace

void CdioCloser::operator()(_CdIo* cdio) const {
    cdio_destroy(cdio);
}

CdioHandle OpenImage(const std::string& path) {
    QuietLibraryLog();
    const std::string extension = std::filesystem::path(path).extension().string();
    driver_id_t driver = DRIVER_UNKNOWN;
    if (EqualsIgnoreCase(extension, ".cue")) {
        driver = DRIVER_BINCUE;
    } else if (EqualsIgnoreCase(extension, ".toc")) {
        driver = DRIVER_CDRDAO;
    } else if (EqualsIgnoreCase(extension, ".nrg")) {
        driver = DRIVER_NRG;
    } else {
        return nullptr;
    }
    const std::lock_guard lock(OpenMutex());
    return CdioHandle(cdio_open(path.c_str(), driver));
}

CdioHandle OpenDriveDevice(const std::string& device) {
    QuietLibraryLog();
    const std::lock_guard lock(OpenMutex());
    return CdioHandle(cdio_open(device.c_str(), DRIVER_DEVICE));
}

void CloseDriveTray(const std::string& device) {
    QuietLibraryLog();
    // Without a driver named, libcdio tries its drivers in turn, as an open does.
    const std::lock_guard lock(OpenMutex());
    cdio_close_tray(device.c_str(), nullptr);
}

CdioHandle OpenImageOrDrive(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) {
        return OpenImage(path);
    }
    return OpenDriveDevice(path);
}

std::shared_ptr<DiscInfo> ReadDiscInfo(_CdIo* cdio) {
    if (cdio == nullptr) {
        return nullptr;
    }
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t count = cdio_get_num_tracks(cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0 ||
        count > kMaxTracks) {
        return nullptr;
    }
    auto disc = std::make_shared<DiscInfo>();
    for (track_t i = 0; i < count; ++i) {
        const auto track = static_cast<track_t>(first + i);
        const lba_t start = cdio_get_track_lba(cdio, track);
        if (start == CDIO_INVALID_LBA) {
            return nullptr;
        }
        disc->Tracks.push_back({start, cdio_get_track_format(cdio, track) == TRACK_FORMAT_AUDIO});
    }
    disc->LeadOut = cdio_get_track_lba(cdio, CDIO_CDROM_LEADOUT_TRACK);
    // Starts must rise and stay before the lead-out, or positions and lengths make no sense.
    Lba previous = -1;
    for (const TocTrack& track : disc->Tracks) {
        if (track.Start <= previous) {
            return nullptr;
        }
        previous = track.Start;
    }
    if (disc->LeadOut == CDIO_INVALID_LBA || disc->LeadOut <= previous) {
        return nullptr;
    }
    if (const cdtext_t* text = cdio_get_cdtext(cdio)) {
        disc->Text.Title = CdTextField(text, CDTEXT_FIELD_TITLE, 0);
        disc->Text.Performer = CdTextField(text, CDTEXT_FIELD_PERFORMER, 0);
        disc->Text.Songwriter = CdTextField(text, CDTEXT_FIELD_SONGWRITER, 0);
        for (track_t i = 0; i < count; ++i) {
            disc->Text.TrackTitles.push_back(
                CdTextField(text, CDTEXT_FIELD_TITLE, static_cast<track_t>(first + i)));
        }
    }
    return disc;
}

std::vector<std::string> ListCdDrives() {
    QuietLibraryLog();
    std::vector<std::string> drives;
    char** list = nullptr;
    {
        const std::lock_guard lock(OpenMutex());
        list = cdio_get_devices(DRIVER_DEVICE);
    }
    for (char** entry = list; entry != nullptr && *entry != nullptr; ++entry) {
        drives.emplace_back(*entry);
    }
    cdio_free_device_list(list);
    std::sort(drives.begin(), drives.end());
    drives.erase(std::unique(drives.begin(), drives.end()), drives.end());
    return drives;
}

std::unique_ptr<SectorReader> OpenImageReader(const std::string& path) {
    CdioHandle cdio = OpenImage(path);
    if (!cdio) {
        return nullptr;
    }
    return std::make_unique<ImageReader>(std::move(cdio));
}

std::unique_ptr<SectorReader> OpenParanoiaReader(const std::string& device) {
    CdioHandle cdio = OpenDriveDevice(device);
    if (!cdio) {
        return nullptr;
    }
    std::unique_ptr<cdrom_drive_t, DriveCloser> drive(
        cdio_cddap_identify_cdio(cdio.get(), CDDA_MESSAGE_FORGETIT, nullptr));
    if (!drive || cdio_cddap_open(drive.get()) != 0) {
        return nullptr;
    }
    std::unique_ptr<cdrom_paranoia_t, ParanoiaCloser> paranoia(cdio_paranoia_init(drive.get()));
    if (!paranoia) {
        return nullptr;
    }
    cdio_paranoia_modeset(paranoia.get(), PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    return std::make_unique<ParanoiaReader>(std::move(cdio), std::move(drive), std::move(paranoia));
}

}  // namespace snx
