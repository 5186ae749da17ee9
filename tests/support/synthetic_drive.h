// A drive whose discs are made in memory: the real disc player (reader and output threads) on a
// virtual clock, without image files, so a test can put thousands of discs in it cheaply.
#pragma once

#include <memory>
#include <mutex>

#include "audio/null_output.h"
#include "cd/player_drive.h"
#include "tests/support/image_generator.h"

namespace snx::test {

// Every sector of the disc as the generated images have it: its pattern.
class PatternReader final : public SectorReader {
  public:
    bool Read(Lba sector, std::span<std::int16_t> out) override {
        for (std::size_t i = 0; i + 1 < out.size(); i += 2) {
            out[i] = PatternLeft(sector);
            out[i + 1] = PatternRight(sector);
        }
        return true;
    }
};

class SyntheticDrive final : public PlayerDrive {
  public:
    explicit SyntheticDrive(Clock& clock)
        : PlayerDrive(
              clock, [&clock] { return std::make_unique<NullOutput>(clock); },
              [this] { return OpenReader(); }) {}

    // Puts the disc in and closes the tray; readers read it (null: the pattern).
    void Insert(std::shared_ptr<const DiscInfo> disc, SectorReaderFactory readers = nullptr) {
        {
            std::lock_guard lock(mutex_);
            readers_ = std::move(readers);
        }
        trayOpen_ = false;
        disc_ = std::move(disc);
        Player().SetDisc(disc_);
    }

    std::string Label() const override { return "synthetic"; }
    DriveStatus Status() override {
        if (trayOpen_) {
            DriveStatus status;
            status.Mode = CdMode::Open;
            return status;
        }
        return LoadedStatus(disc_);
    }
    std::uint32_t OpenTray() override {
        trayOpen_ = true;
        Player().SetDisc(nullptr);
        return kDeviceOk;
    }
    std::uint32_t CloseTray() override {
        trayOpen_ = false;
        Player().SetDisc(disc_);
        return kDeviceOk;
    }

  private:
    // On the reader thread.
    std::unique_ptr<SectorReader> OpenReader() {
        SectorReaderFactory readers;
        {
            std::lock_guard lock(mutex_);
            readers = readers_;
        }
        return readers ? readers() : std::make_unique<PatternReader>();
    }

    bool trayOpen_ = false;
    std::shared_ptr<const DiscInfo> disc_;
    std::mutex mutex_;
    SectorReaderFactory readers_;
};

// A drive list of that one drive.
class SyntheticDrives final : public DriveList {
  public:
    explicit SyntheticDrives(Clock& clock) : drive_(clock) {}
    int Count() const override { return 1; }
    DriveBackend& Drive(int) override { return drive_; }
    SyntheticDrive& Only() { return drive_; }

  private:
    SyntheticDrive drive_;
};

}  // namespace snx::test
