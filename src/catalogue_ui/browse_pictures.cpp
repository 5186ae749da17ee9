#include "catalogue_ui/browse_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace snx {

namespace {

constexpr int kSize = 16;

QPixmap Blank() {
    QPixmap picture(kSize, kSize);
    picture.fill(Qt::transparent);
    return picture;
}

// A card with ruled lines and bullets.
QPixmap ListPicture() {
    QPixmap picture = Blank();
    QPainter painter(&picture);
    painter.setPen(QColor(90, 90, 90));
    painter.setBrush(QColor(255, 255, 230));
    painter.drawRect(1, 1, 13, 13);
    for (int y = 4; y <= 11; y += 3) {
        painter.fillRect(3, y, 2, 2, QColor(0, 0, 160));
        painter.fillRect(6, y, 6, 1, QColor(60, 60, 60));
    }
    return picture;
}

// A silver disc with its hole and a light reflection; tinted for an orphan.
void DrawDisc(QPainter& painter, const QColor& face, const QColor& rim) {
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient gradient(QPointF(6, 6), 9);
    gradient.setColorAt(0, Qt::white);
    gradient.setColorAt(1, face);
    painter.setPen(QPen(rim, 1));
    painter.setBrush(gradient);
    painter.drawEllipse(QRectF(0.5, 0.5, 14, 14));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 170), 1));
    painter.drawArc(QRectF(3, 3, 9, 9), 100 * 16, 70 * 16);
    painter.setPen(QPen(rim, 1));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(5.5, 5.5, 4, 4));
}

QPixmap CdPicture() {
    QPixmap picture = Blank();
    QPainter painter(&picture);
    DrawDisc(painter, QColor(160, 170, 190), QColor(70, 70, 90));
    return picture;
}

// The disc with a note in front of it.
QPixmap SoundPicture() {
    QPixmap picture = CdPicture();
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(200, 0, 0), 1.6));
    painter.drawLine(QPointF(13.5, 5), QPointF(13.5, 12.5));
    painter.drawLine(QPointF(13.5, 5), QPointF(15.5, 7));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 0, 0));
    painter.drawEllipse(QRectF(10, 11, 4.2, 3.6));
    return picture;
}

// A pale disc with a question mark: its record has never seen its disc.
QPixmap OrphanPicture() {
    QPixmap picture = Blank();
    QPainter painter(&picture);
    DrawDisc(painter, QColor(235, 200, 120), QColor(150, 100, 30));
    painter.setPen(QPen(QColor(150, 40, 0), 1.6));
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(8, 5, 8, 11), Qt::AlignCenter, QStringLiteral("?"));
    return picture;
}

}  // namespace

std::array<QIcon, 4> BrowsePictures() {
    return {QIcon(ListPicture()), QIcon(CdPicture()), QIcon(SoundPicture()),
            QIcon(OrphanPicture())};
}

QIcon ArchivedPicture(const QIcon& picture) {
    QPixmap marked = picture.pixmap(kSize, kSize);
    QPainter painter(&marked);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF tick[] = {{8.5, 11.5}, {10.5, 14}, {15, 8.5}};
    painter.drawPolyline(tick, 3);
    painter.setPen(QPen(QColor(0, 140, 40), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(tick, 3);
    return QIcon(marked);
}

}  // namespace snx
