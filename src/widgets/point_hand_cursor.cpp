#include "widgets/point_hand_cursor.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace snx {

QCursor PointHandCursor() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // A hand pointing up: the index finger, three folded fingers and the thumb, one outline.
    QPainterPath hand;
    hand.addRoundedRect(QRectF(6, 1, 4, 14), 2, 2);          // index finger
    hand.addRoundedRect(QRectF(10, 7, 4, 9), 2, 2);          // middle finger
    hand.addRoundedRect(QRectF(14, 8, 4, 8), 2, 2);          // ring finger
    hand.addRoundedRect(QRectF(18, 9, 3.5, 7), 1.75, 1.75);  // little finger
    hand.addRoundedRect(QRectF(6, 12, 15.5, 9), 3, 3);       // palm
    QPainterPath thumb;
    thumb.moveTo(7, 17);
    thumb.lineTo(2, 12);
    thumb.quadTo(0.5, 13.5, 2, 15.5);
    thumb.lineTo(7, 21);
    thumb.closeSubpath();
    hand = hand.united(thumb).simplified();
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawPath(hand);
    painter.end();
    return QCursor(pixmap, 8, 1);
}

}  // namespace snx
