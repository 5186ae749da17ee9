#include "widgets/speed_button.h"

#include <QToolButton>

namespace snx {

QToolButton* MakeSpeedButton(QWidget* parent, const char* name, QRect geometry,
                             const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setIconSize(QSize(16, 16));
    button->setToolTip(hint);
    // A glyph says nothing to a screen reader: the hint names it until its owner names it better.
    QString spoken = hint;
    while (spoken.endsWith(QLatin1Char('.'))) {
        spoken.chop(1);
    }
    button->setAccessibleName(spoken);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace snx
