#include "handset/track_panel_painter.h"

#include <QFontMetrics>
#include <QPainter>

#include "player/track_grid.h"

namespace snx {

void TrackPanelPainter::Setup(QImage& image, bool grid) const {
    image.fill(grid ? style_.Back : QColor(Qt::transparent));
}

void TrackPanelPainter::DrawTrackNumber(QImage& image, int track, QColor colour) const {
    const TrackCell cell = TrackCellOf(track, image.width());
    QPainter painter(&image);
    // The cell reaches one pixel into the row below, as the panel always drew it.
    const QRect clip(cell.Left, cell.Top, cell.Side, cell.Side + 1);
    painter.setClipRect(clip);
    painter.fillRect(clip, style_.Back);
    painter.setFont(style_.Font);
    painter.setPen(colour);
    const QFontMetrics metrics(style_.Font);
    const QString text = QString::number(track);
    const int x = cell.Left + cell.Side - 1 - metrics.horizontalAdvance(text);
    painter.drawText(x, cell.Top + 2 + metrics.ascent(), text);
}

void TrackPanelPainter::DrawAll(QImage& image, int trackCount, int current) const {
    for (int track = 1; track <= trackCount; ++track) {
        DrawTrackNumber(image, track, track == current ? style_.Selected : style_.Fore);
    }
}

void TrackPanelPainter::DrawPicture(QImage& image, const QImage& picture) {
    if (picture.isNull()) {
        return;
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(image.rect(), picture);
}

}  // namespace snx
