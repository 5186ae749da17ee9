// Draws the LED display: the digit and colon glyphs, the times, the "Elapsed"/"Remaining"
// captions and the three status lines beside it.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <array>

#include "util/min_sec.h"

class QPainter;

namespace snx {

constexpr int kDisplayWidth = 126;
constexpr int kDisplayHeight = 45;

// A 10 x 19 digit, or the 5 x 19 colon when digit is -1, on back in the segment colour fore.
QImage DrawDigit(int digit, QColor back, QColor fore);
QImage DrawColon(QColor back, QColor fore);

struct LedStyle {
    QFont Font;
    QColor Back;
    QColor Fore;
};

class LedPainter {
  public:
    // Makes the ten digit glyphs and the colon in the style's colours.
    void Make(const LedStyle& style);
    const LedStyle& Style() const { return style_; }

    // Out: "mm.ss" with its left edge at x: digits at x, x + 13, colon at x + 26, digits at
    // x + 32 and x + 45.
    void Out(QPainter& painter, int x, int y, MinSec time) const;

    // SetDisplay's drawing: the display filled, "Elapsed" and "Remaining" above their clocks.
    void DrawBackground(QImage& display) const;
    // The two clocks under their captions.
    void DrawClocks(QImage& display, MinSec elapsed, MinSec remaining) const;
    // A status line: the image filled and text written from its top left corner.
    void DrawLine(QImage& line, const QString& text) const;

    // Where the 126 x 45 drawing starts inside a display of this size.
    static QPoint Origin(QSize display);

  private:
    LedStyle style_;
    std::array<QImage, 10> digits_;
    QImage colon_;
};

}  // namespace snx
