// What the catalogue needs to know of the disc in the drive to make a record for it.
#pragma once

#include <cstdint>

#include "util/min_sec.h"

namespace snx {

class DriveTable {
  public:
    virtual ~DriveTable() = default;
    virtual std::int32_t TrackCount() const = 0;
    // Length of track 1..99, MSF-packed; 0 beyond TrackCount.
    virtual Msf TrackLength(int track) const = 0;
    virtual MinSec DiscTotalTime() const = 0;
};

}  // namespace snx
