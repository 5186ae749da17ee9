// The handsets' client area: the window colour, tiled over with the background bitmap. The main
// and the small handset paint the same way from the same tile.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace snx {

class HandsetBackground final : public QWidget {
  public:
    // tile must outlive the widget; a null tile leaves the plain colour.
    HandsetBackground(const QImage& tile, QColor colour, QWidget* parent = nullptr);
    // The window colour under the tile; repaints.
    void SetColour(QColor colour);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const QImage& tile_;
    QColor colour_;
};

}  // namespace snx
