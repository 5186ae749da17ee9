// Settings colours (0x00BBGGRR, or a system colour index) and fonts as Qt colours and fonts.
#pragma once

#include <QColor>
#include <QFont>
#include <string>

#include "settings/settings.h"

namespace snx {

// System colours come from the application's palette: button face, shadow, highlight, window.
QColor ToQColor(Colour colour);
// A plain colour as stored, 0x00BBGGRR.
Colour FromQColor(QColor colour);
// A font of the settings: its name and point size (8 when unset), bold or no style.
QFont ToQFont(const std::string& name, int size, bool bold);
QColor ButtonFaceColor();
QColor ButtonShadowColor();

}  // namespace snx
