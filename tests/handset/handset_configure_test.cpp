// The configuration dialog from the main handset: OK applies the new look at once, Cancel keeps
// everything but an AutoPlay click.
#include <gtest/gtest.h>

#include <QRadioButton>
#include <array>
#include <cstdlib>
#include <functional>

#include "handset/handset_window.h"
#include "player/player_engine.h"
#include "player/track_grid.h"
#include "settings/config_dialog.h"
#include "settings/mime_apps.h"
#include "settings/settings.h"
#include "tests/support/boxes.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/user_input.h"
#include "ui_config_dialog.h"
#include "widgets/image_control.h"

namespace snx {
namespace {

class HandsetConfigureTest : public test::HandsetFixture {
  protected:
    // The AutoPlay click writes the desktop's configuration and, with nothing installed, an entry
    // among the user's applications: both go to this test's directory.
    HandsetConfigureTest() {
        for (const auto& [name, sub] : kPlaces) {
            const char* saved = std::getenv(name);
            saved_.push_back(saved != nullptr ? std::optional<std::string>(saved) : std::nullopt);
            ::setenv(name, (dir.Path() / sub).c_str(), 1);
        }
    }
    ~HandsetConfigureTest() override {
        for (std::size_t i = 0; i < kPlaces.size(); ++i) {
            if (saved_[i]) {
                ::setenv(kPlaces[i].first, saved_[i]->c_str(), 1);
            } else {
                ::unsetenv(kPlaces[i].first);
            }
        }
    }
    static constexpr std::array<std::pair<const char*, const char*>, 3> kPlaces = {
        {{"XDG_CONFIG_HOME", "config"}, {"XDG_DATA_HOME", "share"}, {"XDG_DATA_DIRS", "system"}}};
    // The configuration opened from the File menu over the handset; act drives it by keys and
    // closes it.
    void Configure(std::function<void(Tfrmconf&)> act) {
        test::Activate(*window);
        test::Boxes boxes(&*window);
        boxes.Dialog<Tfrmconf>(std::move(act)).Over(&*window);
        test::Menu(*window, "fc");
    }

    // Counts the cell's pixels that are clearly of the colour's hue (text is smoothed into the
    // dark background, so only the channels that are on or off count).
    static int Near(const QImage& image, const TrackCell& cell, QColor colour) {
        int count = 0;
        for (int y = cell.Top; y < cell.Top + cell.Side; ++y) {
            for (int x = cell.Left; x < cell.Left + cell.Side; ++x) {
                const QColor pixel = image.pixelColor(x, y);
                const auto matches = [](int channel, int wanted) {
                    return wanted > 128 ? channel > 100 : channel < 60;
                };
                if (matches(pixel.red(), colour.red()) && matches(pixel.green(), colour.green()) &&
                    matches(pixel.blue(), colour.blue())) {
                    ++count;
                }
            }
        }
        return count;
    }

    std::vector<std::optional<std::string>> saved_;
};

TEST_F(HandsetConfigureTest, OkWithNewTrackColoursRedrawsThePanelAtOnce) {
    InsertDisc(12);
    test::Click(Child<QToolButton>("btnPlay"));
    device->GoToTrack(3, {});
    Tick();
    const QColor text(0, 255, 255);
    const QColor back(20, 20, 20);
    const QColor selected(255, 0, 255);

    Configure([&](Tfrmconf& dialog) {
        std::optional<QColor> next;
        dialog.PickColour = [&next](QColor, QWidget*) { return next; };
        test::Alt('n');  // the track numbers
        next = text;
        test::Alt('f');
        next = back;
        test::Alt('b');
        test::Alt('e');  // the selected track number
        next = selected;
        test::Alt('f');
        test::Alt('o');
    });

    EXPECT_EQ(AppSettings().TrackFontColor, 0xFFFF00);
    EXPECT_EQ(AppSettings().TrackSelectedColor, 0xFF00FF);
    EXPECT_NE(test::ReadFileText(dir / "SONATRIX.INI").find("Track window selected=16711935\n"),
              std::string::npos);

    const QImage& panel = Child<ImageControl>("imgTracks")->Image();
    const int width = Child<ImageControl>("imgTracks")->width();
    for (int track = 1; track <= 12; ++track) {
        const TrackCell cell = TrackCellOf(track, width);
        EXPECT_EQ(panel.pixelColor(cell.Left, cell.Top + 1), back) << track;
        if (track == 3) {
            EXPECT_GT(Near(panel, cell, selected), 0);
            EXPECT_EQ(Near(panel, cell, text), 0);
        } else {
            EXPECT_GT(Near(panel, cell, text), 0) << track;
            EXPECT_EQ(Near(panel, cell, selected), 0) << track;
        }
    }
    // The next track change moves the highlight in the new colours too.
    device->GoToTrack(4, {});
    Tick();
    EXPECT_GT(Near(panel, TrackCellOf(3, width), text), 0);
    EXPECT_GT(Near(panel, TrackCellOf(4, width), selected), 0);
}

TEST_F(HandsetConfigureTest, CancelKeepsTheSettingsButNotAnAutoPlayClickUndone) {
    InsertDisc(2);
    const Settings before = AppSettings();
    const QImage panel = Child<ImageControl>("imgTracks")->Image().copy();
    Configure([&](Tfrmconf& dialog) {
        dialog.PickColour = [](QColor, QWidget*) { return std::optional<QColor>(Qt::white); };
        test::Alt('n');
        test::Alt('b');
        for (int page = 0; page < 3; ++page) {
            test::Key(Qt::Key_Tab, Qt::ControlModifier);  // on to the last page, "Other"
        }
        test::Alt('r');  // the seconds to skip
        test::Type(QStringLiteral("7"));
        EXPECT_EQ(dialog.Controls().edSkip->value(), 7);
        test::Alt('u');  // AutoPlay
        test::Key(Qt::Key_Escape);
    });

    EXPECT_TRUE(AppSettings().AutoPlayHandler);
    EXPECT_EQ(DefaultApplicationEntry(test::ReadFileText(dir / "config" / "mimeapps.list"),
                                      kAudioCdMimeType),
              "sonatrix.desktop");
    EXPECT_NE(test::ReadFileText(dir / "SONATRIX.INI").find("Use Sonatrix to auto play=1\n"),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir / "share" / "applications" / "sonatrix.desktop"));
    EXPECT_EQ(AppSettings().TrackBackColor, before.TrackBackColor);
    EXPECT_DOUBLE_EQ(AppSettings().SkipTime, before.SkipTime);
    EXPECT_EQ(Child<ImageControl>("imgTracks")->Image(), panel);
}

TEST_F(HandsetConfigureTest, ClearingTheBitmapOptionLeavesThePlainWindowColour) {
    Open(drives);
    ASSERT_FALSE(window->BackgroundTile().isNull());  // the default tile is written at start
    Configure([](Tfrmconf&) {
        test::Alt('p');  // the bitmap background
        test::Alt('o');
    });
    EXPECT_FALSE(AppSettings().UseBackgroundBitmap);
    EXPECT_TRUE(window->BackgroundTile().isNull());
}

}  // namespace
}  // namespace snx
