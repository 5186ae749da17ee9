// A real CD drive through libcdio. A worker thread looks at the drive every second (tray, media,
// table of contents) and carries out tray requests, so no call from the user-interface thread
// waits on the drive; audio is read with paranoia by the player's reader thread.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "audio/clock.h"
#include "cd/player_drive.h"

namespace snx {

class CdromDrive final : public PlayerDrive {
  public:
    CdromDrive(std::string device, Clock& clock, AudioOutputFactory outputFactory);
    ~CdromDrive() override;

    std::string Label() const override { return device_; }
    std::uint32_t Open() override;
    DriveStatus Status() override;
    std::uint32_t OpenTray() override;
    std::uint32_t CloseTray() override;

  private:
    enum class TrayRequest { None, Open, Close };
    void WorkerLoop();
    std::uint32_t RequestTray(TrayRequest request);

    const std::string device_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    TrayRequest request_ = TrayRequest::None;
    bool looked_ = false;  // the worker has looked at the drive at least once
    bool trayOpen_ = false;
    std::shared_ptr<const DiscInfo> disc_;
    std::thread worker_;
};

}  // namespace snx
