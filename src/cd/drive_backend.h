// The drives CdDevice can open. A backend answers every call at once: status comes from a
// snapshot its worker threads keep current, and requests are handed to those threads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/pcm_tap.h"
#include "cd/cd_types.h"
#include "cd/disc_info.h"

namespace snx {

struct DriveStatus {
    CdMode Mode = CdMode::NotReady;  // Open when the tray is out, NotReady without a readable disc
    bool MediaPresent = false;
    std::shared_ptr<const DiscInfo> Disc;  // null without a disc whose contents were read
    Lba Position = 0;                      // as heard
    // The last play request ran to its end by itself (not stopped, paused or replaced).
    bool PlayEnded = false;
};

class DriveBackend {
  public:
    virtual ~DriveBackend() = default;
    // The drive's device path, or what the virtual drive holds.
    virtual std::string Label() const = 0;
    // Whether the drive can be used at all (its device node opens); kDeviceOpenFailed if not.
    virtual std::uint32_t Open() { return kDeviceOk; }
    virtual DriveStatus Status() = 0;
    // Plays [from, to) skipping data tracks; to is clamped to the end of the disc.
    virtual std::uint32_t Play(Lba from, Lba to) = 0;
    virtual std::uint32_t Pause() = 0;
    // Refused unless paused.
    virtual std::uint32_t Resume() = 0;
    virtual std::uint32_t Stop() = 0;
    // Stops play; returns with the position in place.
    virtual std::uint32_t Seek(Lba to) = 0;
    virtual std::uint32_t OpenTray() = 0;
    virtual std::uint32_t CloseTray() = 0;
    // Linear gains 0..1 applied to the left and right samples.
    virtual void SetGains(double left, double right) = 0;
    // Every sample sent to the output while play lasts also goes to tap (null: none). A drive
    // without digital audio records nothing.
    virtual void SetPcmTap(std::shared_ptr<PcmTap> /*tap*/) {}
    // The name of a part of the disc found unreadable since the last call (it plays as
    // silence); each is told once, the oldest first. Empty when there is none.
    virtual std::string TakeUnplayable() { return {}; }
};

// The machine's drives in device-name order, the virtual drive last.
class DriveList {
  public:
    virtual ~DriveList() = default;
    virtual int Count() const = 0;
    // Requires: 0 <= index < Count().
    virtual DriveBackend& Drive(int index) = 0;
    // Every drive's label, in index order.
    std::vector<std::string> Labels() {
        std::vector<std::string> labels;
        for (int i = 0; i < Count(); ++i) {
            labels.push_back(Drive(i).Label());
        }
        return labels;
    }
    // The drive that plays disc images, or -1 when the list has none.
    virtual int VirtualDriveIndex() const { return -1; }
    // Puts a disc image in that drive. False when it cannot be read, or there is no such drive;
    // the drive then keeps what it held.
    virtual bool InsertImage(const std::string& /*imagePath*/) { return false; }
};

}  // namespace snx
