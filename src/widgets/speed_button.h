// The flat, glyph-only buttons of the handsets: they never take the keyboard focus, so the
// window's Alt-key commands always reach it.
#pragma once

#include <QRect>
#include <QString>

class QToolButton;
class QWidget;

namespace snx {

QToolButton* MakeSpeedButton(QWidget* parent, const char* name, QRect geometry,
                             const QString& hint);

}  // namespace snx
