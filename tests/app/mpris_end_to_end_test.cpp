// The main handset on the session bus, driven by a real MPRIS client. Run under its own
// dbus-run-session: the bus is this test's alone.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QToolButton>
#include <functional>
#include <optional>

#include "app/mpris_service.h"
#include "app/mpris_state.h"
#include "archive/archive_cue.h"
#include "archive/disc_archiver.h"
#include "archive/flac_image.h"
#include "audio/null_output.h"
#include "catalogue/disc_catalogue.h"
#include "catalogue/fvlf.h"
#include "cd/cd_device.h"
#include "cd/cdio_disc.h"
#include "cd/system_drives.h"
#include "handset/handset_window.h"
#include "player/player_engine.h"
#include "player/recording_hook.h"
#include "settings/settings.h"
#include "tests/support/demo_image.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/temp_dir.h"
#include "tests/support/user_input.h"
#include "tests/support/virtual_clock.h"
#include "util/text.h"

namespace snx {
namespace {

constexpr int kClientWait = 20000;  // milliseconds; a bound for a hung client, not a timing

class MprisEndToEnd : public test::HandsetFixture {
  protected:
    MprisEndToEnd() {
        EXPECT_TRUE(drives.VirtualDrive().Insert(test::DemoImage().string()));
        AppSettings().CdromInUse = drives.VirtualDriveIndex();
        Open(drives);
        Tick();  // takes up the disc
        service.emplace(*window, [this](const std::string& uri) {
            opened.push_back(uri);
            return true;
        });
    }
    ~MprisEndToEnd() override { service.reset(); }

    PlayerEngine& Engine() { return window->Engine(); }
    CdDevice& Device() { return Engine().Device(); }
    int DeviceTrack() { return Device().GetCurrentTrack(); }
    double SecondsIntoTrack() {
        const int track = DeviceTrack();
        return (MsfToLba(Device().GetPosition()) -
                MsfToLba(Device().TrackStart[static_cast<std::size_t>(track)])) /
               static_cast<double>(kFramesPerSecond);
    }

    // Runs playerctl on this player while this thread's event loop answers its calls.
    QString Playerctl(const QStringList& arguments) {
        QProcess client;
        client.start(playerctl, QStringList{QStringLiteral("--player=sonatrix")} + arguments);
        EXPECT_TRUE(client.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (client.state() != QProcess::NotRunning && waited.elapsed() < kClientWait) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            client.waitForFinished(5);
        }
        EXPECT_EQ(client.exitCode(), 0) << arguments.join(QLatin1Char(' ')).toStdString() << ": "
                                        << client.readAllStandardError().toStdString();
        return QString::fromUtf8(client.readAllStandardOutput()).trimmed();
    }
    // Runs the event loop until done() holds, or a hung client's bound has passed.
    static void SpinUntil(const std::function<bool()>& done) {
        QElapsedTimer waited;
        waited.start();
        while (!done() && waited.elapsed() < kClientWait) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    }
    std::string Metadata(const char* key) {
        return Playerctl({QStringLiteral("metadata"), QStringLiteral("--format"),
                          QStringLiteral("{{%1}}").arg(QLatin1String(key))})
            .toStdString();
    }

    const QString playerctl = QStandardPaths::findExecutable(QStringLiteral("playerctl"));
    std::optional<MprisService> service;
    std::vector<std::string> opened;
};

TEST_F(MprisEndToEnd, AClientPlaysPausesSkipsAndReadsTheDisc) {
    ASSERT_FALSE(playerctl.isEmpty())
        << "playerctl is missing: scripts/setup installs the package playerctl";
    ASSERT_TRUE(service->Register());
    // A second client follows the status through the PropertiesChanged signals.
    QProcess follower;
    follower.start(playerctl, {QStringLiteral("--player=sonatrix"), QStringLiteral("--follow"),
                               QStringLiteral("status")});
    ASSERT_TRUE(follower.waitForStarted());
    EXPECT_EQ(Playerctl({QStringLiteral("status")}), QStringLiteral("Stopped"));

    Playerctl({QStringLiteral("play")});
    EXPECT_EQ(Device().GetMode(), CdMode::Playing);
    EXPECT_EQ(Engine().Pattern(), ButtonPattern::Playing);
    EXPECT_EQ(Playerctl({QStringLiteral("status")}), QStringLiteral("Playing"));
    clock.AdvanceSeconds(3);
    EXPECT_NEAR(Playerctl({QStringLiteral("position")}).toDouble(), SecondsIntoTrack(), 0.02);
    EXPECT_NEAR(SecondsIntoTrack(), 3.0, 0.1);

    Playerctl({QStringLiteral("pause")});
    EXPECT_TRUE(Device().Paused());
    EXPECT_EQ(Playerctl({QStringLiteral("status")}), QStringLiteral("Paused"));
    Playerctl({QStringLiteral("pause")});  // not a toggle
    EXPECT_TRUE(Device().Paused());
    Playerctl({QStringLiteral("play")});  // resumes where it paused
    EXPECT_FALSE(Device().Paused());
    EXPECT_EQ(Device().GetMode(), CdMode::Playing);
    EXPECT_NEAR(SecondsIntoTrack(), 3.0, 0.1);

    Playerctl({QStringLiteral("next")});
    EXPECT_EQ(DeviceTrack(), 2);
    Tick();
    EXPECT_EQ(Engine().State.CurrentTrack, 2);
    EXPECT_EQ(Metadata("xesam:title"), StoredTextToUtf8(Engine().Disc().Tracks().Cell(0, 2)));
    EXPECT_FALSE(Metadata("xesam:title").empty());
    EXPECT_EQ(Metadata("xesam:album"), StoredTextToUtf8(Engine().Disc().Record().Name));
    EXPECT_EQ(Metadata("xesam:artist"), StoredTextToUtf8(Engine().Disc().Record().Artist));
    // playerctl prints an object path in quotes.
    EXPECT_EQ(Metadata("mpris:trackid"), "'/org/sonatrix/track/2'");
    EXPECT_EQ(Metadata("xesam:trackNumber"), "2");
    EXPECT_EQ(Metadata("mpris:length"),
              std::to_string(FramesToMicros(MsfToLba(Device().TrackLength[2]))));

    std::vector<qint64> seeked;
    QObject::connect(&*service, &MprisService::Seeked,
                     [&seeked](qint64 position) { seeked.push_back(position); });
    Playerctl({QStringLiteral("position"), QStringLiteral("5")});
    EXPECT_EQ(DeviceTrack(), 2);
    EXPECT_NEAR(SecondsIntoTrack(), 5.0, 0.02);
    EXPECT_EQ(seeked, std::vector<qint64>{5'000'000});
    // A skip from the handset is announced too, at the next look at the engine.
    test::Click(window->findChild<QToolButton*>(QStringLiteral("BtnSkipForward")));
    SpinUntil([&seeked] { return seeked.size() == 2; });
    ASSERT_EQ(seeked.size(), 2U);
    EXPECT_NEAR(static_cast<double>(seeked[1]) / 1e6, SecondsIntoTrack(), 0.02);
    EXPECT_GT(seeked[1], seeked[0]);

    Playerctl({QStringLiteral("loop"), QStringLiteral("Track")});
    EXPECT_TRUE(Engine().State.RepeatOn);
    // The demo disc plays in Disc mode: repeat starts the whole disc again.
    EXPECT_EQ(Playerctl({QStringLiteral("loop")}), QStringLiteral("Playlist"));
    Playerctl({QStringLiteral("loop"), QStringLiteral("None")});
    EXPECT_FALSE(Engine().State.RepeatOn);

    Playerctl({QStringLiteral("open"), QStringLiteral("file:///discs/other.cue")});
    EXPECT_EQ(opened, std::vector<std::string>{"file:///discs/other.cue"});

    Playerctl({QStringLiteral("stop")});
    EXPECT_NE(Device().GetMode(), CdMode::Playing);
    EXPECT_EQ(Playerctl({QStringLiteral("status")}), QStringLiteral("Stopped"));
    EXPECT_EQ(Metadata("mpris:artUrl"), "");

    // An archive with its cover, in the virtual drive: its tracks, and its cover as the art.
    const std::filesystem::path image =
        test::GenerateImage(dir.Path(), "shelved", {test::Track(0, 4), test::Track(0, 3)});
    ArchiveRequest request;
    request.Disc = ReadDiscInfo(OpenImage(image.string()).get());
    request.OpenReader = [image] { return OpenImageReader(image.string()); };
    request.Folder = dir / "music" / "Caf\u00e9 #1";
    request.Metadata.Identity = DiscIdentity(*request.Disc);
    request.Metadata.Picture = FlacPicture{"image/png", {0x89, 'P', 'N', 'G'}, 1, 1, 24};
    const std::atomic<bool> cancel = false;
    ASSERT_EQ(ExtractDisc(request, {}, cancel).Error, "");
    drives.VirtualDrive().SetImageOpener(OpenArchiveImage);
    ASSERT_TRUE(window->InsertDiscImage(CueSheetPath(request.Folder).string()));
    Playerctl({QStringLiteral("play")});
    Tick();
    EXPECT_EQ(Metadata("xesam:trackNumber"), "1");
    EXPECT_EQ(Metadata("mpris:length"), std::to_string(FramesToMicros(4 * kFramesPerSecond)));
    EXPECT_EQ(Metadata("mpris:artUrl"),
              "file://" + dir.Path().string() + "/music/Caf%C3%A9%20%231/cover.png");
    Playerctl({QStringLiteral("stop")});

    QString followed;
    SpinUntil([&] {
        follower.waitForReadyRead(5);
        followed += QString::fromUtf8(follower.readAllStandardOutput());
        return followed.endsWith(QStringLiteral("Stopped\n"));
    });
    follower.kill();
    follower.waitForFinished();
    EXPECT_EQ(
        followed.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
        (QStringList{QStringLiteral("Stopped"), QStringLiteral("Playing"), QStringLiteral("Paused"),
                     QStringLiteral("Playing"), QStringLiteral("Stopped"),
                     QStringLiteral("Playing"), QStringLiteral("Stopped")}));
}

TEST_F(MprisEndToEnd, QuitClosesTheHandset) {
    ASSERT_TRUE(service->Register());
    service->Quit();
    SpinUntil([this] { return !window->isVisible(); });
    EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace snx
