#include "widgets/button_glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <string>

namespace snx {

namespace {

constexpr int kGlyphSize = 16;

QPainterPath Triangle(QPointF a, QPointF b, QPointF c) {
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    return path;
}

QPainterPath Box(qreal x, qreal y, qreal w, qreal h) {
    QPainterPath path;
    path.addRect(x, y, w, h);
    return path;
}

QPainterPath RightArrow(qreal x) {
    return Triangle({x, 3}, {x + 6, 8}, {x, 13});
}
QPainterPath LeftArrow(qreal x) {
    return Triangle({x + 6, 3}, {x, 8}, {x + 6, 13});
}

// The shape of each command and its colour in the colour set.
bool Shape(std::string_view command, QPainterPath& path, QColor& colour) {
    if (command == "Play") {
        path = Triangle({4, 2}, {13, 8}, {4, 14});
        colour = QColor(0, 150, 0);
    } else if (command == "Stop") {
        path = Box(3, 3, 10, 10);
        colour = QColor(200, 0, 0);
    } else if (command == "Pause") {
        path = Box(3, 3, 4, 10).united(Box(9, 3, 4, 10));
        colour = QColor(210, 160, 0);
    } else if (command == "Eject") {
        path = Triangle({2, 9}, {8, 2}, {14, 9}).united(Box(2, 11, 12, 3));
        colour = QColor(0, 70, 200);
    } else if (command == "Close") {
        path = Triangle({2, 2}, {14, 2}, {8, 9}).united(Box(2, 11, 12, 3));
        colour = QColor(0, 70, 200);
    } else if (command == "Last") {
        path = Box(2, 3, 2, 10).united(LeftArrow(5)).united(LeftArrow(10));
        colour = QColor(0, 120, 120);
    } else if (command == "Next") {
        path = RightArrow(1).united(RightArrow(6)).united(Box(12, 3, 2, 10));
        colour = QColor(0, 120, 120);
    } else if (command == "Rew") {
        path = LeftArrow(1).united(LeftArrow(8));
        colour = QColor(120, 0, 150);
    } else if (command == "FF") {
        path = RightArrow(2).united(RightArrow(9));
        colour = QColor(120, 0, 150);
    } else if (command == "Start") {
        path = Box(3, 3, 2, 10).united(Triangle({7, 3}, {13, 8}, {7, 13}));
        colour = QColor(0, 150, 0);
    } else if (command == "Tracks") {
        // A list with a pointer at one of its lines.
        path = Triangle({1, 5}, {5, 8}, {1, 11})
                   .united(Box(7, 2, 8, 2))
                   .united(Box(7, 7, 8, 2))
                   .united(Box(7, 12, 8, 2));
        colour = QColor(0, 120, 120);
    } else if (command == "Mode") {
        // A ring of play with its arrow: the order the disc is played in.
        QPainterPath ring;
        ring.addEllipse(QRectF(1.5, 2.5, 13, 13));
        QPainterPath hole;
        hole.addEllipse(QRectF(4, 5, 8, 8));
        path = ring.subtracted(hole)
                   .subtracted(Box(8, 0, 8, 9))
                   .united(Triangle({9.5, 9}, {16, 9}, {12.75, 4.5}));
        colour = QColor(120, 0, 150);
    } else if (command == "Data") {
        // A record card with its lines of text.
        path = Box(2, 1, 12, 14)
                   .subtracted(Box(4, 3, 8, 10))
                   .united(Box(5, 4, 6, 1))
                   .united(Box(5, 7, 6, 1))
                   .united(Box(5, 10, 4, 1));
        colour = QColor(0, 70, 200);
    } else if (command == "Browse") {
        // A tree of entries: the catalogue by heading.
        path = Box(1, 1, 6, 4)
                   .united(Box(3, 5, 1.5, 9))
                   .united(Box(4.5, 7.5, 3, 1.5))
                   .united(Box(4.5, 12.5, 3, 1.5))
                   .united(Box(8, 6, 7, 4))
                   .united(Box(8, 11, 7, 4));
        colour = QColor(150, 90, 0);
    } else if (command == "Sample") {
        // A microphone on its stand: record from the disc.
        QPainterPath head;
        head.addRoundedRect(QRectF(5.5, 1, 5, 8), 2.5, 2.5);
        path = head.united(Box(7.5, 10, 1, 3)).united(Box(4.5, 13, 7, 2));
        colour = QColor(200, 0, 0);
    } else if (command == "PlaySample") {
        // A note with a play arrow: hear a sample.
        QPainterPath note;
        note.addEllipse(QRectF(1, 10, 5, 4));
        path = note.united(Box(5, 2, 1.5, 10))
                   .united(Box(5, 2, 4, 1.5))
                   .united(Triangle({9, 6}, {15, 10}, {9, 14}));
        colour = QColor(0, 150, 0);
    } else if (command == "Full") {
        // A window with its title bar: back to the full handset.
        path = Box(1, 2, 14, 12).subtracted(Box(3, 6, 10, 6));
        colour = QColor(0, 70, 200);
    } else if (command == "Tiny") {
        // Two bars of different length: the small and the tiny form.
        path = Box(2, 3, 12, 4).united(Box(2, 10, 6, 4));
        colour = QColor(0, 120, 120);
    } else if (command == "Volume") {
        // A loudspeaker and its sound.
        QPainterPath cone;
        cone.addPolygon(QPolygonF({{4, 6}, {8, 2}, {8, 14}, {4, 10}}));
        cone.closeSubpath();
        path = Box(1, 6, 3, 4).united(cone).united(Box(10, 6, 2, 4)).united(Box(13, 4, 2, 8));
        colour = QColor(120, 0, 150);
    } else {
        return false;
    }
    return true;
}

QPixmap Paint(const QPainterPath& path, QColor fill, QColor outline) {
    QPixmap pixmap(kGlyphSize, kGlyphSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(outline, 1));
    painter.setBrush(fill);
    painter.drawPath(path);
    return pixmap;
}

QIcon Led(bool on) {
    QPixmap pixmap(kGlyphSize, kGlyphSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient light(QPointF(6.5, 6.5), 7);
    light.setColorAt(0, on ? QColor(255, 160, 160) : QColor(120, 60, 60));
    light.setColorAt(1, on ? QColor(230, 0, 0) : QColor(70, 0, 0));
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(light);
    painter.drawEllipse(QRectF(3.5, 3.5, 9, 9));
    return QIcon(pixmap);
}

}  // namespace

QIcon ButtonGlyph(std::string_view name) {
    if (name == "LEDON" || name == "LEDOFF") {
        return Led(name == "LEDON");
    }
    const bool colour = name.ends_with("Color");
    if (!colour && !name.ends_with("Mono")) {
        return {};
    }
    const std::string_view command = name.substr(0, name.size() - (colour ? 5 : 4));
    QPainterPath path;
    QColor fill;
    if (!Shape(command, path, fill)) {
        return {};
    }
    QIcon icon;
    icon.addPixmap(colour ? Paint(path, fill, fill.darker(160)) : Paint(path, Qt::black, Qt::black),
                   QIcon::Normal);
    icon.addPixmap(Paint(path, QColor(160, 160, 160), QColor(255, 255, 255)), QIcon::Disabled);
    return icon;
}

}  // namespace snx
