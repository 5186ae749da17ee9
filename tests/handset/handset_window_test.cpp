// The main handset over the virtual drive on a virtual clock: start-up, button patterns, the track
// panel, the display and the window sizes.
#include "handset/handset_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <optional>

#include "audio/null_output.h"
#include "catalogue/disc_catalogue.h"
#include "catalogue/fvlf.h"
#include "catalogue_ui/catalogue_dialog.h"
#include "catalogue_ui/disc_data_dialog.h"
#include "cd/cd_device.h"
#include "cd/image_drive.h"
#include "cd/system_drives.h"
#include "handset/default_bitmaps.h"
#include "handset/led_painter.h"
#include "player/player_engine.h"
#include "player/recording_hook.h"
#include "player/track_grid.h"
#include "programming/fit_dialog.h"
#include "programming/mode_dialog.h"
#include "programming/programme_dialog.h"
#include "programming/track_list.h"
#include "programming/tracks_dialog.h"
#include "settings/drive_dialog.h"
#include "settings/settings.h"
#include "tests/support/boxes.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/image_generator.h"
#include "tests/support/modal_dialog.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/temp_dir.h"
#include "tests/support/user_input.h"
#include "tests/support/virtual_clock.h"
#include "ui_disc_data_dialog.h"
#include "widgets/help_window.h"
#include "widgets/image_control.h"

namespace snx {
namespace {

class HandsetTest : public test::HandsetFixture {};
using test::NoDrives;

TEST_F(HandsetTest, WithoutADriveThePlayButtonIsOffAndNoTickRuns) {
    NoDrives none;
    Open(none);
    EXPECT_FALSE(device->IsOpen());
    EXPECT_FALSE(Enabled("btnPlay"));
    EXPECT_FALSE(window->TickActive());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Sonatrix for Windows '95"));
    EXPECT_EQ(messages.Errors(), std::vector<std::string>{"There is no CD drive."});
}

TEST_F(HandsetTest, ButtonPatternsFollowTheStateOfPlay) {
    Open(drives);
    EXPECT_TRUE(window->TickActive());
    for (const char* off : {"btnPlay", "btnStop", "btnPause", "btnForward", "btnBack", "btnStart",
                            "btnSkipBack", "BtnSkipForward"}) {
        EXPECT_FALSE(Enabled(off)) << off;
    }
    window->close();
    window.reset();

    InsertDisc(3);
    for (const char* on : {"btnPlay", "btnForward", "btnBack", "btnEject"}) {
        EXPECT_TRUE(Enabled(on)) << on;
    }
    for (const char* off : {"btnStop", "btnPause", "btnStart", "btnSkipBack", "btnClose"}) {
        EXPECT_FALSE(Enabled(off)) << off;
    }
    EXPECT_FALSE(Action("Pa&use")->isEnabled());

    test::Click(Child<QToolButton>("btnPlay"));
    for (const char* on : {"btnStop", "btnPause", "btnForward", "btnBack", "btnStart",
                           "btnSkipBack", "BtnSkipForward"}) {
        EXPECT_TRUE(Enabled(on)) << on;
    }
    EXPECT_FALSE(Enabled("btnPlay"));
    EXPECT_TRUE(Action("Pa&use")->isEnabled());
    EXPECT_TRUE(Child<QWidget>("btnBeg")->isEnabled());
}

// Each command alone: exactly its controls come on, in the window and in the menus.
using Controls = std::vector<std::pair<bool CommandAvailability::*, std::vector<const char*>>>;
template <typename IsOn>
void ExpectEachCommandAlone(TSnx& window, const Controls& controls, IsOn isOn) {
    for (const auto& [command, unused] : controls) {
        CommandAvailability can;
        can.*command = true;
        window.SetButtons(ButtonPattern::Idle, can);
        for (const auto& [other, names] : controls) {
            for (const char* name : names) {
                EXPECT_EQ(isOn(name), other == command) << name;
            }
        }
    }
}

TEST_F(HandsetTest, TheButtonsMapTheEnginesCommands) {
    InsertDisc(3);
    using C = CommandAvailability;
    const Controls buttons = {
        {&C::Play, {"btnPlay"}},       {&C::Stop, {"btnStop"}},
        {&C::Pause, {"btnPause"}},     {&C::Eject, {"btnEject"}},
        {&C::CloseTray, {"btnClose"}}, {&C::Previous, {"btnBack"}},
        {&C::Next, {"btnForward"}},    {&C::Skips, {"btnSkipBack", "BtnSkipForward", "btnStart"}},
        {&C::Mark, {"btnBeg"}},        {&C::Mode, {"btnMode"}},
        {&C::GotoTrack, {"btnTrack"}}, {&C::Edit, {"btnData", "SpeedButton13"}},
        {&C::Sample, {"btnSample"}},
    };
    ExpectEachCommandAlone(*window, buttons,
                           [this](const char* name) { return Child<QWidget>(name)->isEnabled(); });
}

TEST_F(HandsetTest, TheMenuItemsMapTheEnginesCommands) {
    InsertDisc(3);
    using C = CommandAvailability;
    const Controls items = {
        {&C::Play, {"&Play"}},
        {&C::Stop, {"&Stop"}},
        {&C::Pause, {"Pa&use"}},
        {&C::Previous, {"&Last track"}},
        {&C::Next, {"&Next track"}},
        {&C::Skips, {"Fast forward (&X)", "Fast rewind (&Z)", "&Beginning of current track"}},
        {&C::Mode, {"&Mode of play..."}},
        {&C::GotoTrack, {"Goto &track..."}},
        {&C::Programme, {"Custom pr&ogramme..."}},
        {&C::Fit, {"&Fit tracks to time..."}},
        {&C::Edit, {"Edit current CD &data record"}},
    };
    ExpectEachCommandAlone(*window, items,
                           [this](const char* caption) { return Action(caption)->isEnabled(); });
}

// A button and its menu item are one command: the button runs the item's action, so the two can
// never do different things.
TEST_F(HandsetTest, EachControlButtonRunsItsMenuCommand) {
    InsertDisc(3);
    test::Activate(*window);
    int plays = 0;
    QObject::connect(Action("&Play"), &QAction::triggered, [&] { ++plays; });
    test::Menu(*window, "op");  // Control, Play
    EXPECT_EQ(plays, 1);
    EXPECT_EQ(device->GetMode(), CdMode::Playing);
    for (const auto& [button, caption] : std::initializer_list<std::pair<const char*, const char*>>{
             {"btnForward", "&Next track"},
             {"btnBack", "&Last track"},
             {"btnStart", "&Beginning of current track"},
             {"btnPause", "Pa&use"},
             {"btnPause", "Pa&use"},
             {"btnStop", "&Stop"},
             {"btnPlay", "&Play"},
             {"btnEject", "&Eject CD"}}) {
        int triggered = 0;
        const auto counting =
            QObject::connect(Action(caption), &QAction::triggered, [&] { ++triggered; });
        test::Click(Child<QToolButton>(button));
        QObject::disconnect(counting);
        EXPECT_EQ(triggered, 1) << button;
        Tick();
    }
    EXPECT_EQ(plays, 2);
}

TEST_F(HandsetTest, AnEnhancedCdPlaysToItsEndInEveryMode) {
    AppSettings().IntroTime = 0.02;
    LoadTracks(test::EnhancedCd(), {});
    Open(drives);
    Tick();
    for (const PlayMode mode : {PlayMode::Disc, PlayMode::Track, PlayMode::Random,
                                PlayMode::Shuffle, PlayMode::Intro, PlayMode::Custom}) {
        window->Engine().SetPlayMode(mode);  // as the mode dialog does
        window->Engine().Disc().Store(
            [](DiscTables& disc) {
                disc.Record.Programme = {4, 1, 4, 3};
            },
            StoreWhen::Catalogued);
        test::Click(Child<QToolButton>("btnPlay"));
        for (int second = 0; second < 30 && !Enabled("btnPlay"); ++second) {
            clock.AdvanceSeconds(1);
            Tick();
        }
        EXPECT_TRUE(Enabled("btnPlay")) << static_cast<int>(mode);
        EXPECT_EQ(device->GetMode(), CdMode::Stopped) << static_cast<int>(mode);
        window->Engine().GoToTrack(1);
    }
}

TEST_F(HandsetTest, TrackPanelGoesToTheTrackUnderTheClick) {
    InsertDisc(9);
    auto* panel = Child<ImageControl>("imgTracks");
    const int side = panel->width() / kTrackGridColumns;
    Click(panel, {3, side + 3}, Qt::LeftButton);  // second row, first column
    EXPECT_EQ(device->GetCurrentTrack(), 9);
    Click(panel, {side + 3, side + 3}, Qt::LeftButton);  // where track 10 would be
    EXPECT_EQ(device->GetCurrentTrack(), 9);
    Click(panel, {2 * side + 3, 3}, Qt::LeftButton);
    EXPECT_EQ(device->GetCurrentTrack(), 3);
}

TEST_F(HandsetTest, PictureModeKeepsTheLabelsButDrawsNothingOverThePicture) {
    InsertDisc(4);
    auto* panel = Child<ImageControl>("imgTracks");
    Click(panel, {5, 5}, Qt::RightButton);
    const QImage picture = panel->Image().copy();
    device->GoToTrack(2, {});
    Tick();
    EXPECT_EQ(Child<QLabel>("labTrack")->text(), QStringLiteral("Song 2"));
    EXPECT_EQ(panel->Image(), picture);

    // Back to the grid: the numbers again, the current one highlighted.
    Click(panel, {5, 5}, Qt::RightButton);
    EXPECT_NE(panel->Image(), picture);
    const TrackCell cell = TrackCellOf(2, panel->width());
    bool highlighted = false;
    for (int y = cell.Top; y < cell.Top + cell.Side; ++y) {
        for (int x = cell.Left; x < cell.Left + cell.Side; ++x) {
            // Text is smoothed: any clearly red pixel is the selected colour (others are green).
            const QColor pixel = panel->Image().pixelColor(x, y);
            highlighted = highlighted || (pixel.red() > 100 && pixel.green() < 60);
        }
    }
    EXPECT_TRUE(highlighted);
}

TEST_F(HandsetTest, DisplayShowsTheTrackTimesAndTheTitleTheStatus) {
    InsertDisc(3);
    device->GoToTrack(2, {});
    Tick();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("SNX [2] 00.00"));
    EXPECT_EQ(Child<QLabel>("labName")->text(), QStringLiteral("Album"));

    // Track 2 has a minute left: "01.00" in the right-hand clock, 65 pixels after the left one.
    const QImage& image = Child<ImageControl>("Display")->Image();
    const QPoint origin = LedPainter::Origin(image.size());
    const QImage one = DrawDigit(1, Qt::black, QColor(0, 255, 0));
    const QImage zero = DrawDigit(0, Qt::black, QColor(0, 255, 0));
    int row = -1;
    for (int y = 0; y + one.height() <= image.height() && row < 0; ++y) {
        if (image.copy(origin.x() + 65 + 13, y, one.width(), one.height())
                .convertToFormat(QImage::Format_RGB32) == one) {
            row = y;
        }
    }
    ASSERT_GE(row, 0);
    for (const int x : {0, 13, 32, 45}) {
        EXPECT_EQ(image.copy(origin.x() + x, row, 10, 19).convertToFormat(QImage::Format_RGB32),
                  zero);
    }
    EXPECT_EQ(image.copy(origin.x() + 65, row, 10, 19).convertToFormat(QImage::Format_RGB32), zero);

    Click(Child<ImageControl>("Display"), {5, 5}, Qt::LeftButton);
    Tick();
    EXPECT_NE(Child<ImageControl>("Display")->toolTip().indexOf(QStringLiteral("track details")),
              -1);
}

TEST_F(HandsetTest, PauseShowsInTheModeLineAndTheTitle) {
    InsertDisc(3);
    test::Click(Child<QToolButton>("btnPlay"));
    device->GoToTrack(3, {});
    Tick();
    const QImage playing = Child<ImageControl>("imgMode")->Image().copy();
    test::Click(Child<QToolButton>("btnPause"));
    Tick();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("SNX [3] Paused"));
    EXPECT_NE(Child<ImageControl>("imgMode")->Image(), playing);
    test::Click(Child<QToolButton>("btnPause"));
    Tick();
    EXPECT_EQ(Child<ImageControl>("imgMode")->Image(), playing);
    EXPECT_TRUE(window->windowTitle().startsWith(QStringLiteral("SNX [3] 00.0")));
}

TEST_F(HandsetTest, BackgroundIsTiledWithTheDefaultBitmapWrittenAtFirstStart) {
    Open(drives);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "general.bmp"));
    ASSERT_TRUE(std::filesystem::exists(dir.Path() / "sandblst.bmp"));
    const QImage client = window->centralWidget()->grab().toImage();
    const QImage tile = SandblastBitmap();
    for (const QPoint at : {QPoint(160, 140), QPoint(2, 2), QPoint(70, 98)}) {
        EXPECT_EQ(client.pixelColor(at),
                  tile.pixelColor(at.x() % tile.width(), at.y() % tile.height()))
            << at.x() << "," << at.y();
    }
}

TEST_F(HandsetTest, ExtendedOptionsOffAndOnRestoreTheWidthAndKeepTheHeight) {
    Open(drives);
    QWidget* client = window->centralWidget();
    ASSERT_TRUE(AppSettings().ShowExtendedHandset);
    EXPECT_EQ(client->width(), window->WideWidth());
    EXPECT_EQ(client->height(), window->TallHeight());
    test::Menu(*window, "ve");  // View, Extended options
    EXPECT_EQ(client->width(), window->NarrowWidth());
    EXPECT_EQ(client->height(), window->TallHeight());
    EXPECT_FALSE(AppSettings().ShowExtendedHandset);
    test::Menu(*window, "vc");  // View, CD data record
    EXPECT_EQ(client->height(), window->ShortHeight());
    test::Menu(*window, "ve");
    EXPECT_EQ(client->width(), window->WideWidth());
    EXPECT_EQ(client->height(), window->ShortHeight());
    EXPECT_EQ(window->WideWidth(), 385);
    EXPECT_EQ(window->ShortHeight(), 144);
}

TEST_F(HandsetTest, HelpOpensTheContentsAndThisWindowsPage) {
    Open(drives);
    test::Menu(*window, "hh");
    ASSERT_NE(window->Help(), nullptr);
    EXPECT_EQ(window->Help()->CurrentPage(), HelpPage(kHelpContents));
    EXPECT_TRUE(window->Help()->isVisible());
}

TEST_F(HandsetTest, F1OpensThePageOfTheWindowItIsPressedIn) {
    Open(drives);
    test::Activate(*window);
    test::Key(Qt::Key_Tab);  // the focus on the handset's first control
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    test::Key(Qt::Key_F1);
    ASSERT_NE(window->Help(), nullptr);
    EXPECT_EQ(window->Help()->CurrentPage(), HelpPage(kHelpHandset));
    // A dialog's help belongs to the dialog, so the dialog does not block it.
    {
        test::Boxes boxes(&*window);
        boxes.Dialog<TfrmCD>([](TfrmCD& dialog) {
            test::Key(Qt::Key_F1);
            const auto* help = dialog.findChild<HelpWindow*>();
            ASSERT_NE(help, nullptr);
            EXPECT_EQ(help->CurrentPage(), HelpPage(kHelpDriveSelection));
            EXPECT_TRUE(help->isVisible());
            test::Activate(dialog);
            test::Key(Qt::Key_Escape);
        });
        test::Menu(*window, "fs");
    }
    for (const int topic : {kHelpPlayMode, kHelpDriveSelection, kHelpHandset, kHelpSmallHandset}) {
        EXPECT_NE(HelpPage(topic), HelpPage(kHelpContents)) << topic;
        EXPECT_TRUE(QFile::exists(HelpPage(topic).mid(3))) << topic;  // "qrc:/..." as ":/..."
    }
}

// In the programme dialog: the fourth track added, then OK.
void ProgrammeOfTheFourthTrack() {
    test::Alt('t');  // the tracks available
    test::Key(Qt::Key_Home);
    for (int i = 0; i < 3; ++i) {
        test::Key(Qt::Key_Down);
    }
    test::Alt('a');
    test::Alt('o');
}

// The record of identity as a second reader of the files (the catalogue tool) finds it.
std::optional<DiscRecord> StoredRecord(const std::filesystem::path& data,
                                       const std::string& identity) {
    Tfvlf holder(data);
    DiscCatalogue reader(holder, nullptr);
    DiscRecord record;
    KeySnapshot keys;
    if (reader.LoadDiscRecord(identity, record, holder.catTracks, holder.catMemo, keys) <= 0) {
        return std::nullopt;
    }
    return record;
}

TEST_F(HandsetTest, AnUnknownDiscStoredByTheEditorKeepsEveryLaterChange) {
    InsertDisc(4);
    const std::string identity = window->Engine().Disc().Identity();
    auto* fourWay = Child<ImageControl>("iFourWay");
    AppSettings().VolumeLeft = 30000;
    AppSettings().VolumeRight = 20000;
    Click(fourWay, {14, 3}, Qt::LeftButton);  // up
    EXPECT_EQ(AppSettings().VolumeLeft, 30653);
    // Not in the catalogue: only this play's record changes.
    EXPECT_FALSE(StoredRecord(dir.Path(), identity));
    EXPECT_EQ(window->Engine().Disc().Record().SavedVolumeLeft, 30653);

    // Each dialog opened by its menu's letters, filled and closed by keys.
    const auto through = [this]<typename D>(const char* letters, std::function<void(D&)> act) {
        test::Boxes boxes(&*window);
        boxes.Dialog<D>(std::move(act)).Over(&*window);
        test::Menu(*window, letters);
    };
    through.operator()<TfrmCDData>("fd", [](TfrmCDData&) {
        test::Alt('m');  // the name
        test::Key(Qt::Key_A, Qt::ControlModifier);
        test::Type(QStringLiteral("Named"));
        test::Key(Qt::Key_Return);
    });
    ASSERT_TRUE(window->Engine().Disc().Catalogued());
    std::optional<DiscRecord> stored = StoredRecord(dir.Path(), identity);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->Name, "Named");
    EXPECT_EQ(stored->SavedVolumeLeft, 30653);

    Click(fourWay, {14, 14}, Qt::LeftButton);  // middle: both at the left's volume
    EXPECT_EQ(StoredRecord(dir.Path(), identity)->SavedVolumeRight, 30653);

    through.operator()<TfrmMode>("mm", [](TfrmMode&) {
        test::Alt('i');  // Introduction
        test::Alt('o');
    });
    EXPECT_EQ(StoredRecord(dir.Path(), identity)->SavedPlayMode,
              static_cast<std::int16_t>(PlayMode::Intro));

    through.operator()<TfrmProgramme>("oo", [](TfrmProgramme&) { ProgrammeOfTheFourthTrack(); });
    EXPECT_EQ(StoredRecord(dir.Path(), identity)->Programme, std::vector<std::uint8_t>{4});

    through.operator()<TfrmFit>("of", [](TfrmFit&) {
        test::Alt('m');  // the playing time
        test::Key(Qt::Key_A, Qt::ControlModifier);
        test::Type(QStringLiteral("02.30"));
        test::Alt('i');  // in order
        test::Alt('o');
    });
    EXPECT_EQ(StoredRecord(dir.Path(), identity)->Programme, (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(StoredRecord(dir.Path(), identity)->Name, "Named");
}

class DiscChangeTest : public HandsetTest {
  protected:
    // Two catalogued discs, A (four tracks, in the drive) and B (two tracks).
    void SetUp() override {
        discA = test::GenerateImage(dir.Path(), "a",
                                    std::vector<test::TestTrack>(4, test::Track(1, 0)));
        discB = test::GenerateImage(dir.Path(), "b",
                                    std::vector<test::TestTrack>(2, test::Track(2, 0)));
        Open(drives);
        Put(discB);
        identityB = Disc().Identity();
        ASSERT_TRUE(Disc().Store([](DiscTables&) {}, StoreWhen::Always));
        Put(discA);
        identityA = Disc().Identity();
        ASSERT_NE(identityA, identityB);
        ASSERT_TRUE(Disc().Store([](DiscTables&) {}, StoreWhen::Always));
        recordA = *StoredRecord(dir.Path(), identityA);
        recordB = *StoredRecord(dir.Path(), identityB);
    }
    CurrentDisc& Disc() { return window->Engine().Disc(); }
    void Put(const std::filesystem::path& image) {
        drives.VirtualDrive().OpenTray();
        Tick();
        ASSERT_TRUE(drives.VirtualDrive().Insert(image.string()));
        Tick();
    }
    // Opens the dialog by these menu letters; it sees disc B replace disc A before the keys
    // answer it. Then checks that B and its state of play are as they were, and puts A back.
    template <typename Dialog>
    void UnderDialog(const char* letters, const std::function<void()>& keys) {
        const PlayMode modeB = PlayModeFromValue(recordB.SavedPlayMode);
        {
            test::Boxes boxes(&*window);
            boxes.Dialog<Dialog>([this, keys](Dialog&) {
                Put(discB);
                ASSERT_EQ(Disc().Identity(), identityB);
                keys();
            });
            test::Menu(*window, letters);
        }
        EXPECT_EQ(*StoredRecord(dir.Path(), identityB), recordB);
        EXPECT_EQ(Disc().Record(), recordB);
        EXPECT_EQ(window->Engine().State.Mode, modeB);
        EXPECT_EQ(device->GetCurrentTrack(), 1);
        Put(discA);
    }
    DiscRecord StoredA() { return *StoredRecord(dir.Path(), identityA); }

    std::filesystem::path discA;
    std::filesystem::path discB;
    std::string identityA;
    std::string identityB;
    DiscRecord recordA;
    DiscRecord recordB;
};

TEST_F(DiscChangeTest, EachDialogsResultGoesToTheDiscItWasOpenedFor) {
    UnderDialog<TfrmProgramme>("oo", ProgrammeOfTheFourthTrack);
    EXPECT_EQ(StoredA().Programme, std::vector<std::uint8_t>{4});

    UnderDialog<TfrmFit>("of", [] {
        test::Alt('m');  // the playing time
        test::Key(Qt::Key_A, Qt::ControlModifier);
        test::Type(QStringLiteral("03.30"));
        test::Alt('i');  // in order
        test::Alt('o');
    });
    EXPECT_EQ(StoredA().Programme, (std::vector<std::uint8_t>{1, 2, 3}));

    UnderDialog<TfrmMode>("mm", [] {
        test::Alt('s');  // shuffle
        test::Alt('o');
    });
    EXPECT_EQ(StoredA().SavedPlayMode, static_cast<std::int16_t>(PlayMode::Shuffle));

    UnderDialog<TfrmCDData>("fd", [] {
        test::Alt('m');  // the name
        test::Key(Qt::Key_A, Qt::ControlModifier);
        test::Type(QStringLiteral("Disc A"));
        test::Key(Qt::Key_Return);
    });
    EXPECT_EQ(StoredA().Name, "Disc A");
    EXPECT_EQ(StoredA().TrackCount, 4);

    UnderDialog<TfrmTracks>("ot", [] {
        test::Key(Qt::Key_Home);
        test::Key(Qt::Key_Down);  // the second track
        test::Alt('o');
    });
    EXPECT_TRUE(messages.Errors().empty());
}

// A second drive before the virtual one, empty, as a machine with one real drive.
class TwoDrives final : public DriveList {
  public:
    TwoDrives(SystemDrives& system, test::VirtualClock& clock)
        : system_(system),
          other_(clock, [&clock] { return std::make_unique<NullOutput>(clock); }) {}
    int Count() const override { return 2; }
    DriveBackend& Drive(int index) override {
        return index == 0 ? static_cast<DriveBackend&>(other_) : system_.VirtualDrive();
    }
    int VirtualDriveIndex() const override { return 1; }
    bool InsertImage(const std::string& path) override { return system_.InsertImage(path); }

  private:
    SystemDrives& system_;
    ImageDrive other_;
};

// Chooses the drive of this row by keys in the drive dialog opened from the File menu.
void ChooseDrive(QWidget& handset, int row) {
    test::Boxes boxes(&handset);
    boxes.Dialog<TfrmCD>([row](TfrmCD& dialog) {
        ASSERT_EQ(QApplication::focusWidget(),
                  dialog.findChild<QListWidget*>(QStringLiteral("lbDrives")));
        test::Key(Qt::Key_Home);
        for (int i = 0; i < row; ++i) {
            test::Key(Qt::Key_Down);
        }
        test::Alt('o');
    });
    test::Menu(handset, "fs");
}

// With no drive to choose, OK asks for one over the dialog, which stays open.
TEST_F(HandsetTest, TheDriveDialogWantsADriveChosen) {
    NoDrives none;
    Open(none);
    EXPECT_EQ(messages.Errors(), std::vector<std::string>{"There is no CD drive."});
    test::Boxes boxes(&*window);
    boxes.Dialog<TfrmCD>([](TfrmCD&) { test::Alt('o'); }).StaysOpen();
    boxes.Notice("Please select a drive to use.").Over<TfrmCD>();
    boxes.Dialog<TfrmCD>([](TfrmCD&) { test::Key(Qt::Key_Escape); });
    test::Menu(*window, "fs");
}

TEST(DriveDialog, ListsEveryDrive) {
    const std::vector<std::string> one = {"/dev/sr0"};
    TfrmCD single(one, 0);
    ASSERT_EQ(single.findChild<QListWidget*>(QStringLiteral("lbDrives"))->count(), 1);
    EXPECT_EQ(single.findChild<QListWidget*>(QStringLiteral("lbDrives"))->item(0)->text(),
              QStringLiteral("CD ROM 0 </dev/sr0>"));

    const std::vector<std::string> labels = {"/dev/sr0", "virtual: demo.cue"};
    TfrmCD two(labels, 1);
    auto* list = two.findChild<QListWidget*>(QStringLiteral("lbDrives"));
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("CD ROM 0 </dev/sr0>"));
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("CD ROM 1 <virtual: demo.cue>"));
    EXPECT_EQ(two.Selected(), 1);  // the drive in use
}

TEST_F(HandsetTest, ChoosingADriveReopensItAndIsSaved) {
    TwoDrives both(drives, clock);
    AppSettings().CdromInUse = 1;
    ASSERT_TRUE(drives.VirtualDrive().Insert(
        test::GenerateImage(dir.Path(), "disc", {test::Track(1, 0)}, {"Album", "", ""})));
    Open(both);
    Tick();
    ASSERT_EQ(Child<QLabel>("labName")->text(), QStringLiteral("Album"));

    // The empty drive: the disc's panels are cleared and the choice is stored.
    ChooseDrive(*window, 0);
    EXPECT_EQ(Child<QLabel>("labName")->text(), QString());
    EXPECT_FALSE(Enabled("btnPlay"));
    LoadSettings();
    EXPECT_EQ(AppSettings().CdromInUse, 0);

    // The drive in use again: its disc is read anew, so a record stored meanwhile shows.
    ChooseDrive(*window, 1);
    ASSERT_EQ(Child<QLabel>("labName")->text(), QStringLiteral("Album"));
    // Stored by another program, unseen by the player.
    DiscRecord renamed = window->Engine().Disc().Record();
    KeySnapshot keys = KeySnapshot::Of(renamed);
    renamed.Name = "Renamed";
    StringGrid tracks = window->Engine().Disc().Tracks();
    TextBox memo = window->Engine().Disc().Memo();
    catalogue.StoreDiscRecord(renamed, tracks, memo, keys);
    ChooseDrive(*window, 1);
    EXPECT_EQ(Child<QLabel>("labName")->text(), QStringLiteral("Renamed"));
    EXPECT_GT(window->Engine().Disc().Number(), 0);

    // Cancel changes nothing.
    {
        test::Boxes boxes(&*window);
        boxes.Dialog<TfrmCD>([](TfrmCD&) { test::Key(Qt::Key_Escape); });
        test::Menu(*window, "fs");
    }
    EXPECT_EQ(Child<QLabel>("labName")->text(), QStringLiteral("Renamed"));
    EXPECT_EQ(AppSettings().CdromInUse, 1);
}

TEST_F(HandsetTest, AnInsertedImageReplacesThePlayingDiscAndIsRemembered) {
    InsertDisc(2);
    test::Click(Child<QToolButton>("btnPlay"));
    const std::string first = window->Engine().Disc().Identity();

    // An image that cannot be read is reported and the disc plays on.
    test::WriteFileText(dir / "bad.cue", "FILE \"none.bin\" BINARY\n  TRACK 01 AUDIO\n");
    const std::string bad = (dir / "bad.cue").string();
    EXPECT_FALSE(window->InsertDiscImage(bad));
    EXPECT_EQ(messages.Errors().back(), "Cannot read the disc image " + bad);
    Tick();
    EXPECT_EQ(device->GetMode(), CdMode::Playing);
    EXPECT_EQ(window->Engine().Disc().Identity(), first);
    EXPECT_NE(AppSettings().VirtualDriveImage, bad);

    const std::string other =
        test::GenerateImage(dir.Path(), "other",
                            {test::Track(2, 0), test::Track(2, 0), test::Track(2, 0)},
                            {"Second", "", ""})
            .string();
    ASSERT_TRUE(window->InsertDiscImage(other));
    EXPECT_NE(window->Engine().Disc().Identity(), first);
    EXPECT_EQ(device->TrackCount, 3);
    EXPECT_EQ(Child<QLabel>("labName")->text(), QStringLiteral("Second"));
    EXPECT_NE(device->GetMode(), CdMode::Playing);
    LoadSettings();
    EXPECT_EQ(AppSettings().VirtualDriveImage, other);
    EXPECT_EQ(AppSettings().CdromInUse, drives.VirtualDriveIndex());
}

TEST(HelpWindow, PagesAreCompiledIn) {
    HelpWindow help;
    help.ShowTopic(kHelpHandset);
    EXPECT_EQ(help.CurrentPage(), QStringLiteral("qrc:/help/handset.html"));
    EXPECT_TRUE(QFile::exists(QStringLiteral(":/help/handset.html")));
    EXPECT_TRUE(QFile::exists(QStringLiteral(":/help/contents.html")));
    EXPECT_TRUE(QFile::exists(QStringLiteral(":/help/small_handset.html")));
    EXPECT_EQ(HelpPage(kHelpSmallHandset), QStringLiteral("qrc:/help/small_handset.html"));
    EXPECT_EQ(HelpPage(4711), HelpPage(kHelpContents));
}

TEST_F(HandsetTest, TheCatalogueOpensFromItsButtonItsMenuItsLettersAndItsShortcut) {
    InsertDisc(2);
    test::Activate(*window);
    auto* second = Child<QToolButton>("SpeedButton14");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->toolTip(), QStringLiteral("Disc catalogue."));
    test::Boxes boxes(&*window);
    const std::vector<std::function<void()>> ways = {
        [this] { test::Click(Child<QToolButton>("btnBrowse")); },
        [this] { test::Menu(*window, "fw"); },
        [] { test::Alt('w'); },
        [] { test::Key('w', Qt::ControlModifier); },
    };
    for (const auto& open : ways) {
        boxes.Dialog<TfrmCat>([](TfrmCat&) { test::Key(Qt::Key_Escape); }).Over(&*window);
        if (QApplication::activeWindow() != &*window) {
            test::Activate(*window);
        }
        open();
        EXPECT_TRUE(boxes.Done());
    }
    // The editor's second button goes with the first.
    EXPECT_EQ(Child<QToolButton>("SpeedButton13")->isEnabled(), Enabled("btnData"));
}

}  // namespace
}  // namespace snx
