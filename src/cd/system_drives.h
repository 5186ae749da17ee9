// The drive list of the running program: the machine's CD drives in device-name order, then the
// virtual drive.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "audio/audio_output.h"
#include "audio/clock.h"
#include "cd/cdrom_drive.h"
#include "cd/drive_backend.h"
#include "cd/image_drive.h"

namespace snx {

class SystemDrives final : public DriveList {
  public:
    // devices are the real drives' paths (ListCdDrives() in the program).
    SystemDrives(const std::vector<std::string>& devices, Clock& clock,
                 const AudioOutputFactory& outputFactory);

    int Count() const override { return static_cast<int>(cdroms_.size()) + 1; }
    DriveBackend& Drive(int index) override;

    ImageDrive& VirtualDrive() { return virtual_; }
    int VirtualDriveIndex() const override { return Count() - 1; }
    bool InsertImage(const std::string& imagePath) override { return virtual_.Insert(imagePath); }

  private:
    std::vector<std::unique_ptr<CdromDrive>> cdroms_;
    ImageDrive virtual_;
};

}  // namespace snx
