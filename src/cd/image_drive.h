// The virtual drive: it holds a disc image, is always last in the drive list, and plays the image
// as a drive plays a disc. Opening its tray takes the disc out; closing it puts the last image
// back.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "audio/clock.h"
#include "cd/player_drive.h"

namespace snx {

// An image format libcdio does not read: Disc is null when the path is not one of its images.
struct OpenedImage {
    std::shared_ptr<const DiscInfo> Disc;
    SectorReaderFactory Readers;
};
// Told, on any thread, the name of a part of the image that cannot be read.
using UnplayableReport = std::function<void(const std::string& name)>;
using ImageOpener =
    std::function<OpenedImage(const std::string& imagePath, UnplayableReport unplayable)>;

class ImageDrive final : public PlayerDrive {
  public:
    ImageDrive(Clock& clock, AudioOutputFactory outputFactory);

    // Puts the image in and closes the tray. False when it cannot be read; the drive then keeps
    // what it held.
    bool Insert(const std::string& imagePath);
    std::string ImagePath() const;
    // Tried before libcdio on every image put in.
    void SetImageOpener(ImageOpener opener) { opener_ = std::move(opener); }

    std::string Label() const override;
    DriveStatus Status() override;
    std::uint32_t OpenTray() override;
    std::uint32_t CloseTray() override;
    std::string TakeUnplayable() override;

  private:
    bool Load();
    OpenedImage Open(const std::string& path);
    std::unique_ptr<SectorReader> OpenReader() const;

    mutable std::mutex mutex_;  // the path, read by the reader thread, and the unplayable parts
    std::string path_;
    std::deque<std::string> unplayable_;
    SectorReaderFactory readers_;  // null: libcdio reads the image
    ImageOpener opener_;
    bool trayOpen_ = false;
    std::shared_ptr<const DiscInfo> disc_;
};

}  // namespace snx
