#include "cd/image_drive.h"

#include <filesystem>

#include "cd/cdio_disc.h"

namespace snx {

ImageDrive::ImageDrive(Clock& clock, AudioOutputFactory outputFactory)
    : PlayerDrive(clock, std::move(outputFactory), [this] { return OpenReader(); }) {}

OpenedImage ImageDrive::Open(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    if (opener_) {
        OpenedImage image = opener_(path, [this](const std::string& name) {
            std::lock_guard lock(mutex_);
            unplayable_.push_back(name);
        });
        if (image.Disc != nullptr) {
            return image;
        }
    }
    const CdioHandle cdio = OpenImage(path);
    return {ReadDiscInfo(cdio.get()), nullptr};
}

std::unique_ptr<SectorReader> ImageDrive::OpenReader() const {
    SectorReaderFactory readers;
    std::string path;
    {
        std::lock_guard lock(mutex_);
        readers = readers_;
        path = path_;
    }
    return readers ? readers() : OpenImageReader(path);
}

bool ImageDrive::Insert(const std::string& imagePath) {
    // Read before anything changes: an unreadable image leaves the drive as it was.
    OpenedImage image = Open(imagePath);
    if (image.Disc == nullptr) {
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        path_ = imagePath;
        readers_ = std::move(image.Readers);
        unplayable_.clear();
    }
    trayOpen_ = false;
    disc_ = std::move(image.Disc);
    Player().SetDisc(disc_);
    return true;
}

bool ImageDrive::Load() {
    OpenedImage image = Open(ImagePath());
    {
        std::lock_guard lock(mutex_);
        readers_ = std::move(image.Readers);
    }
    disc_ = std::move(image.Disc);
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

std::string ImageDrive::TakeUnplayable() {
    std::lock_guard lock(mutex_);
    if (unplayable_.empty()) {
        return {};
    }
    std::string name = std::move(unplayable_.front());
    unplayable_.pop_front();
    return name;
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
