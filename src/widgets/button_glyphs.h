// The transport buttons' glyphs and the repeat LED, painted in code in a colour and a plain set.
#pragma once

#include <QIcon>
#include <string_view>

namespace snx {

// name is one of "Play", "Stop", "Pause", "Eject", "Close", "Last", "Next", "Rew", "FF", "Start",
// "Tracks", "Mode", "Data", "Browse", "Sample", "PlaySample", "Full", "Tiny", "Volume" followed by
// "Color" or "Mono", or "LEDON"/"LEDOFF". The icon's disabled mode is the greyed half of the glyph.
// An unknown name gives an empty icon.
QIcon ButtonGlyph(std::string_view name);

}  // namespace snx
