#include "player/cdrom_drive.h"

#include <cdio/cdio.h>
#include <cdio/mmc.h>

#include <chrono>

#include "player/cdio_disc.h"

namespace snx {

CdromDrive::CdromDrive(std::string device, Clock& clock, AudioOutputFactory outputFactory)
    : device_(std::move(device)),
      player_(clock, std::move(outputFactory), [this] { return OpenParanoiaReader(device_); }),
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
            cdio_close_tray(device_.c_str(), nullptr);
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
            player_.SetDisc(disc_);
        }
        wake_.wait_for(lock, std::chrono::seconds(1),
                       [&] { return quit_ || request_ != TrayRequest::None; });
    }
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
    if (!disc) {
        return status;
    }
    const DiscPlayer::State state = player_.Snapshot();
    status.Mode = state.Mode;
    status.Position = state.Position;
    status.MediaPresent = true;
    status.Disc = disc;
    return status;
}

std::uint32_t CdromDrive::Play(Lba from, Lba to) {
    return player_.Play(from, to);
}

std::uint32_t CdromDrive::Pause() {
    return player_.Pause();
}

std::uint32_t CdromDrive::Resume() {
    return player_.Resume();
}

std::uint32_t CdromDrive::Stop() {
    return player_.Stop();
}

std::uint32_t CdromDrive::Seek(Lba to) {
    return player_.Seek(to);
}

std::uint32_t CdromDrive::RequestTray(TrayRequest request) {
    player_.Stop();
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

void CdromDrive::SetGains(double left, double right) {
    player_.SetGains(left, right);
}

}  // namespace snx
