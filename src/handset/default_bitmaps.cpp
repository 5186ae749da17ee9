#include "handset/default_bitmaps.h"

#include <QConicalGradient>
#include <QPainter>
#include <QString>
#include <cstdint>

#include "settings/file_names.h"

namespace snx {

QImage GeneralBitmap() {
    QImage image(98, 86, QImage::Format_RGB32);
    image.fill(QColor(20, 24, 40));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(49, 43);
    // A disc seen from above: rainbow sheen, a clear ring and the hole.
    QConicalGradient sheen(centre, 30);
    sheen.setColorAt(0.0, QColor(200, 200, 210));
    sheen.setColorAt(0.15, QColor(160, 220, 255));
    sheen.setColorAt(0.3, QColor(230, 200, 255));
    sheen.setColorAt(0.5, QColor(190, 190, 200));
    sheen.setColorAt(0.65, QColor(255, 240, 170));
    sheen.setColorAt(0.8, QColor(170, 255, 200));
    sheen.setColorAt(1.0, QColor(200, 200, 210));
    painter.setPen(QPen(QColor(90, 90, 100), 1));
    painter.setBrush(sheen);
    painter.drawEllipse(centre, 38, 38);
    painter.setBrush(QColor(225, 225, 230));
    painter.drawEllipse(centre, 12, 12);
    painter.setBrush(QColor(20, 24, 40));
    painter.drawEllipse(centre, 5, 5);
    return image;
}

QImage SandblastBitmap() {
    QImage image(64, 64, QImage::Format_RGB32);
    // A fixed pseudo-random grain so the tile is the same on every machine.
    std::uint32_t state = 0x2545F491u;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            const int grain = static_cast<int>((state >> 24) % 24);
            image.setPixelColor(x, y, QColor(196 + grain, 192 + grain, 184 + grain));
        }
    }
    return image;
}

void WriteDefaultBitmaps(const std::filesystem::path& dataDirectory) {
    const auto write = [&](std::string_view name, const QImage& image) {
        const std::filesystem::path file = ResolveFileName(dataDirectory, name);
        std::error_code error;
        if (!std::filesystem::exists(file, error)) {
            image.save(QString::fromStdString(file.string()), "BMP");
        }
    };
    write(data_file::kGeneralBitmap, GeneralBitmap());
    write(data_file::kBackgroundTile, SandblastBitmap());
}

}  // namespace snx
