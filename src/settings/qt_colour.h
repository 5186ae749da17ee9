// Settings colours (0x00BBGGRR, or a system colour index) as Qt colours.
#pragma once

#include <QColor>

#include "settings/settings.h"

namespace snx {

// System colours come from the application's palette: button face, shadow, highlight, window.
QColor ToQColor(Colour colour);
QColor ButtonFaceColor();
QColor ButtonShadowColor();

}  // namespace snx
