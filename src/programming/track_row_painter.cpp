#include "programming/track_row_painter.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "programming/track_row.h"

namespace snx {

namespace {

// The width of "00.00 :" in the font the columns were laid out for.
constexpr int kDesignTimeWidth = 33;

}  // namespace

TrackRowColumns TrackRowColumnsFor(const QFontMetrics& metrics) {
    const int width = metrics.horizontalAdvance(QStringLiteral("00.00 :"));
    if (width <= kDesignTimeWidth) {
        return {};
    }
    const auto scaled = [width](int design) {
        return (design * width + kDesignTimeWidth - 1) / kDesignTimeWidth;
    };
    return {scaled(kRowNumberRight), scaled(kRowTimeRight), scaled(kRowNameLeft)};
}

int TrackRowHeight(const QFontMetrics& metrics) {
    return std::max(kTrackRowHeight, metrics.height());
}

void DrawTrackRow(QPainter& painter, const QRect& item, const QString& row, bool selected,
                  const QPalette& palette) {
    painter.save();
    painter.fillRect(item, selected ? palette.highlight() : palette.base());
    painter.setPen(selected ? palette.color(QPalette::HighlightedText)
                            : palette.color(QPalette::Text));
    const QString separator = QStringLiteral(" :");
    const QString number = row.left(kRowNumberWidth) + separator;
    const QString time = row.mid(kRowNumberWidth, kRowTimeWidth) + separator;
    const QString name = row.mid(kRowNameStart);
    const QFontMetrics metrics = painter.fontMetrics();
    const TrackRowColumns columns = TrackRowColumnsFor(metrics);
    const int baseline = item.top() + metrics.ascent();
    painter.setClipRect(item);
    painter.drawText(item.left() + columns.NumberRight - metrics.horizontalAdvance(number),
                     baseline, number);
    painter.drawText(item.left() + columns.TimeRight - metrics.horizontalAdvance(time), baseline,
                     time);
    painter.drawText(item.left() + columns.NameLeft, baseline, name);
    painter.restore();
}

}  // namespace snx
