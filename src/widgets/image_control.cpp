#include "widgets/image_control.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "widgets/image_control_accessible.h"

namespace snx {

ImageControl::ImageControl(QRect geometry, QWidget* parent)
    : QWidget(parent), access_(ReaderAccess(*this)) {
    setGeometry(geometry);
    Resize(geometry.size());
}

void ImageControl::Resize(QSize size) {
    setFixedSize(size);
    image_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    image_.fill(Qt::transparent);
}

void ImageControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}

void ImageControl::mousePressEvent(QMouseEvent* event) {
    emit Pressed(event->position().toPoint(), event->button());
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event) {
    emit Released(event->position().toPoint(), event->button());
}

void ImageControl::keyPressEvent(QKeyEvent* event) {
    if (!OnKey || !OnKey(event->key())) {
        QWidget::keyPressEvent(event);
    }
}

}  // namespace snx
