// Draws one track row in a list: the number and the time right-aligned in their columns, the
// name after them, on any QPainter.
#pragma once

#include <QPalette>
#include <QRect>
#include <QString>

class QFontMetrics;
class QPainter;

namespace snx {

// The height of a row in the track lists at design.
constexpr int kTrackRowHeight = 13;
// Where each column's text ends or starts, from the item's left edge, at design.
constexpr int kRowNumberRight = 20;
constexpr int kRowTimeRight = 55;
constexpr int kRowNameLeft = 58;

struct TrackRowColumns {
    int NumberRight = kRowNumberRight;
    int TimeRight = kRowTimeRight;
    int NameLeft = kRowNameLeft;
};

// The design's columns, for a font whose time column ("00.00 :") fits them; a wider font spreads
// them in proportion, so that number, time and name never run into each other.
TrackRowColumns TrackRowColumnsFor(const QFontMetrics& metrics);
// The design's row height, or the font's line height when that is taller.
int TrackRowHeight(const QFontMetrics& metrics);

// Fills item with the base colour, or the highlight when selected, and writes row on its top
// line in the painter's font and the matching text colour.
void DrawTrackRow(QPainter& painter, const QRect& item, const QString& row, bool selected,
                  const QPalette& palette);

}  // namespace snx
