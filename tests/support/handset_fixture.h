// The main handset over the virtual drive on a virtual clock, in a fresh data directory. Ticks
// are called directly; Restart() ends the program and starts it again on the same data.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QToolButton>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "audio/null_output.h"
#include "catalogue/catalogue_session.h"
#include "catalogue/disc_catalogue.h"
#include "catalogue/fvlf.h"
#include "cd/cd_device.h"
#include "cd/system_drives.h"
#include "handset/handset_window.h"
#include "player/player_engine.h"
#include "player/recording_hook.h"
#include "samples/sound_wave_backend.h"
#include "samples/wave_device.h"
#include "settings/settings.h"
#include "tests/support/image_generator.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/temp_dir.h"
#include "tests/support/virtual_clock.h"
#include "widgets/image_control.h"

namespace snx::test {

class NoDrives final : public DriveList {
  public:
    int Count() const override { return 0; }
    DriveBackend& Drive(int) override { std::abort(); }
};

// The QAction of a widget or its children with exactly this caption, or null.
inline QAction* FindAction(const QWidget& in, const char* caption) {
    for (QAction* action : in.findChildren<QAction*>()) {
        if (action->text() == QString::fromLatin1(caption)) {
            return action;
        }
    }
    return nullptr;
}

class HandsetFixture : public ::testing::Test {
  protected:
    HandsetFixture() {
        SetSettingsDirectories(dir.Path(), dir.Path());
        LoadSettings();
        AppSettings().CdromInUse = 0;  // the virtual drive: there are no real ones here
        messages.Answer(true);         // create the catalogue
        session.Prepare();
    }
    ~HandsetFixture() override {
        if (window) {
            window->close();
        }
    }

    void Open(DriveList& list) {
        device.emplace(list);
        wave.emplace(waveBackend, *device, device->LastError);
        wave->WhileWaiting = [this] { clock.Advance(10'000); };
        window.emplace(*device, catalogue, recording, *wave, false);
        window->show();
    }
    // Puts a disc of these tracks into the virtual drive.
    void LoadTracks(const std::vector<TestTrack>& tracks, const TestDiscText& text) {
        ASSERT_TRUE(drives.VirtualDrive().Insert(GenerateImage(dir.Path(), "disc", tracks, text)));
    }
    // Puts a disc of count one-minute tracks named "Song n" into the virtual drive.
    void LoadDisc(int count) {
        std::vector<TestTrack> tracks;
        for (int i = 1; i <= count; ++i) {
            TestTrack track = Track(1, 0);
            track.Title = "Song " + std::to_string(i);
            tracks.push_back(track);
        }
        LoadTracks(tracks, {"Album", "", ""});
    }
    // The disc in the drive, the handset open, and its first tick taken.
    void InsertDisc(int count) {
        LoadDisc(count);
        Open(drives);
        Tick();
    }
    // Ends the program if it still runs, then starts it again with the settings read anew.
    void Restart() {
        if (window && window->isVisible()) {
            window->close();
        }
        window.reset();
        wave.reset();
        device.reset();
        LoadSettings();
        Open(drives);
    }
    void Tick() { window->Engine().Tick(); }

    template <typename T>
    T* Child(const char* name) {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    QAction* Action(const char* caption) { return FindAction(*window, caption); }
    void Click(ImageControl* image, QPoint at, Qt::MouseButton button) {
        QMouseEvent press(QEvent::MouseButtonPress, at, image->mapToGlobal(at), button, button,
                          Qt::NoModifier);
        QApplication::sendEvent(image, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, image->mapToGlobal(at), button,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(image, &release);
    }
    bool Enabled(const char* button) { return Child<QToolButton>(button)->isEnabled(); }

    TempDir dir;
    ScriptedMessages messages;
    VirtualClock clock;
    SystemDrives drives{{}, clock, [this] { return std::make_unique<NullOutput>(clock); }};
    std::optional<CdDevice> device;
    SoundWaveBackend waveBackend{clock, [this] { return std::make_unique<NullOutput>(clock); }};
    std::optional<WaveDevice> wave;
    CatalogueSession session{dir.Path()};
    Tfvlf& holder = session.Holder();
    DiscCatalogue& catalogue = session.Catalogue();
    NoRecording recording;
    std::optional<TSnx> window;
};

}  // namespace snx::test
