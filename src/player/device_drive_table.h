// The CD device's table of contents as the catalogue reads it to make or complete a record.
#pragma once

#include "catalogue/drive_table.h"
#include "cd/cd_device.h"

namespace snx {

class DeviceDriveTable final : public DriveTable {
  public:
    explicit DeviceDriveTable(const CdDevice& device) : device_(device) {}
    std::int32_t TrackCount() const override { return device_.TrackCount; }
    Msf TrackLength(int track) const override {
        return track >= 1 && track <= device_.TrackCount
                   ? device_.TrackLength[static_cast<std::size_t>(track)]
                   : 0;
    }
    MinSec DiscTotalTime() const override { return device_.DiscTotalTime; }

  private:
    const CdDevice& device_;
};

}  // namespace snx
