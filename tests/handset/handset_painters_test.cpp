// The handset's painters drawn onto images and checked pixel by pixel.
#include <gtest/gtest.h>

#include <QPainter>
#include <filesystem>
#include <fstream>
#include <set>
#include <utility>

#include "handset/default_bitmaps.h"
#include "handset/led_painter.h"
#include "handset/track_panel_painter.h"
#include "handset/volume_painter.h"
#include "player/led_segments.h"
#include "player/track_grid.h"
#include "tests/support/temp_dir.h"

namespace snx {
namespace {

const QColor kBack(0, 0, 0);
const QColor kFore(0, 255, 0);

using Pixels = std::set<std::pair<int, int>>;

// The lit pixels of each segment, written out from the glyph design rather than taken from the
// drawing code.
Pixels Segment(char name) {
    Pixels pixels;
    auto row = [&](int y, int from, int to) {
        for (int x = from; x <= to; ++x)
            pixels.insert({x, y});
    };
    auto column = [&](int x, int from, int to) {
        for (int y = from; y <= to; ++y)
            pixels.insert({x, y});
    };
    switch (name) {
        case 't':
            row(0, 1, 7);
            row(1, 2, 6);
            break;
        case 'a':
            column(0, 2, 7);
            column(1, 3, 6);
            break;
        case 'b':
            column(9, 1, 7);
            column(8, 2, 6);
            break;
        case 'm':
            row(9, 1, 8);
            row(8, 2, 7);
            row(10, 2, 7);
            break;
        case 'c':
            column(0, 11, 16);
            column(1, 12, 15);
            break;
        case 'd':
            column(9, 11, 17);
            column(8, 12, 16);
            break;
        case 'o':
            row(18, 1, 7);
            row(17, 2, 6);
            break;
    }
    return pixels;
}

// t top, a/b upper left/right, m middle, c/d lower left/right, o bottom.
const char* const kDigitSegments[10] = {"tabcdo", "bd",    "tbmco", "tbmdo",   "abmd",
                                        "tamdo",  "amcdo", "tbd",   "tabmcdo", "tabmd"};

void ExpectPixels(const QImage& image, const Pixels& lit, const char* what) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor expected = lit.contains({x, y}) ? kFore : kBack;
            ASSERT_EQ(image.pixelColor(x, y), expected) << what << " at " << x << "," << y;
        }
    }
}

TEST(LedGlyphs, DigitsMatchTheSegmentDesign) {
    for (int digit = 0; digit < 10; ++digit) {
        const QImage image = DrawDigit(digit, kBack, kFore);
        ASSERT_EQ(image.size(), QSize(10, 19));
        Pixels lit;
        for (const char* s = kDigitSegments[digit]; *s != 0; ++s) {
            lit.merge(Segment(*s));
        }
        ExpectPixels(image, lit, std::to_string(digit).c_str());
    }
    // The two glyphs told apart only by one bar.
    EXPECT_EQ(DrawDigit(6, kBack, kFore).pixelColor(4, 0), kBack);
    EXPECT_EQ(DrawDigit(9, kBack, kFore).pixelColor(4, 18), kBack);
}

TEST(LedGlyphs, ColonIsTwoSquareDots) {
    Pixels lit;
    for (int x = 0; x <= 2; ++x) {
        for (int y : {4, 5, 6, 11, 12, 13}) {
            lit.insert({x, y});
        }
    }
    const QImage colon = DrawColon(kBack, kFore);
    ASSERT_EQ(colon.size(), QSize(5, 19));
    ExpectPixels(colon, lit, "colon");
}

QImage Shown(MinSec time) {
    LedPainter led;
    led.Make({QFont(), kBack, kFore});
    QImage image(60, 19, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter painter(&image);
    led.Out(painter, 1, 0, time);
    return image;
}

void ExpectGlyphAt(const QImage& image, int x, const QImage& glyph) {
    EXPECT_EQ(image.copy(x, 0, glyph.width(), glyph.height()), glyph) << "glyph at " << x;
}

TEST(LedGlyphs, TimesAreDrawnDigitByDigit) {
    const QImage small = Shown(0.07);
    const QImage colon = DrawColon(kBack, kFore);
    ExpectGlyphAt(small, 1, DrawDigit(0, kBack, kFore));
    ExpectGlyphAt(small, 14, DrawDigit(0, kBack, kFore));
    ExpectGlyphAt(small, 27, colon);
    ExpectGlyphAt(small, 33, DrawDigit(0, kBack, kFore));
    ExpectGlyphAt(small, 46, DrawDigit(7, kBack, kFore));

    const QImage larger = Shown(12.30);
    ExpectGlyphAt(larger, 1, DrawDigit(1, kBack, kFore));
    ExpectGlyphAt(larger, 14, DrawDigit(2, kBack, kFore));
    ExpectGlyphAt(larger, 33, DrawDigit(3, kBack, kFore));
    ExpectGlyphAt(larger, 46, DrawDigit(0, kBack, kFore));
    // Nothing is drawn outside the five glyphs.
    EXPECT_EQ(larger.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(larger.pixelColor(11, 5), QColor(Qt::red));
}

TEST(LedGlyphs, LongTimesShowTheLargestThatFits) {
    EXPECT_EQ(LedTimeText(0.07), "00.07");
    EXPECT_EQ(LedTimeText(-3.05), "03.05");
    EXPECT_EQ(LedTimeText(99.59), "99.59");
    EXPECT_EQ(LedTimeText(104.12), "99.59");
}

TEST(TrackGrid, CellsRunInRowsOfEight) {
    const TrackCell ninth = TrackCellOf(9, 98);
    EXPECT_EQ(ninth.Left, 0);
    EXPECT_EQ(ninth.Top, 12);
    EXPECT_EQ(ninth.Side, 12);
    EXPECT_EQ(TrackCellOf(8, 98).Left, 84);
    EXPECT_EQ(TrackAtPoint(5, 15, 98, 9), 9);
    EXPECT_EQ(TrackAtPoint(1, 1, 98, 9), 1);
    EXPECT_EQ(TrackAtPoint(0, 0, 98, 9), 1);
    EXPECT_EQ(TrackAtPoint(20, 15, 98, 9), 0);  // cell of track 10
    EXPECT_EQ(TrackAtPoint(97, 5, 98, 12), 0);  // the strip right of the eighth column
    EXPECT_EQ(TrackAtPoint(13, 1, 98, 12), 2);
}

TEST(TrackPanel, NumberIsDrawnInsideItsCellOnly) {
    const TrackPanelPainter painter({QFont(), Qt::green, Qt::red, Qt::black});
    QImage image(98, 86, QImage::Format_RGB32);
    painter.Setup(image, true);
    painter.DrawTrackNumber(image, 9, Qt::red);
    int inside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != QColor(Qt::black)) {
                ASSERT_TRUE(x < 12 && y >= 12 && y <= 24) << x << "," << y;
                ++inside;
            }
        }
    }
    EXPECT_GT(inside, 0);
}

TEST(FourWay, HeldArrowTurnsShadowAndTheDotStaysWhite) {
    const FourWayColours colours{Qt::gray, Qt::lightGray, Qt::darkGray};
    QImage image(kFourWaySize, kFourWaySize, QImage::Format_RGB32);
    DrawFourWay(image, {}, colours);
    EXPECT_EQ(image.pixelColor(7, 7), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(14, 5), QColor(Qt::lightGray));   // inside up
    EXPECT_EQ(image.pixelColor(14, 14), QColor(Qt::lightGray));  // inside middle
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::gray));
    EXPECT_EQ(image.pixelColor(29, 29), QColor(Qt::gray));
    // The lower right edges of the up arrow are black.
    EXPECT_EQ(image.pixelColor(9, 9), QColor(Qt::black));

    std::array<bool, 5> held{};
    held[1] = true;  // down
    DrawFourWay(image, held, colours);
    EXPECT_EQ(image.pixelColor(14, 23), QColor(Qt::darkGray));
    EXPECT_EQ(image.pixelColor(14, 5), QColor(Qt::lightGray));
}

TEST(Gauge, FillsFromTheBottomInProportion) {
    QImage image(9, 50, QImage::Format_RGB32);
    QPainter painter(&image);
    DrawGauge(painter, image.rect(), 65535 / 2, Qt::black, Qt::green);
    painter.end();
    EXPECT_EQ(image.pixelColor(4, 49), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(4, 26), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(4, 24), QColor(Qt::black));
}

}  // namespace
}  // namespace snx

namespace snx {
namespace {

TEST(DefaultBitmaps, WrittenWhenMissingAndNeverOverAUsersFile) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path());
    {
        std::ofstream own(dir.Path() / "GENERAL.BMP");
        own << "mine";
    }
    WriteDefaultBitmaps(dir.Path());
    const QImage tile(QString::fromStdString((dir.Path() / "sandblst.bmp").string()));
    EXPECT_EQ(tile.size(), SandblastBitmap().size());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "general.bmp"));
    std::ifstream own(dir.Path() / "GENERAL.BMP");
    std::string text;
    own >> text;
    EXPECT_EQ(text, "mine");
}

}  // namespace
}  // namespace snx
