#include "cd/image_drive.h"

#include <filesystem>

#include "cd/cdio_disc.h"

namespace snx {

ImageDrive::ImageDrive(Clock& clock, AudioOutputFactory outputFactory)
    : PlayerDrive(clock, std::move(outputFactory),
                  [this] { return OpenImageReader(ImagePath()); }) {}

bool ImageDrive::Insert(const std::string& imagePath) {
    // Read before anything changes: an unreadable image leaves the drive as it was.
    const CdioHandle cdio = imagePath.empty() ? nullptr : OpenImage(imagePath);
    std::shared_ptr<const DiscInfo> disc = ReadDiscInfo(cdio.get());
    if (disc == nullptr) {
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        path_ = imagePath;
    }
    trayOpen_ = false;
    disc_ = std::move(disc);
    Player().SetDisc(disc_);
    return true;
}

bool ImageDrive::Load() {
    const std::string path = ImagePath();
    const CdioHandle cdio = path.empty() ? nullptr : OpenImage(path);
    disc_ = ReadDiscInfo(cdio.get());
    Player().SetDisc(disc_);
    return disc_ != nullptr;
}

std::string ImageDrive::ImagePath() const {
    std::lock_guard lock(mutex_);
    return path_;
}

std::string ImageDrive::Label() const {
    const std::string path = ImagePath();
    if (path.empty()) {
        return "virtual: (empty)";
    }
    return "virtual: " + std::filesystem::path(path).filename().string();
}

DriveStatus ImageDrive::Status() {
    DriveStatus status;
    if (trayOpen_) {
        status.Mode = CdMode::Open;
        return status;
    }
    return LoadedStatus(disc_);
}

std::uint32_t ImageDrive::OpenTray() {
    trayOpen_ = true;
    disc_ = nullptr;
    Player().SetDisc(nullptr);
    return kDeviceOk;
}

std::uint32_t ImageDrive::CloseTray() {
    trayOpen_ = false;
    Load();
    return kDeviceOk;
}

}  // namespace snx
