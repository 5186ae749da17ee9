#include "handset/led_painter.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

#include "player/led_segments.h"

namespace snx {

namespace {

void DrawLine(QImage& image, const SegmentLine& line, QColor colour) {
    QPainter painter(&image);
    // Axis-aligned lines without their end pixel, as the segment table gives them.
    const int x2 = line.X2 == line.X1 ? line.X1 : line.X2 - 1;
    const int y2 = line.Y2 == line.Y1 ? line.Y1 : line.Y2 - 1;
    painter.fillRect(QRect(QPoint(line.X1, line.Y1), QPoint(x2, y2)), colour);
}

QImage Blank(int width, QColor back) {
    QImage image(width, kDigitHeight, QImage::Format_RGB32);
    image.fill(back);
    return image;
}

}  // namespace

QImage DrawDigit(int digit, QColor back, QColor fore) {
    QImage image = Blank(kDigitWidth, back);
    const std::uint8_t lit = DigitSegments(digit);
    for (const Segment segment :
         {kTop, kUpperLeft, kUpperRight, kMiddle, kLowerLeft, kLowerRight, kBottom}) {
        if ((lit & segment) != 0) {
            for (const SegmentLine& line : SegmentLines(segment)) {
                DrawLine(image, line, fore);
            }
        }
    }
    return image;
}

QImage DrawColon(QColor back, QColor fore) {
    QImage image = Blank(kColonWidth, back);
    QPainter painter(&image);
    for (const SegmentLine& dot : ColonDots()) {
        painter.fillRect(dot.X1 - 1, dot.Y1 - 1, 3, 3, fore);
    }
    return image;
}

void LedPainter::Make(const LedStyle& style) {
    style_ = style;
    for (int digit = 0; digit < 10; ++digit) {
        digits_[static_cast<std::size_t>(digit)] = DrawDigit(digit, style.Back, style.Fore);
    }
    colon_ = DrawColon(style.Back, style.Fore);
}

void LedPainter::Out(QPainter& painter, int x, int y, MinSec time) const {
    const std::string text = LedTimeText(time);
    constexpr std::array<int, 5> kOffsets = {0, 13, 26, 32, 45};
    for (std::size_t i = 0; i < text.size() && i < kOffsets.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            painter.drawImage(x + kOffsets[i], y, digits_[static_cast<std::size_t>(c - '0')]);
        } else {
            painter.drawImage(x + kOffsets[i], y, colon_);
        }
    }
}

QPoint LedPainter::Origin(QSize display) {
    return {(display.width() - kDisplayWidth) / 2, (display.height() - kDisplayHeight) / 2};
}

void LedPainter::DrawBackground(QImage& display) const {
    display.fill(style_.Back);
    QPainter painter(&display);
    painter.setFont(style_.Font);
    painter.setPen(style_.Fore);
    const QFontMetrics metrics(style_.Font);
    const QPoint origin = Origin(display.size());
    const QString elapsed = QStringLiteral("Elapsed");
    const QString remaining = QStringLiteral("Remaining");
    const int top = origin.y() + 2 + metrics.ascent();
    painter.drawText(
        origin.x() + static_cast<int>(std::lround((55 - metrics.horizontalAdvance(elapsed)) / 2.0)),
        top, elapsed);
    painter.drawText(
        origin.x() + 60 +
            static_cast<int>(std::lround((64 - metrics.horizontalAdvance(remaining)) / 2.0)),
        top, remaining);
}

void LedPainter::DrawClocks(QImage& display, MinSec elapsed, MinSec remaining) const {
    QPainter painter(&display);
    const QPoint origin = Origin(display.size());
    const int y = QFontMetrics(style_.Font).height() + origin.y() + 6;
    Out(painter, origin.x(), y, elapsed);
    Out(painter, origin.x() + 65, y, remaining);
}

void LedPainter::DrawLine(QImage& line, const QString& text) const {
    line.fill(style_.Back);
    QPainter painter(&line);
    painter.setFont(style_.Font);
    painter.setPen(style_.Fore);
    painter.drawText(line.rect(), Qt::AlignLeft | Qt::AlignTop, text);
}

}  // namespace snx
