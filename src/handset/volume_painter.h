// Draws the volume panel's controls: the four-way arrows and the two bar gauges.
#pragma once

#include <QColor>
#include <QImage>
#include <array>

class QPainter;

namespace snx {

constexpr int kFourWaySize = 30;

struct FourWayColours {
    QColor Back;
    QColor Face;
    QColor Shadow;
};

// iFourWayDraw: the five arrows on back, a held arrow filled and edged in the shadow colour.
// held is indexed by VolumeArrow.
void DrawFourWay(QImage& image, const std::array<bool, 5>& held, const FourWayColours& colours);

// A vertical bar gauge: value of 0..65535 filled from the bottom of rect.
void DrawGauge(QPainter& painter, const QRect& rect, int value, QColor back, QColor fore);

}  // namespace snx
