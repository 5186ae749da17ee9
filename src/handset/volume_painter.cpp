#include "handset/volume_painter.h"

#include <QPainter>
#include <QPolygon>
#include <span>

#include "player/volume_control.h"

namespace snx {

namespace {

enum EdgeColour { kNone = 0, kWhite = 1, kShadow = 2, kBlack = 3 };

struct Point {
    int X;
    int Y;
    EdgeColour Edge;  // the colour of the edge that ends at this point
};

constexpr std::array<Point, 7> kUp = {{{14, 0, kNone},
                                       {21, 7, kShadow},
                                       {16, 12, kBlack},
                                       {14, 10, kBlack},
                                       {12, 12, kBlack},
                                       {7, 7, kBlack},
                                       {14, 0, kWhite}}};
constexpr std::array<Point, 7> kDown = {{{14, 28, kNone},
                                         {7, 21, kWhite},
                                         {12, 16, kBlack},
                                         {14, 18, kBlack},
                                         {16, 16, kBlack},
                                         {21, 21, kBlack},
                                         {14, 28, kShadow}}};
constexpr std::array<Point, 7> kLeft = {{{0, 14, kNone},
                                         {7, 7, kWhite},
                                         {12, 12, kBlack},
                                         {10, 14, kBlack},
                                         {12, 16, kBlack},
                                         {7, 21, kBlack},
                                         {0, 14, kWhite}}};
constexpr std::array<Point, 7> kRight = {{{28, 14, kNone},
                                          {21, 21, kShadow},
                                          {16, 16, kBlack},
                                          {18, 14, kBlack},
                                          {16, 12, kBlack},
                                          {21, 7, kBlack},
                                          {28, 14, kShadow}}};
constexpr std::array<Point, 5> kMiddle = {
    {{14, 10, kNone}, {18, 14, kWhite}, {14, 18, kWhite}, {10, 14, kShadow}, {14, 10, kShadow}}};

QColor EdgeColourOf(EdgeColour edge, const FourWayColours& colours) {
    switch (edge) {
        case kWhite:
            return Qt::white;
        case kShadow:
            return colours.Shadow;
        default:
            return Qt::black;
    }
}

void DrawShape(QPainter& painter, std::span<const Point> points, bool held,
               const FourWayColours& colours) {
    QPolygon polygon;
    for (const Point& point : points) {
        polygon << QPoint(point.X, point.Y);
    }
    painter.setPen(Qt::white);
    painter.setBrush(held ? colours.Shadow : colours.Face);
    painter.drawPolygon(polygon);
    for (std::size_t i = 1; i < points.size(); ++i) {
        const EdgeColour edge = held ? kShadow : points[i].Edge;
        painter.setPen(EdgeColourOf(edge, colours));
        const QPoint from(points[i - 1].X, points[i - 1].Y);
        const QPoint to(points[i].X, points[i].Y);
        painter.drawLine(from, to);
        // Light edges are doubled to the right so the raised look survives at this size.
        if (edge != kBlack) {
            painter.drawLine(from + QPoint(1, 0), to + QPoint(1, 0));
        }
    }
}

bool Held(const std::array<bool, 5>& held, VolumeArrow arrow) {
    return held[static_cast<std::size_t>(arrow)];
}

}  // namespace

void DrawFourWay(QImage& image, const std::array<bool, 5>& held, const FourWayColours& colours) {
    image.fill(colours.Back);
    QPainter painter(&image);
    DrawShape(painter, kUp, Held(held, VolumeArrow::Up), colours);
    DrawShape(painter, kRight, Held(held, VolumeArrow::Right), colours);
    DrawShape(painter, kDown, Held(held, VolumeArrow::Down), colours);
    DrawShape(painter, kLeft, Held(held, VolumeArrow::Left), colours);
    painter.setPen(Qt::white);
    painter.drawPoint(7, 7);
    DrawShape(painter, kMiddle, Held(held, VolumeArrow::Middle), colours);
}

void DrawGauge(QPainter& painter, const QRect& rect, int value, QColor back, QColor fore) {
    painter.fillRect(rect, back);
    const int filled = static_cast<int>(static_cast<long long>(rect.height()) * value / 65535);
    painter.fillRect(QRect(rect.left(), rect.bottom() - filled + 1, rect.width(), filled), fore);
}

}  // namespace snx
