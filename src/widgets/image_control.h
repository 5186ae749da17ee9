// A control that shows a picture its owner draws into, and reports presses on it: the LED
// display, the status lines, the track panel and the four-way volume control.
#pragma once

#include <QImage>
#include <QWidget>

namespace snx {

class ImageControl : public QWidget {
    Q_OBJECT
  public:
    ImageControl(QRect geometry, QWidget* parent);

    // Draw into it, then call update().
    QImage& Image() { return image_; }
    // Resizes the control and its picture (the picture is cleared).
    void Resize(QSize size);

  signals:
    void Pressed(QPoint position, Qt::MouseButton button);
    void Released(QPoint position, Qt::MouseButton button);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QImage image_;
};

}  // namespace snx
