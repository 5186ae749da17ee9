// A catalogue in a fresh data directory, with scripted messages and a disc in a fake drive.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <optional>

#include "catalogue/disc_catalogue.h"
#include "settings/settings.h"
#include "store/record_file/record_file.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/stored_disc.h"
#include "tests/support/temp_dir.h"

namespace snx::test {

class FixedDrive final : public DriveTable {
  public:
    std::int32_t Count = 0;
    std::array<Msf, kMaxTracks> Lengths{};
    MinSec Total = 0;

    std::int32_t TrackCount() const override { return Count; }
    Msf TrackLength(int track) const override {
        return track >= 1 && track <= kMaxTracks ? Lengths[track - 1] : 0;
    }
    MinSec DiscTotalTime() const override { return Total; }
};

class CatalogueTest : public testing::Test {
  protected:
    CatalogueTest() {
        SetSettingsDirectories(dir_.Path(), dir_.Path());
        LoadSettings();
        InitRecordFiles(8);
        drive_.Count = 3;
        drive_.Lengths[0] = PackMsf(3, 5, 0);
        drive_.Lengths[1] = PackMsf(4, 10, 0);
        drive_.Lengths[2] = PackMsf(2, 0, 0);
        drive_.Total = 9.15;
        holder_.emplace(dir_.Path());
        catalogue_.emplace(*holder_, &drive_);
    }
    ~CatalogueTest() override {
        catalogue_.reset();
        ExitRecordFiles();
    }

    // Creates the files, answering the first question Yes.
    void CreateFiles() {
        messages_.Answer(true);
        ASSERT_TRUE(catalogue_->OpenDiscFiles());
        catalogue_->CloseDiscFiles();
    }

    // Replaces the catalogue by a new empty one.
    void EmptyCatalogue() {
        for (const char* name : {"disc.DAT", "disc.IX", "disc.VLF"}) {
            std::filesystem::remove(dir_ / name);
        }
        CreateFiles();
    }

    // The stored record of that identity; a test failure when there is none.
    DiscRecord Load(const std::string& identity) {
        DiscRecord record;
        KeySnapshot keys;
        EXPECT_GT(catalogue_->LoadDiscRecord(identity, record, holder_->catTracks, holder_->catMemo,
                                             keys),
                  0)
            << identity;
        return record;
    }

    // Stores a new disc with the given fields, two named tracks and a line of notes.
    std::int32_t AddDisc(const std::string& identity, const std::string& name,
                         const std::string& composer = "Comp", const std::string& artist = "Art") {
        return StoreDisc(*catalogue_, identity, [&](StoredDisc& stored) {
            stored.Record.Name = name;
            stored.Record.Composer = composer;
            stored.Record.Artist = artist;
            stored.Tracks.SetCell(0, 1, name + " one");
            stored.Tracks.SetCell(0, 2, name + " two");
            stored.Notes.Text = identity + "\r\nNotes of " + name + "\r\n";
        });
    }

    TempDir dir_;
    ScriptedMessages messages_;
    FixedDrive drive_;
    std::optional<Tfvlf> holder_;
    std::optional<DiscCatalogue> catalogue_;
};

}  // namespace snx::test
