#include "cd/cdrom_drive.h"

#include <cdio/cdio.h>
#include <cdio/mmc.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>

#include "cd/cdio_disc.h"

namespace snx {

CdromDrive::CdromDrive(std::string device, Clock& clock, AudioOutputFactory outputFactory)
    : PlayerDrive(clock, std::move(outputFactory), [this] { return OpenParanoiaReader(device_); }),
      device_(std::move(device)),

      worker_([this] { WorkerLoop(); }) {}

CdromDrive::~CdromDrive() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void CdromDrive::WorkerLoop() {
    CdioHandle cdio;
    std::unique_lock lock(mutex_);
    while (!quit_) {
        const TrayRequest request = request_;
        request_ = TrayRequest::None;
        lock.unlock();
        if (request == TrayRequest::Open) {
            if (!cdio) {
                cdio = OpenDriveDevice(device_);
            }
            _CdIo* raw = cdio.release();
            cdio_eject_media(&raw);
            cdio.reset(raw);
        } else if (request == TrayRequest::Close) {
            cdio.reset();
            CloseDriveTray(device_);
        }
        if (!cdio) {
            cdio = OpenDriveDevice(device_);
        }
        const bool trayOpen = cdio && mmc_get_tray_status(cdio.get()) == 1;
        const bool changed = !cdio || cdio_get_media_changed(cdio.get()) != 0;
        std::shared_ptr<const DiscInfo> disc;
        {
            std::lock_guard guard(mutex_);
            disc = disc_;
        }
        if (trayOpen || !cdio) {
            disc = nullptr;
        } else if (changed || !disc) {
            // A fresh handle, so the table of contents is the new disc's and not a cached one.
            cdio = OpenDriveDevice(device_);
            disc = ReadDiscInfo(cdio.get());
        }
        lock.lock();
        looked_ = true;
        trayOpen_ = trayOpen;
        if (disc != disc_) {
            disc_ = disc;
            Player().SetDisc(disc_);
        }
        wake_.wait_for(lock, std::chrono::seconds(1),
                       [&] { return quit_ || request_ != TrayRequest::None; });
    }
}

std::uint32_t CdromDrive::Open() {
    // Non-blocking, as a drive without a disc must open too.
    const int fd = ::open(device_.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) {
        return kDeviceOpenFailed;
    }
    ::close(fd);
    return kDeviceOk;
}

DriveStatus CdromDrive::Status() {
    DriveStatus status;
    std::shared_ptr<const DiscInfo> disc;
    {
        std::lock_guard lock(mutex_);
        if (!looked_) {
            return status;  // spinning up: not ready
        }
        if (trayOpen_) {
            status.Mode = CdMode::Open;
            return status;
        }
        disc = disc_;
    }
    return LoadedStatus(disc);
}

std::uint32_t CdromDrive::RequestTray(TrayRequest request) {
    Player().Stop();
    {
        std::lock_guard lock(mutex_);
        request_ = request;
    }
    wake_.notify_all();
    return kDeviceOk;
}

std::uint32_t CdromDrive::OpenTray() {
    return RequestTray(TrayRequest::Open);
}

std::uint32_t CdromDrive::CloseTray() {
    return RequestTray(TrayRequest::Close);
}

}  // namespace snx
