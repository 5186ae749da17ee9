// The play mode and goto-track dialogs from the main handset, over the virtual drive, and the
// drawing of a track row.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>
#include <functional>
#include <optional>

#include "audio/null_output.h"
#include "catalogue/disc_catalogue.h"
#include "catalogue/fvlf.h"
#include "cd/cd_device.h"
#include "cd/system_drives.h"
#include "handset/handset_window.h"
#include "player/player_engine.h"
#include "player/recording_hook.h"
#include "programming/fit_dialog.h"
#include "programming/mode_dialog.h"
#include "programming/programme_dialog.h"
#include "programming/track_list.h"
#include "programming/track_row.h"
#include "programming/track_row_painter.h"
#include "programming/tracks_dialog.h"
#include "settings/settings.h"
#include "store/record_file/record_file.h"
#include "tests/support/boxes.h"
#include "tests/support/demo_image.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/image_generator.h"
#include "tests/support/locale_scope.h"
#include "tests/support/modal_dialog.h"
#include "tests/support/temp_dir.h"
#include "tests/support/user_input.h"
#include "tests/support/virtual_clock.h"
#include "widgets/help_window.h"
#include "widgets/image_control.h"

namespace snx {
namespace {

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button) {
    QMouseEvent event(type, at, widget->mapToGlobal(at), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void Click(QWidget* widget, QPoint at) {
    SendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton);
    SendMouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton);
}

void DoubleClickRow(TrackList& list, int row) {
    const QPoint at = list.visualItemRect(list.item(row)).center();
    Click(list.viewport(), at);
    SendMouse(list.viewport(), QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    SendMouse(list.viewport(), QEvent::MouseButtonRelease, at, Qt::LeftButton);
}

class DialogsTest : public test::HandsetFixture {
  protected:
    // A disc of count tracks of one minute and n seconds, named "Song n" when named is set,
    // taken up by a tick.
    void InsertDisc(int count, bool named = true) {
        std::vector<test::TestTrack> tracks;
        for (int i = 1; i <= count; ++i) {
            test::TestTrack track = test::Track(1, i);
            track.Title = named ? "Song " + std::to_string(i) : "";
            tracks.push_back(track);
        }
        LoadTracks(tracks, {named ? "Album" : "", "", ""});
        Open(drives);
        Tick();
    }
    PlayMode Mode() { return window->Engine().State.Mode; }
};

TEST_F(DialogsTest, ModeDialogMarksTheCurrentModeAndSetsTheChosenOne) {
    InsertDisc(3);
    test::Shot(*window, "handset_mode_track_buttons.png");
    window->Engine().SetPlayMode(PlayMode::Random);
    test::Boxes boxes(&*window);
    boxes.Dialog<TfrmMode>([](TfrmMode& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("CD play mode"));
        EXPECT_EQ(dialog.Marked(), std::nullopt);
        for (QRadioButton* radio : dialog.findChildren<QRadioButton*>()) {
            EXPECT_FALSE(radio->isChecked()) << radio->objectName().toStdString();
        }
        test::Key(Qt::Key_Return);
    });
    test::Click(Child<QToolButton>("btnMode"));
    EXPECT_EQ(Mode(), PlayMode::Random);

    // Introduction sits above Shuffle in the dialog but has the higher value. The dialog stands
    // in the middle of the screen, wherever the handset is.
    window->move(0, 0);
    boxes.Dialog<TfrmMode>([](TfrmMode& dialog) {
        test::Shot(dialog, "mode_dialog.png");
        const QPoint offCentre =
            dialog.frameGeometry().center() - dialog.screen()->availableGeometry().center();
        EXPECT_LE(offCentre.manhattanLength(), 2) << offCentre.x() << ", " << offCentre.y();
        test::Alt('i');
        test::Key(Qt::Key_Return);
    });
    test::Menu(*window, "mm");
    EXPECT_EQ(Mode(), PlayMode::Intro);

    // The mode line opens it too; Cancel leaves the mode as it was.
    boxes.Dialog<TfrmMode>([](TfrmMode& dialog) {
        EXPECT_EQ(dialog.Marked(), ModeButton::Intro);
        test::Alt('s');
        test::Alt('l');
    });
    Click(Child<ImageControl>("imgMode"), {5, 5}, Qt::LeftButton);
    EXPECT_EQ(Mode(), PlayMode::Intro);
}

TEST_F(DialogsTest, WhilePlayingTheModeCannotBeChangedAndNoDialogOpens) {
    InsertDisc(3);
    EXPECT_TRUE(Child<QToolButton>("btnMode")->isEnabled());
    test::Click(Child<QToolButton>("btnPlay"));
    EXPECT_FALSE(Child<QToolButton>("btnMode")->isEnabled());
    EXPECT_FALSE(Action("&Mode of play...")->isEnabled());
    EXPECT_TRUE(Child<QToolButton>("btnTrack")->isEnabled());

    // The mode line is always there; it says why instead of opening the dialog.
    test::Boxes boxes(&*window);
    boxes.Notice("You may only change mode if the CD is not playing.").Over(&*window);
    Click(Child<ImageControl>("imgMode"), {5, 5}, Qt::LeftButton);
    test::Activate(*window);
    test::Key(Qt::Key_M, Qt::ControlModifier);
    QApplication::processEvents();
}

TEST_F(DialogsTest, TwelveTracksAreListedInOrderAndTheFifthRowGoesToTrackFive) {
    const test::CommaLocale locale;  // rows keep their dot where numbers take a comma
    ASSERT_TRUE(locale.Active());
    InsertDisc(12);
    test::Boxes boxes(&*window);
    boxes.Dialog<TfrmTracks>([](TfrmTracks& dialog) {
        test::Shot(dialog, "tracks_dialog.png");
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Goto selected track"));
        TrackList& list = *dialog.List();
        ASSERT_EQ(list.count(), 12);
        for (int i = 0; i < 12; ++i) {
            const std::string row = list.Row(i).toStdString();
            EXPECT_EQ(RowTrackNumber(row), i + 1);
            EXPECT_DOUBLE_EQ(RowTime(row).value_or(0), 1 + (i + 1) * 0.01);
            EXPECT_EQ(RowName(row), "Song " + std::to_string(i + 1));
        }
        EXPECT_EQ(list.Row(4), QStringLiteral(" 501.05Song 5"));
        EXPECT_EQ(QApplication::focusWidget(), &list);
        test::Key(Qt::Key_Home);
        for (int i = 0; i < 4; ++i) {
            test::Key(Qt::Key_Down);
        }
        test::Key(Qt::Key_Return);
    });
    test::Click(Child<QToolButton>("btnTrack"));
    EXPECT_EQ(device->GetCurrentTrack(), 5);
    EXPECT_FALSE(device->GetMode() == CdMode::Playing);

    // While playing, play goes on from the chosen track.
    test::Click(Child<QToolButton>("btnPlay"));
    boxes.Dialog<TfrmTracks>([](TfrmTracks&) {
        test::Key(Qt::Key_End);
        test::Key(Qt::Key_Up);
        test::Alt('o');
    });
    test::Menu(*window, "ot");
    EXPECT_EQ(device->GetCurrentTrack(), 11);
    EXPECT_EQ(device->GetMode(), CdMode::Playing);
}

TEST_F(DialogsTest, OkWithoutARowSaysSoAndStaysOpenUntilADoubleClick) {
    InsertDisc(4, false);
    test::Boxes boxes(&*window);
    boxes
        .Dialog<TfrmTracks>([](TfrmTracks& dialog) {
            // Unnamed tracks still show their number and time.
            EXPECT_EQ(dialog.List()->Row(1).toStdString(), TrackRow(2, PackMsf(1, 2, 0), ""));
            test::Alt('o');
        })
        .StaysOpen()
        .Notice("No track selected.  Please select a track before clicking [OK].")
        .Over<TfrmTracks>()
        .Dialog<TfrmTracks>([](TfrmTracks& dialog) { DoubleClickRow(*dialog.List(), 2); });
    Click(Child<ImageControl>("imgTrack"), {5, 5}, Qt::LeftButton);
    EXPECT_EQ(device->GetCurrentTrack(), 3);

    // Cancel goes nowhere.
    boxes.Dialog<TfrmTracks>([](TfrmTracks&) {
        test::Key(Qt::Key_Home);
        test::Alt('c');
    });
    test::Click(Child<QToolButton>("btnTrack"));
    EXPECT_EQ(device->GetCurrentTrack(), 3);
}

TEST_F(DialogsTest, WithTheDiscGoneTheTrackLineListsNothing) {
    InsertDisc(3);
    drives.VirtualDrive().OpenTray();
    Tick();
    test::Boxes boxes(&*window);
    boxes.Dialog<TfrmTracks>([](TfrmTracks& dialog) {
        EXPECT_EQ(dialog.List()->count(), 0);
        test::Key(Qt::Key_Escape);
    });
    Click(Child<ImageControl>("imgTrack"), {5, 5}, Qt::LeftButton);
}

// ---- The custom programme dialogs over the demo disc -------------------------------------

class ProgrammeDialogsTest : public test::HandsetFixture {
  protected:
    void InsertDemo() {
        ASSERT_TRUE(drives.VirtualDrive().Insert(test::DemoImage().string()));
        Open(drives);
        Tick();
    }
    const std::vector<std::uint8_t>& Programme() {
        return window->Engine().Disc().Record().Programme;
    }
};

template <typename Dialog>
QPushButton* Button(Dialog& dialog, const char* name) {
    return dialog.template findChild<QPushButton*>(QString::fromLatin1(name));
}

QString TimeShown(QDialog& dialog) {
    return dialog.findChild<QLabel*>(QStringLiteral("labTime"))->text();
}

TEST_F(ProgrammeDialogsTest, ProgrammeIsBuiltThroughTheButtonsAndDoubleClicks) {
    const test::CommaLocale locale;
    ASSERT_TRUE(locale.Active());
    InsertDemo();
    ASSERT_TRUE(Action("Custom pr&ogramme...")->isEnabled());
    EXPECT_EQ(Action("Custom pr&ogramme...")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    const DiscRecord& record = window->Engine().Disc().Record();
    test::Boxes boxes(&*window);
    boxes.Dialog<TfrmProgramme>([&](TfrmProgramme& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Custom programme"));
        EXPECT_EQ(HelpContextOf(&dialog), 1014);
        TrackList& src = *dialog.SrcList();
        ASSERT_EQ(src.count(), record.TrackCount);
        EXPECT_FALSE(Button(dialog, "btnRemove")->isEnabled());
        // Tracks 1 and 3 chosen: Space chooses the current row, Ctrl moves on without
        // choosing, Ctrl+Space adds a row.
        test::Alt('t');
        test::Key(Qt::Key_Space);
        test::Key(Qt::Key_Down, Qt::ControlModifier);
        test::Key(Qt::Key_Down, Qt::ControlModifier);
        test::Key(Qt::Key_Space, Qt::ControlModifier);
        test::Alt('a');
        test::Alt('a');
        const MinSec one = MsfToMinSec(record.TrackLengths[0]);
        const MinSec three = MsfToMinSec(record.TrackLengths[2]);
        const MinSec total = AddMinSec(AddMinSec(one, three), AddMinSec(one, three));
        ASSERT_GT(total, 0);
        EXPECT_EQ(TimeShown(dialog).toStdString(), FormatMinSec(total));
        TrackList& dst = *dialog.DstList();
        ASSERT_EQ(dst.count(), 4);
        test::Alt('p');
        test::Key(Qt::Key_End);
        test::Alt('u');
        DoubleClickRow(src, 4);  // adds track 5 alone
        DoubleClickRow(dst, 0);  // removes the first row
        ASSERT_EQ(dst.count(), 4);
        test::Shot(dialog, "programme_dialog.png");
        test::Alt('o');
    });
    test::Menu(*window, "oo");
    EXPECT_EQ(Programme(), (std::vector<std::uint8_t>{3, 3, 1, 5}));

    // Cancel keeps it; OK after clearing erases it.
    boxes.Dialog<TfrmProgramme>([](TfrmProgramme& dialog) {
        EXPECT_EQ(dialog.DstList()->count(), 4);
        test::Alt('c');
        EXPECT_EQ(TimeShown(dialog), QStringLiteral("00.00"));
        test::Alt('l');
    });
    test::Menu(*window, "oo");
    EXPECT_EQ(Programme().size(), 4u);
    boxes.Dialog<TfrmProgramme>([](TfrmProgramme&) {
        test::Alt('c');
        test::Alt('o');
    });
    test::Menu(*window, "oo");
    EXPECT_TRUE(Programme().empty());
}

TEST_F(ProgrammeDialogsTest, FitTracksChoosesInOrderOrByBestFitFromTheEnteredTime) {
    const test::CommaLocale locale;
    ASSERT_TRUE(locale.Active());
    AppSettings().FitTracksTime = 1.30;
    InsertDemo();
    const DiscRecord& record = window->Engine().Disc().Record();
    window->Engine().Disc().Store(
        [](DiscTables& disc) {
            disc.Record.Programme = {3, 3};
        },
        StoreWhen::Catalogued);
    ASSERT_TRUE(Action("&Fit tracks to time...")->isEnabled());
    EXPECT_EQ(Action("&Fit tracks to time...")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    std::vector<int> chosen;
    // The time typed over the whole old text where Alt+M puts the focus.
    const auto enterTime = [](const char* time) {
        test::Alt('m');
        test::Key(Qt::Key_A, Qt::ControlModifier);
        test::Type(QString::fromLatin1(time));
    };
    test::Boxes boxes(&*window);
    boxes.Dialog<TfrmFit>([&](TfrmFit& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Custom programme - fit tracks to time"));
        EXPECT_EQ(HelpContextOf(&dialog), 1025);
        EXPECT_EQ(dialog.TimeEntry()->text(), QStringLiteral("01.30"));
        EXPECT_EQ(QApplication::focusWidget(), dialog.TimeEntry());
        // Track 3 is in the play list twice and not available.
        ASSERT_EQ(dialog.DstList()->count(), 2);
        for (int i = 0; i < dialog.SrcList()->count(); ++i) {
            EXPECT_NE(RowTrackNumber(dialog.SrcList()->Row(i).toStdString()), 3);
        }
        test::Alt('i');
        // Both copies of track 3 went back to the available list.
        EXPECT_EQ(dialog.SrcList()->count() + dialog.DstList()->count(), 7);
        enterTime("12.75");
        EXPECT_EQ(dialog.TimeEntry()->text(), QStringLiteral("12.75"));
        test::Alt('b');
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(dialog.DstList()->count(), 0);
        test::Activate(dialog);  // as the window system does when the error closes
        enterTime("99.59");
        test::Alt('b');
        EXPECT_EQ(dialog.DstList()->count(), 7);  // every demo track fits
        test::Alt('e');
        EXPECT_EQ(dialog.DstList()->count(), 0);
        EXPECT_EQ(TimeShown(dialog), QStringLiteral("00.00"));
        test::Alt('e');
        enterTime("01.30");
        test::Alt('b');
        MinSec sum = 0;
        for (int i = 0; i < dialog.DstList()->count(); ++i) {
            const std::string row = dialog.DstList()->Row(i).toStdString();
            chosen.push_back(RowTrackNumber(row));
            sum = AddMinSec(
                sum, MsfToMinSec(
                         record.TrackLengths[static_cast<std::size_t>(RowTrackNumber(row) - 1)]));
        }
        EXPECT_LE(sum, 1.30);
        EXPECT_EQ(TimeShown(dialog).toStdString(), FormatMinSec(sum));
        test::Shot(dialog, "fit_dialog.png");
        test::Alt('o');
    });
    boxes.Notice(kFitOutOfRange).Over<TfrmFit>();
    test::Menu(*window, "of");
    EXPECT_EQ(std::vector<int>(Programme().begin(), Programme().end()), chosen);
    EXPECT_FALSE(chosen.empty());
}

TEST_F(ProgrammeDialogsTest, TheProgrammeMenuItemsFollowTheNextTrackButton) {
    Open(drives);
    EXPECT_FALSE(Action("Custom pr&ogramme...")->isEnabled());
    EXPECT_FALSE(Action("&Fit tracks to time...")->isEnabled());
    for (const int topic : {kHelpProgramme, kHelpFitTracks}) {
        EXPECT_NE(HelpPage(topic), HelpPage(kHelpContents));
        EXPECT_TRUE(QFile::exists(HelpPage(topic).mid(3))) << topic;
    }
}

// ---- Drawing a row ---------------------------------------------------------------------------

constexpr QRgb kOutside = 0xFFFF00FF;

QPalette RowPalette() {
    QPalette palette;
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Highlight, QColor(0, 0, 128));
    palette.setColor(QPalette::HighlightedText, QColor(255, 255, 0));
    return palette;
}

// The first and last column, from..to, that hold a pixel other than background; -1 for none.
std::pair<int, int> Ink(const QImage& image, QRect area, QRgb background) {
    int first = -1;
    int last = -1;
    for (int x = area.left(); x <= area.right(); ++x) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            if (image.pixel(x, y) != background) {
                first = first < 0 ? x : first;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

// Where text's ink lies when drawn on its own from x = 0, and its advance.
struct Reference {
    int First;
    int Last;
    int Advance;
};
Reference Measure(const QString& text, const QFont& font) {
    QImage image(200, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(0, painter.fontMetrics().ascent(), text);
    painter.end();
    const auto [first, last] = Ink(image, image.rect(), qRgb(255, 255, 255));
    return {first, last, QFontMetrics(font).horizontalAdvance(text)};
}

// A font the design's columns suit, and the larger default one, which spreads them.
std::vector<QFont> RowFonts() {
    QFont small;
    small.setPixelSize(8);
    return {small, QFont()};
}

TEST(DrawTrackRow, NumberAndTimeEndAtTheirColumnsAndTheNameStartsAtItsOwn) {
    QFontMetrics design(RowFonts().front());
    ASSERT_EQ(TrackRowColumnsFor(design).NumberRight, 20);
    EXPECT_EQ(TrackRowColumnsFor(design).TimeRight, 55);
    EXPECT_EQ(TrackRowColumnsFor(design).NameLeft, 58);

    for (const QFont& font : RowFonts()) {
        const TrackRowColumns columns = TrackRowColumnsFor(QFontMetrics(font));
        const QRect item(10, 13, 200, TrackRowHeight(QFontMetrics(font)));
        for (const bool selected : {false, true}) {
            QImage image(220, 50, QImage::Format_RGB32);
            image.fill(kOutside);
            QPainter painter(&image);
            painter.setFont(font);
            DrawTrackRow(painter, item, QStringLiteral(" 703.45Waltz"), selected, RowPalette());
            painter.end();
            const QRgb back = selected ? qRgb(0, 0, 128) : qRgb(255, 255, 255);

            const Reference number = Measure(QStringLiteral(" 7 :"), font);
            const Reference time = Measure(QStringLiteral("03.45 :"), font);
            const Reference name = Measure(QStringLiteral("Waltz"), font);
            const int left = item.left();
            const int top = item.top();
            const int height = item.height();
            const auto numberInk = Ink(image, {left, top, columns.NumberRight, height}, back);
            EXPECT_EQ(numberInk.first, left + columns.NumberRight - number.Advance + number.First);
            EXPECT_EQ(numberInk.second, left + columns.NumberRight - number.Advance + number.Last);
            const auto timeInk = Ink(
                image,
                {left + columns.NumberRight, top, columns.NameLeft - columns.NumberRight, height},
                back);
            EXPECT_EQ(timeInk.first, left + columns.TimeRight - time.Advance + time.First);
            EXPECT_EQ(timeInk.second, left + columns.TimeRight - time.Advance + time.Last);
            const auto nameInk = Ink(image, {left + columns.NameLeft, top, 100, height}, back);
            EXPECT_EQ(nameInk.first, left + columns.NameLeft + name.First);

            // The item is filled and nothing lies outside it.
            EXPECT_EQ(image.pixel(item.right(), item.bottom()), back);
            EXPECT_EQ(Ink(image, {0, 0, 220, top}, kOutside).first, -1);
            EXPECT_EQ(
                Ink(image, {0, item.bottom() + 1, 220, 50 - item.bottom() - 1}, kOutside).first,
                -1);
            bool textColour = false;
            for (int x = item.left(); x <= item.right(); ++x) {
                for (int y = item.top(); y <= item.bottom(); ++y) {
                    const QColor pixel = image.pixelColor(x, y);
                    textColour = textColour || (selected ? pixel.red() > 200 && pixel.blue() < 100
                                                         : pixel.lightness() < 60);
                }
            }
            EXPECT_TRUE(textColour) << selected;
        }
    }
}

TEST(DrawTrackRow, UnnamedRowShowsNumberAndTime) {
    const QFont font = RowFonts().front();
    QImage image(120, kTrackRowHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setFont(font);
    DrawTrackRow(painter, image.rect(), QString::fromStdString(TrackRow(12, PackMsf(4, 5, 0), "")),
                 false, RowPalette());
    painter.end();
    const QRgb white = qRgb(255, 255, 255);
    EXPECT_NE(Ink(image, {0, 0, kRowNumberRight, kTrackRowHeight}, white).first, -1);
    EXPECT_NE(
        Ink(image, {kRowNumberRight, 0, kRowNameLeft - kRowNumberRight, kTrackRowHeight}, white)
            .first,
        -1);
    EXPECT_EQ(Ink(image, {kRowNameLeft, 0, 120 - kRowNameLeft, kTrackRowHeight}, white).first, -1);
}

}  // namespace
}  // namespace snx
