// Draws the track panel: the grid of track numbers, or the disc's picture stretched over it.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>

namespace snx {

struct TrackPanelStyle {
    QFont Font;
    QColor Fore;
    QColor Selected;
    QColor Back;
};

class TrackPanelPainter {
  public:
    explicit TrackPanelPainter(TrackPanelStyle style) : style_(std::move(style)) {}

    // imgTracksSetup: the image cleared; filled with the background when it shows the grid.
    void Setup(QImage& image, bool grid) const;
    // imgTrackNumber: track n right-aligned in its cell, in colour.
    void DrawTrackNumber(QImage& image, int track, QColor colour) const;
    // Every track, the current one in the selected colour.
    void DrawAll(QImage& image, int trackCount, int current) const;
    // ShowBitmap: the picture over the whole image; a null picture leaves the panel empty.
    static void DrawPicture(QImage& image, const QImage& picture);

    const TrackPanelStyle& Style() const { return style_; }

  private:
    TrackPanelStyle style_;
};

}  // namespace snx
