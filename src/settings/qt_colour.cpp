#include "settings/qt_colour.h"

#include <QGuiApplication>
#include <QPalette>

namespace snx {

namespace {

constexpr std::uint32_t kSystemFlag = 0x80000000u;

// Indices of the classic system colour table that the settings file may hold.
QPalette::ColorRole RoleOf(std::uint32_t index) {
    switch (index) {
        case 5:  // window
            return QPalette::Base;
        case 8:   // window text
        case 18:  // button text
            return QPalette::WindowText;
        case 13:  // highlight
            return QPalette::Highlight;
        case 16:  // button shadow
            return QPalette::Dark;
        case 20:  // button highlight
            return QPalette::Light;
        default:
            return QPalette::Button;
    }
}

}  // namespace

QColor ToQColor(Colour colour) {
    const auto value = static_cast<std::uint32_t>(colour);
    if ((value & kSystemFlag) != 0) {
        return QGuiApplication::palette().color(QPalette::Active, RoleOf(value & 0xFFu));
    }
    return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                  static_cast<int>((value >> 16) & 0xFFu));
}

Colour FromQColor(QColor colour) {
    const QColor rgb = colour.toRgb();
    const auto value = static_cast<std::uint32_t>(rgb.red()) |
                       (static_cast<std::uint32_t>(rgb.green()) << 8) |
                       (static_cast<std::uint32_t>(rgb.blue()) << 16);
    return static_cast<Colour>(value);
}

QFont ToQFont(const std::string& name, int size, bool bold) {
    QFont font(QString::fromStdString(name));
    font.setPointSize(size > 0 ? size : 8);
    font.setBold(bold);
    return font;
}

QColor ButtonFaceColor() {
    return QGuiApplication::palette().color(QPalette::Button);
}

QColor ButtonShadowColor() {
    return QGuiApplication::palette().color(QPalette::Dark);
}

}  // namespace snx
