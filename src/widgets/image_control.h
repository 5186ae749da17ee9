// A control that shows a picture its owner draws into, and reports presses on it: the LED
// display, the status lines, the track panel and the four-way volume control.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "widgets/image_control_access.h"

namespace snx {

class ImageControl : public QWidget {
    Q_OBJECT
  public:
    ImageControl(QRect geometry, QWidget* parent);

    // Draw into it, then call update().
    QImage& Image() { return image_; }
    // Resizes the control and its picture (the picture is cleared).
    void Resize(QSize size);

    // What it tells a screen reader; set before it is first shown.
    ImageControlAccess& Access() { return access_; }
    const ImageControlAccess& Access() const { return access_; }
    // The keys it takes when it has the focus (the owner sets a focus policy): true when handled.
    std::function<bool(int key)> OnKey;

  signals:
    void Pressed(QPoint position, Qt::MouseButton button);
    void Released(QPoint position, Qt::MouseButton button);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QImage image_;
    ImageControlAccess& access_;
};

}  // namespace snx
