#include "widgets/handset_background.h"

#include <QPainter>

namespace snx {

HandsetBackground::HandsetBackground(const QImage& tile, QColor colour, QWidget* parent)
    : QWidget(parent), tile_(tile), colour_(colour) {}

void HandsetBackground::SetColour(QColor colour) {
    colour_ = colour;
    update();
}

void HandsetBackground::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), colour_);
    if (tile_.isNull()) {
        return;
    }
    const int columns = width() / tile_.width() + 1;
    const int rows = height() / tile_.height() + 1;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            painter.drawImage(column * tile_.width(), row * tile_.height(), tile_);
        }
    }
}

}  // namespace snx
