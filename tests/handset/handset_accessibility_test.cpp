// The main handset as a screen reader meets it through Qt's accessibility interfaces: every
// control named, the display read as a sentence, the track panel a list, the volume two values.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <functional>
#include <vector>

#include "handset/handset_window.h"
#include "small_handset/small_handset_window.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/user_input.h"

namespace snx {
namespace {

class HandsetAccessibilityTest : public test::HandsetFixture {
  protected:
    static QAccessibleInterface* Of(QObject* object) {
        return QAccessible::queryAccessibleInterface(object);
    }
    // Every interface under root, depth first.
    static void Walk(QAccessibleInterface* root,
                     const std::function<void(QAccessibleInterface*)>& visit) {
        visit(root);
        for (int i = 0; i < root->childCount(); ++i) {
            if (QAccessibleInterface* child = root->child(i)) {
                Walk(child, visit);
            }
        }
    }
    // The controls of a window without a name; containers and empty text say nothing anyway.
    static std::vector<QString> Unnamed(QWidget* window) {
        std::vector<QString> unnamed;
        Walk(Of(window), [&unnamed](QAccessibleInterface* iface) {
            switch (iface->role()) {
                case QAccessible::Client:
                case QAccessible::Pane:
                case QAccessible::Grouping:
                case QAccessible::Border:
                case QAccessible::Separator:
                case QAccessible::Window:
                case QAccessible::Dialog:
                case QAccessible::MenuBar:
                case QAccessible::PopupMenu:
                    return;
                case QAccessible::StaticText:
                    if (iface->text(QAccessible::Value).isEmpty() &&
                        iface->text(QAccessible::Name).isEmpty()) {
                        return;
                    }
                    break;
                default:
                    break;
            }
            if (iface->state().invisible || !iface->text(QAccessible::Name).isEmpty()) {
                return;
            }
            unnamed.push_back(iface->object() != nullptr ? iface->object()->objectName()
                                                         : QStringLiteral("(item)"));
        });
        return unnamed;
    }
    QAccessibleInterface* Named(const QString& name) {
        QAccessibleInterface* found = nullptr;
        Walk(Of(&*window), [&](QAccessibleInterface* iface) {
            if (found == nullptr && iface->text(QAccessible::Name) == name) {
                found = iface;
            }
        });
        return found;
    }
    // The control reached by Tab in the active handset, then the key pressed there.
    void Press(QWidget* widget, Qt::Key key) {
        if (QApplication::activeWindow() != widget->window()) {
            test::Activate(*widget->window());
        }
        for (int i = 0; i < 50 && QApplication::focusWidget() != widget; ++i) {
            test::Key(Qt::Key_Tab);
        }
        ASSERT_EQ(QApplication::focusWidget(), widget) << "no Tab reaches the control";
        test::Key(key);
    }
};

TEST_F(HandsetAccessibilityTest, EveryControlIsNamedAndPlayIsFoundAndPressedByName) {
    InsertDisc(3);
    EXPECT_EQ(Unnamed(&*window), std::vector<QString>{});

    QAccessibleInterface* play = Named(QStringLiteral("Play"));
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->object()->objectName(), QStringLiteral("btnPlay"));
    EXPECT_EQ(play->text(QAccessible::Description), QStringLiteral("Play CD"));
    play->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(device->GetMode(), CdMode::Playing);
    EXPECT_EQ(Of(Child<QWidget>("btnRepeat"))->text(QAccessible::Name), QStringLiteral("Repeat"));

    test::Menu(*window, "a");  // "Sm&all!" on the menu bar
    ASSERT_NE(window->SmallHandset(), nullptr);
    EXPECT_EQ(Unnamed(window->SmallHandset()), std::vector<QString>{});
}

TEST_F(HandsetAccessibilityTest, DisplayIsReadAsTheEngineHasIt) {
    InsertDisc(3);
    QAccessibleInterface* display = Of(Child<QWidget>("Display"));
    EXPECT_EQ(display->text(QAccessible::Name).toStdString(),
              "Elapsed 00:00, remaining 01:00, track 1, mode Disc");
    test::Click(Child<QToolButton>("btnPlay"));
    for (int second = 0; second < 5; ++second) {
        clock.AdvanceSeconds(1);
        Tick();
    }
    // The time the title shows, "SNX [1] 00.04", read with a colon.
    const QString time = window->windowTitle()
                             .section(QLatin1Char(' '), 2)
                             .replace(QLatin1Char('.'), QLatin1Char(':'));
    EXPECT_NE(time, QStringLiteral("00:00"));
    EXPECT_TRUE(display->text(QAccessible::Name)
                    .startsWith(QStringLiteral("Elapsed %1, remaining ").arg(time)))
        << display->text(QAccessible::Name).toStdString();

    test::Click(Child<QToolButton>("btnForward"));
    Tick();
    EXPECT_EQ(display->text(QAccessible::Name).section(QLatin1Char(','), 2).toStdString(),
              " track 2, mode Disc");
}

TEST_F(HandsetAccessibilityTest, TrackPanelIsAListOfTheTracksThatKeysAndReadersPlayFrom) {
    InsertDisc(3);
    auto* panel = Child<ImageControl>("imgTracks");
    QAccessibleInterface* list = Of(panel);
    EXPECT_EQ(list->role(), QAccessible::List);
    ASSERT_EQ(list->childCount(), 3);
    EXPECT_EQ(list->child(1)->text(QAccessible::Name), QStringLiteral("Track 2: Song 2"));
    EXPECT_TRUE(list->child(0)->state().selected);

    Press(panel, Qt::Key_Down);
    Press(panel, Qt::Key_Return);
    EXPECT_EQ(device->GetCurrentTrack(), 2);
    Tick();
    EXPECT_TRUE(list->child(1)->state().selected);
    EXPECT_FALSE(list->child(0)->state().selected);

    list->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(device->GetCurrentTrack(), 3);
}

TEST_F(HandsetAccessibilityTest, VolumeIsTwoValuesThatFollowTheArrowKeysInMouseSteps) {
    InsertDisc(2);
    AppSettings().VolumeLeft = 30000;
    AppSettings().VolumeRight = 20000;
    auto* fourWay = Child<ImageControl>("iFourWay");
    QAccessibleInterface* control = Of(fourWay);
    ASSERT_EQ(control->childCount(), 2);
    QAccessibleValueInterface* left = control->child(0)->valueInterface();
    QAccessibleValueInterface* right = control->child(1)->valueInterface();
    ASSERT_NE(left, nullptr);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(control->child(0)->text(QAccessible::Name), QStringLiteral("Left volume"));
    EXPECT_EQ(left->maximumValue().toInt(), kVolumeMax);
    EXPECT_EQ(left->minimumValue().toInt(), 0);

    Press(fourWay, Qt::Key_Up);
    EXPECT_EQ(left->currentValue().toInt(), 30653);
    EXPECT_EQ(right->currentValue().toInt(), 20653);
    EXPECT_EQ(AppSettings().VolumeRight, 20653);
    Press(fourWay, Qt::Key_Right);
    EXPECT_EQ(right->currentValue().toInt(), 21306);
    Press(fourWay, Qt::Key_Left);
    EXPECT_EQ(left->currentValue().toInt(), 31306);
    Press(fourWay, Qt::Key_Down);
    EXPECT_EQ(left->currentValue().toInt(), 30653);
    EXPECT_EQ(right->currentValue().toInt(), 20653);
    EXPECT_EQ(window->Engine().Disc().Record().SavedVolumeLeft, 30653);
}

}  // namespace
}  // namespace snx
