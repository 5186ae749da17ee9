// What a real drive and the virtual drive share: their disc plays through a DiscPlayer, so the
// transport requests and the status of what is heard are the same for both.
#pragma once

#include <memory>

#include "audio/clock.h"
#include "cd/disc_player.h"
#include "cd/drive_backend.h"

namespace snx {

class PlayerDrive : public DriveBackend {
  public:
    std::uint32_t Play(Lba from, Lba to) final { return player_.Play(from, to); }
    std::uint32_t Pause() final { return player_.Pause(); }
    std::uint32_t Resume() final { return player_.Resume(); }
    std::uint32_t Stop() final { return player_.Stop(); }
    std::uint32_t Seek(Lba to) final { return player_.Seek(to); }
    void SetGains(double left, double right) final { player_.SetGains(left, right); }
    void SetPcmTap(std::shared_ptr<PcmTap> tap) final { player_.SetPcmTap(std::move(tap)); }

  protected:
    PlayerDrive(Clock& clock, AudioOutputFactory outputFactory, SectorReaderFactory readerFactory)
        : player_(clock, std::move(outputFactory), std::move(readerFactory)) {}

    // The status of a drive whose tray is closed and that holds disc (null when it holds none).
    DriveStatus LoadedStatus(std::shared_ptr<const DiscInfo> disc) {
        DriveStatus status;
        if (!disc) {
            return status;
        }
        const DiscPlayer::State state = player_.Snapshot();
        status.Mode = state.Mode;
        status.Position = state.Position;
        status.PlayEnded = state.PlayEnded;
        status.MediaPresent = true;
        status.Disc = std::move(disc);
        return status;
    }

    DiscPlayer& Player() { return player_; }

  private:
    DiscPlayer player_;
};

}  // namespace snx
