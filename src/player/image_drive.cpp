#include "player/image_drive.h"

#include <filesystem>

#include "player/cdio_disc.h"

namespace snx {

ImageDrive::ImageDrive(Clock& clock, AudioOutputFactory outputFactory)
    : player_(clock, std::move(outputFactory), [this] { return OpenImageReader(ImagePath()); }) {}

bool ImageDrive::Insert(const std::string& imagePath) {
    {
        std::lock_guard lock(mutex_);
        path_ = imagePath;
    }
    trayOpen_ = false;
    return Load();
}

bool ImageDrive::Load() {
    const std::string path = ImagePath();
    const CdioHandle cdio = path.empty() ? nullptr : OpenImage(path);
    disc_ = ReadDiscInfo(cdio.get());
    player_.SetDisc(disc_);
    return disc_ != nullptr;
}

std::string ImageDrive::ImagePath() const {
    std::lock_guard lock(mutex_);
    return path_;
}

std::string ImageDrive::Label() const {
    const std::string path = ImagePath();
    if (path.empty()) {
        return "Virtual drive (empty)";
    }
    return "Virtual drive: " + std::filesystem::path(path).filename().string();
}

DriveStatus ImageDrive::Status() {
    DriveStatus status;
    if (trayOpen_) {
        status.Mode = CdMode::Open;
        return status;
    }
    if (!disc_) {
        return status;
    }
    const DiscPlayer::State state = player_.Snapshot();
    status.Mode = state.Mode;
    status.Position = state.Position;
    status.MediaPresent = true;
    status.Disc = disc_;
    return status;
}

std::uint32_t ImageDrive::Play(Lba from, Lba to) {
    return player_.Play(from, to);
}

std::uint32_t ImageDrive::Pause() {
    return player_.Pause();
}

std::uint32_t ImageDrive::Resume() {
    return player_.Resume();
}

std::uint32_t ImageDrive::Stop() {
    return player_.Stop();
}

std::uint32_t ImageDrive::Seek(Lba to) {
    return player_.Seek(to);
}

std::uint32_t ImageDrive::OpenTray() {
    trayOpen_ = true;
    disc_ = nullptr;
    player_.SetDisc(nullptr);
    return kDeviceOk;
}

std::uint32_t ImageDrive::CloseTray() {
    trayOpen_ = false;
    Load();
    return kDeviceOk;
}

void ImageDrive::SetGains(double left, double right) {
    player_.SetGains(left, right);
}

}  // namespace snx
