// The small handset in place of the main handset: how it opens and ends, its place and size, what
// it copies from the main handset and the commands it forwards.
#include "small_handset/small_handset_window.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "cd/cd_device.h"
#include "handset/handset_window.h"
#include "player/player_engine.h"
#include "player/volume_control.h"
#include "settings/settings.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/user_input.h"

namespace snx {
namespace {

class SmallHandsetTest : public test::HandsetFixture {
  protected:
    TfrmSmall* Small() { return window->SmallHandset(); }
    template <typename T>
    T* SmallChild(const char* name) {
        return Small()->findChild<T*>(QString::fromLatin1(name));
    }
    // Alt+A, the menu bar's "Sm&all!", and the small handset made the active window.
    void OpenSmall() {
        test::Menu(*window, "a");
        ASSERT_NE(Small(), nullptr);
        test::Activate(*Small());
    }
    // The small handset's own timer comes round once.
    void Mirror() {
        auto* timer = SmallChild<QTimer>("timS");
        ASSERT_NE(timer, nullptr);
        EXPECT_EQ(timer->interval(), 1000);
        QSignalSpy ticked(timer, &QTimer::timeout);
        ASSERT_TRUE(ticked.wait(5000)) << "the mirror timer does not run";
    }
    // Runs the program's event loop and closes a window from inside it; true when that ends
    // the loop.
    bool EndsTheEventLoop(std::function<void()> closeIt) {
        bool ended = true;
        QTimer::singleShot(0, qApp, std::move(closeIt));
        // Only a program that fails to end waits for this.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, qApp, [&ended] {
            ended = false;
            QApplication::quit();
        });
        guard.start(5000);
        QApplication::exec();
        return ended;
    }
    // The settings as the next start reads them.
    static Settings Saved() {
        LoadSettings();
        return AppSettings();
    }
};

TEST_F(SmallHandsetTest, CloseBoxEndsTheProgramAndTheNextStartIsSmallOnTheFirstTickWithADisc) {
    InsertDisc(3);
    EXPECT_EQ(Small(), nullptr);
    OpenSmall();
    EXPECT_TRUE(Small()->isVisible());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->SmallHandsetShown());
    EXPECT_TRUE(Saved().StartSmall);

    Small()->close();
    // The main handset closed: the drive is closed and nothing is left on the screen.
    EXPECT_FALSE(device->IsOpen());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->TickActive());
    EXPECT_TRUE(Saved().StartSmall);

    // Next start with the tray open: the main handset first, the small one with the disc.
    drives.VirtualDrive().OpenTray();
    Restart();
    Tick();
    EXPECT_EQ(Small(), nullptr);
    EXPECT_TRUE(window->isVisible());
    drives.VirtualDrive().CloseTray();
    Tick();
    ASSERT_NE(Small(), nullptr);
    EXPECT_TRUE(Small()->isVisible());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(Small()->MirrorRunning());
    EXPECT_TRUE(window->TickActive());
}

TEST_F(SmallHandsetTest, ClosingTheHiddenMainHandsetTakesTheSmallOneWithIt) {
    InsertDisc(1);
    OpenSmall();
    window->close();  // as the desktop's Quit does
    EXPECT_EQ(Small(), nullptr);
    EXPECT_FALSE(device->IsOpen());
    for (QWidget* top : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(top->isVisible()) << top->objectName().toStdString();
    }
    EXPECT_TRUE(Saved().StartSmall);  // ended from the small handset: small again next time
}

TEST_F(SmallHandsetTest, CloseBoxOrClosingTheMainHandsetEndsTheEventLoop) {
    InsertDisc(1);
    OpenSmall();
    EXPECT_TRUE(EndsTheEventLoop([this] { Small()->close(); }));
    Restart();
    Tick();
    ASSERT_NE(Small(), nullptr);
    // The desktop's Quit closes the hidden main handset.
    EXPECT_TRUE(EndsTheEventLoop([this] { window->close(); }));
}

TEST_F(SmallHandsetTest, FullReturnsToTheMainHandsetWhereItWasAndTheNextStartIsFull) {
    InsertDisc(3);
    window->move(120, 90);
    Tick();
    OpenSmall();
    test::ContextMenu("f");

    EXPECT_EQ(Small(), nullptr);
    EXPECT_FALSE(window->SmallHandsetShown());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->pos(), QPoint(120, 90));
    EXPECT_FALSE(Saved().StartSmall);
    // The program runs on, and the first-show steps were not repeated: no idle pattern.
    EXPECT_TRUE(device->IsOpen());
    EXPECT_TRUE(window->TickActive());
    EXPECT_TRUE(Enabled("btnPlay"));
    Tick();
    EXPECT_EQ(Small(), nullptr);

    // The button does the same as the menu item.
    OpenSmall();
    test::Click(SmallChild<QToolButton>("btnFull"));
    EXPECT_EQ(Small(), nullptr);
    EXPECT_TRUE(window->isVisible());

    Restart();
    Tick();
    Tick();
    EXPECT_EQ(Small(), nullptr);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(SmallHandsetTest, PlaceIsSavedWithinATickAndTinyOrSmallKeepsIt) {
    InsertDisc(2);
    AppSettings().KeepOnTop = true;
    OpenSmall();
    EXPECT_TRUE(Small()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(Small()->pos(), QPoint(10, 10));
    EXPECT_EQ(Small()->size(), Small()->SmallSize());
    EXPECT_EQ(Small()->SmallSize().width(), 271);

    Small()->move(200, 150);
    Mirror();
    EXPECT_EQ(Saved().SmallLeft, 200);
    EXPECT_EQ(Saved().SmallTop, 150);

    test::Click(SmallChild<QToolButton>("SpeedButton1"));
    EXPECT_EQ(Small()->size(), QSize(173, 22));
    EXPECT_EQ(Small()->pos(), QPoint(200, 150));
    EXPECT_TRUE(Saved().ShowTinyHandset);
    test::Click(SmallChild<QToolButton>("SpeedButton1"));
    EXPECT_EQ(Small()->size(), Small()->SmallSize());
    EXPECT_EQ(Small()->pos(), QPoint(200, 150));
    EXPECT_FALSE(Saved().ShowTinyHandset);

    // The next small handset opens where this one was, in the form last chosen.
    test::Click(SmallChild<QToolButton>("SpeedButton1"));
    test::ContextMenu("f");
    OpenSmall();
    EXPECT_EQ(Small()->pos(), QPoint(200, 150));
    EXPECT_EQ(Small()->size(), QSize(173, 22));
}

TEST_F(SmallHandsetTest, MirrorCopiesTheMainHandsetOnceASecond) {
    InsertDisc(3);
    OpenSmall();
    device->GoToTrack(2, {});
    Tick();
    Mirror();
    EXPECT_EQ(SmallChild<QLabel>("labName")->text(), QStringLiteral("Disc: Album"));
    EXPECT_EQ(SmallChild<QLabel>("labTrack")->text(), QStringLiteral("Track: Song 2"));
    EXPECT_EQ(Small()->windowTitle(), QStringLiteral("SNX [2] 00.00"));
    EXPECT_EQ(SmallChild<QLabel>("Pan1")->text(), QStringLiteral("Mode: Disc"));
    // A reader hears the panel as a sentence, with the track's clocks the caption shows.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(SmallChild<QWidget>("Pan"))
                  ->text(QAccessible::Name)
                  .toStdString(),
              "Elapsed 00:00, remaining 01:00, track 2, mode Disc");
    window->Engine().State.Mode = PlayMode::Shuffle;
    Mirror();
    EXPECT_EQ(SmallChild<QLabel>("Pan1")->text(), QStringLiteral("Mode: Shuffle"));
    EXPECT_TRUE(Small()->MirrorRunning());

    // A command mirrors the buttons at once, the accelerator twins with them.
    EXPECT_TRUE(SmallChild<QToolButton>("btnPlay")->isEnabled());
    EXPECT_FALSE(SmallChild<QToolButton>("btnStop")->isEnabled());
    window->Engine().State.Mode = PlayMode::Disc;
    test::Alt('p');
    EXPECT_EQ(device->GetMode(), CdMode::Playing);
    for (const char* name : {"btnStop", "btnPause", "btnStop1", "btnPause1"}) {
        EXPECT_TRUE(SmallChild<QWidget>(name)->isEnabled()) << name;
    }
    for (const char* name : {"btnPlay", "btnPlay1"}) {
        EXPECT_FALSE(SmallChild<QWidget>(name)->isEnabled()) << name;
    }
    test::Click(SmallChild<QToolButton>("btnStop"));
    EXPECT_EQ(device->GetMode(), CdMode::Stopped);
    EXPECT_TRUE(SmallChild<QToolButton>("btnPlay")->isEnabled());
}

TEST_F(SmallHandsetTest, WithoutADiscStopIsOffButThePopupStillStops) {
    Open(drives);
    Tick();
    OpenSmall();
    EXPECT_FALSE(SmallChild<QToolButton>("btnStop")->isEnabled());
    EXPECT_FALSE(SmallChild<QToolButton>("btnPlay")->isEnabled());
    EXPECT_EQ(window->Engine().Pattern(), ButtonPattern::Idle);
    test::ContextMenu("s");
    // The main handset's stop ran: it sets the stopped pattern, which the small buttons follow.
    EXPECT_EQ(window->Engine().Pattern(), ButtonPattern::Stopped);
    EXPECT_TRUE(SmallChild<QToolButton>("btnPlay")->isEnabled());
}

TEST_F(SmallHandsetTest, VolumeButtonTakesTheArrowKeysAndShowsBothChannelsToAReader) {
    InsertDisc(2);
    AppSettings().VolumeLeft = 30000;
    AppSettings().VolumeRight = 20000;
    OpenSmall();
    auto* mix = SmallChild<QToolButton>("btnMix");
    for (int i = 0; i < 10 && QApplication::focusWidget() != mix; ++i) {
        test::Key(Qt::Key_Tab);
    }
    ASSERT_EQ(QApplication::focusWidget(), mix) << "Tab never reaches the volume button";
    QAccessibleInterface* control = QAccessible::queryAccessibleInterface(mix);
    EXPECT_EQ(control->text(QAccessible::Name), QStringLiteral("Volume control"));
    ASSERT_EQ(control->childCount(), 2);
    QAccessibleValueInterface* left = control->child(0)->valueInterface();
    QAccessibleValueInterface* right = control->child(1)->valueInterface();
    ASSERT_NE(left, nullptr);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(control->child(1)->text(QAccessible::Name), QStringLiteral("Right volume"));
    EXPECT_EQ(left->maximumValue().toInt(), kVolumeMax);

    // The main handset's steps: up both channels, right the right one only.
    test::Key(Qt::Key_Up);
    test::Key(Qt::Key_Right);
    EXPECT_EQ(left->currentValue().toInt(), 30653);
    EXPECT_EQ(right->currentValue().toInt(), 21306);
    EXPECT_EQ(window->Engine().Disc().Record().SavedVolumeRight, 21306);
    EXPECT_EQ(QApplication::focusWidget(), mix);
    // Its press still starts the volume program, as a click does.
    EXPECT_TRUE(control->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::pressAction()));
}

}  // namespace
}  // namespace snx
