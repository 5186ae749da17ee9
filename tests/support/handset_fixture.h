// The program as main() assembles it, on a virtual clock without sound, over the virtual drive,
// in a fresh data directory. Restart() ends the program and assembles it again on the same data.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QToolButton>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "archive/flac_image.h"
#include "audio/null_output.h"
#include "catalogue/catalogue_session.h"
#include "catalogue/disc_catalogue.h"
#include "catalogue/fvlf.h"
#include "cd/cd_device.h"
#include "cd/system_drives.h"
#include "handset/handset_window.h"
#include "player/player_engine.h"
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
        AppSettings().CdromInUse = 0;  // the virtual drive: there are no real ones here
    }
    ~HandsetFixture() override { program.reset(); }

    // An error message the test never read, or a dialog it left open without saying so, is a
    // fault the test passed over.
    void TearDown() override {
        for (const std::string& error : messages.Unclaimed()) {
            ADD_FAILURE() << "an error the test did not claim: " << error;
        }
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->isVisible() && top->inherits("QDialog") && !staysOpen_.contains(top)) {
                ADD_FAILURE() << top->metaObject()->className() << " was left open";
            }
        }
    }
    // The test means this dialog to be open still when it ends.
    void StaysOpen(QWidget* dialog) { staysOpen_.append(dialog); }

    // Opens the main handset over these drives.
    void Open(DriveList& list) {
        if (&list == &drives) {
            program->Start(drives, false);
        } else {
            program->Start(list, false);
        }
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
    // Ends the program if it still runs, then assembles and starts it again, the settings and
    // the catalogue read anew. The members below refer to the new program's parts: it takes the
    // place of the old one.
    void Restart() {
        program.reset();
        program.emplace(Parts());
        Open(drives);
    }
    // One timeout of the handset's own timer, which must be running: the clock has moved on
    // already, so the tick is taken at once rather than after its interval.
    void Tick() {
        auto* timer = window->findChild<QTimer*>(QStringLiteral("Timer"));
        ASSERT_NE(timer, nullptr);
        ASSERT_TRUE(timer->isActive()) << "the handset's timer is stopped";
        const int interval = timer->interval();
        bool ran = false;
        QEventLoop loop;
        const auto tick = QObject::connect(timer, &QTimer::timeout, &loop, [&] {
            ran = true;
            loop.quit();
        });
        QTimer::singleShot(10'000, &loop, &QEventLoop::quit);  // a bound for a hung loop
        timer->setInterval(0);
        loop.exec();
        QObject::disconnect(tick);
        if (timer->interval() == 0) {
            timer->setInterval(interval);  // unless the tick set one of its own
        }
        ASSERT_TRUE(ran) << "the handset's timer did not tick";
    }

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

    // What the first start needs besides the parts: the catalogue is made on the user's Yes.
    ProgramParts FirstParts() {
        drives.VirtualDrive().SetImageOpener(OpenArchiveImage);  // as the program's drive
        messages.Answer(true);
        return Parts();
    }
    ProgramParts Parts() {
        return {dir.Path(), dir.Path(), clock,
                [this] { return std::make_unique<NullOutput>(clock); },
                [this] { clock.Advance(10'000); }};
    }

    TempDir dir;
    ScriptedMessages messages;
    VirtualClock clock;
    SystemDrives drives{{}, clock, [this] { return std::make_unique<NullOutput>(clock); }};
    std::optional<Program> program{std::in_place, FirstParts()};
    // The program's parts, by the names the tests know them. A restarted program takes the old
    // one's place, so these then name the new one's parts.
    std::optional<CdDevice>& device = program->device;
    SoundWaveBackend& waveBackend = program->waveBackend;
    std::optional<WaveDevice>& wave = program->wave;
    CatalogueSession& session = program->session;
    Tfvlf& holder = session.Holder();
    DiscCatalogue& catalogue = session.Catalogue();
    std::optional<TSnx>& window = program->window;

  private:
    QList<QPointer<QWidget>> staysOpen_;
};

}  // namespace snx::test
