// The virtual drive: it holds a disc image, is always last in the drive list, and plays the image
// as a drive plays a disc. Opening its tray takes the disc out; closing it puts the last image
// back.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "audio/clock.h"
#include "cd/player_drive.h"

namespace snx {

class ImageDrive final : public PlayerDrive {
  public:
    ImageDrive(Clock& clock, AudioOutputFactory outputFactory);

    // Puts the image in and closes the tray. False when it cannot be read; the drive then keeps
    // what it held.
    bool Insert(const std::string& imagePath);
    std::string ImagePath() const;

    std::string Label() const override;
    DriveStatus Status() override;
    std::uint32_t OpenTray() override;
    std::uint32_t CloseTray() override;

  private:
    bool Load();

    mutable std::mutex mutex_;  // the path, read by the reader thread
    std::string path_;
    bool trayOpen_ = false;
    std::shared_ptr<const DiscInfo> disc_;
};

}  // namespace snx
